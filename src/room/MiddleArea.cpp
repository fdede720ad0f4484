#include "MiddleArea.h"

#include "app/MainWindow.h"
#include "app/Nexus.h"
#include "player/AudioMixPlayer.h"
#include "player/AvPlayer.h"
#include "player/Config.h"
#include "player/PlayerStartup.h"
#include "room/RoomColumns.h"
#include "rtc/Player.h"
#include "session/DataManager.h"
#include "whiteboard/PresentationItem.h"
#include "whiteboard/QtAvPlayerItem.h"
#include "widgets/Placement.h"

#include <QApplication>
#include <QDebug>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>
#include <limits>

namespace {
constexpr int kAudioBarHeight = 45;
const char kBlankPage[] = ":/resource/courselist/blank.png";
} // namespace

MiddleArea::MiddleArea(QWidget* parent)
    : QWidget(parent)
    , m_courseArea(this)
    , m_listArea(this)
    , m_pageView(&m_courseArea)
    , m_board(&m_pageView)
    , m_palette(&m_courseArea)
    , m_mediaList(&m_listArea)
    , m_pageList(&m_listArea)
    , m_notifyWindow(this)
{
    setObjectName(QStringLiteral("midderArea"));
    m_courseArea.setObjectName(QStringLiteral("COURSE_BG_SHOW_AREA"));
    m_listArea.setObjectName(QStringLiteral("m_vPresentationListArea"));
    m_pageView.setObjectName(QStringLiteral("COURSE_SHOW_AREA"));
    m_pageView.setScaledContents(true);
    m_board.setObjectName(QStringLiteral("COURSE_PAINT_WIDGET"));
    m_board.setAttribute(Qt::WA_TranslucentBackground);
    m_board.SetCanvas(&m_pageView);
    m_palette.SetAnchor(&m_courseArea);

    connect(this, &MiddleArea::ShowMsgNotifyWidget, &m_notifyWindow, &MsgNotifyWindow::ShowDialog);
    auto wire = [this](PaletteWidget::Button button, void (WhiteBoardWidget::*tool)()) {
        connect(m_palette.GetButton(button), &QPushButton::clicked, &m_board, tool);
    };
    wire(PaletteWidget::Laser, &WhiteBoardWidget::SetShape4LaserPointer);
    wire(PaletteWidget::Line, &WhiteBoardWidget::SetShape4Line);
    wire(PaletteWidget::Rect, &WhiteBoardWidget::SetShape4Rect);
    wire(PaletteWidget::Pencil, &WhiteBoardWidget::SetShape4Pen);
    wire(PaletteWidget::Text, &WhiteBoardWidget::SetShape4Text);
    wire(PaletteWidget::Clear, &WhiteBoardWidget::Reset);
    wire(PaletteWidget::Undo, &WhiteBoardWidget::Undo);
    wire(PaletteWidget::Redo, &WhiteBoardWidget::Redo);
    wire(PaletteWidget::Eraser, &WhiteBoardWidget::SetShape4Eraser);
    connect(&m_board, &WhiteBoardWidget::ShapeTypeChanged, &m_palette, &PaletteWidget::OnShapeBarChanged);
    connect(this, &MiddleArea::CleanUp, this, &MiddleArea::OnCleanUp);
    connect(this, &MiddleArea::UserRoleGet, this, &MiddleArea::OnUserRoleGet);
    connect(this, &MiddleArea::DestroyAvPlayer, this, &MiddleArea::OnDestroyAvPlayer);
    connect(this, &MiddleArea::SeekPos, this, &MiddleArea::OnSeekPos);
    m_textSelectBox.installEventFilter(&m_palette);
    m_colorBox.installEventFilter(&m_palette);
    m_palette.hide();
    m_colorBox.hide();
    m_textSelectBox.hide();
}

MiddleArea::~MiddleArea() = default;

void MiddleArea::SetupLayout(QWidget* window)
{
    if (!Placement::MoveInto(this, window, "[Error], in MiddleArea::SetupLayout, _widget is NULL"))
        return;
    const int w = window->width();
    const int h = window->height();
    Player* player = Nexus::GetPlayer();
    const int top = (player != nullptr && player->GetCurStreamPlayerNum() > 2) ? (h - 40) / 4 : 0;
    // The panel ends where the right column begins, the page list shown or
    // not.
    const RoomColumns::Widths columns = RoomColumns::For(w);
    const int listWidth = columns.list;
    const int courseWidth = columns.centre;
    setGeometry(columns.left, top + 40, listWidth + courseWidth, h - top - 80);

    if (m_listState == ListCollapsed) {
        m_listArea.setGeometry(0, 0, 0, 0);
        m_pageList.hide();
        m_listArea.hide();
        m_courseArea.setGeometry(0, 0, courseWidth, height());
    } else {
        m_listArea.setGeometry(0, 0, listWidth, height());
        const int listTop = 10;
        m_mediaList.SetupLayout(listTop, &m_listArea);
        m_mediaList.setVisible(m_mediaList.count() > 0);
        m_pageList.SetupLayout(listTop, &m_listArea);
        m_listArea.show();
        m_courseArea.setGeometry(listWidth, 0, courseWidth, height());
    }
    m_courseArea.show();
    m_pageView.setGeometry(0, 0, qMax(0, m_courseArea.width() - 34), m_courseArea.height());
    m_pageView.show();
    m_board.setGeometry(0, 0, qMax(0, m_pageView.width() - 1), m_pageView.height());
    m_board.show();
    if (m_avPlayer != nullptr) {
        if (m_avPlayer->GetMediaType() == MediaInfo::Video)
            m_avPlayer->setGeometry(0, 0, m_courseArea.width(), m_courseArea.height());
        else
            m_avPlayer->setGeometry(0, m_courseArea.height() - kAudioBarHeight, m_courseArea.width(), kAudioBarHeight);
        m_avPlayer->show();
    }
    // A video covers the page (and a teacher's page turn would close it);
    // the sound bar leaves the page in view.
    if (m_avPlayer == nullptr || m_avPlayer->GetMediaType() != MediaInfo::Video)
        ShowTeachersPage();
    m_palette.OnShowPalette();
    m_palette.OnShapeBarChanged(m_board.GetShapeType());
    show();
}

void MiddleArea::ShowTeachersPage()
{
    // The page list is filled before the class-room layout, so a page
    // shared at entry could not be turned to when its message came.
    DataManager* data = Nexus::GetDataManager();
    if (data == nullptr || m_pageList.count() == 0)
        return;
    const PresentationItem* focused = m_pageList.GetFocusedItem();
    const QString id
        = focused != nullptr ? focused->GetPresentationId() : data->GetRoomFields().m_strCurrPresentationId;
    if (CourseWareInfo* page = data->GetCourseWareById(id))
        m_pageList.OnRemoteTrunPage(page);
}

void MiddleArea::PresentationSizeAdapte(QString path)
{
    if (m_avPlayer != nullptr && m_avPlayer->GetMediaType() == MediaInfo::Video) {
        DataManager* data = Nexus::GetDataManager();
        const bool teacher = data != nullptr && (data->GetPermission() & 128) != 0 && data->GetRoomRole() == 4;
        if (teacher) {
            // Asks the room to close the media and destroys the window.
            m_avPlayer->toggleClose();
        } else {
            const QSize small = m_courseArea.size() * 0.3;
            m_avPlayer->setGeometry(m_courseArea.width() - small.width(), m_courseArea.height() - small.height(),
                small.width(), small.height());
        }
    }
    qDebug() << "into PresentationSizeAdapte, and path:" << path;
    if (path.section(QLatin1Char('/'), -1) == QLatin1String("blank.png"))
        path = QLatin1String(kBlankPage);
    const QPixmap image(path);
    if (image.isNull() || image.width() == 0 || image.height() == 0)
        return;
    const int pw = image.width();
    const int ph = image.height();
    const int areaWidth = m_courseArea.width();
    const int areaHeight = m_courseArea.height();
    const int fitWidthHeight = ph * (areaWidth - 35) / pw;
    const int fitHeightWidth = pw * (areaHeight - 34) / ph;
    QSize view;
    if (fitWidthHeight > areaHeight)
        view = QSize(fitHeightWidth, fitHeightWidth * ph / pw);
    else
        view = QSize(fitWidthHeight * pw / ph, fitWidthHeight);
    m_pageView.setGeometry(
        (areaWidth - view.width()) / 2, (areaHeight - view.height()) / 2, view.width(), view.height());
    m_pageView.setPixmap(image);
    m_pageView.show();
    m_board.setGeometry(0, 0, qMax(0, view.width() - 1), view.height());
    emit m_board.ScaleChanged(1.0);
}

void MiddleArea::PlayerAdapte(MediaInfo* item, bool bDirectPlay)
{
    if (item == nullptr) {
        qDebug() << "into PlayerAdapte and item is nullptr";
        return;
    }
    qDebug() << "into PlayerAdapte and item mediaId:" << item->GetMediaId() << ",duration:" << item->GetDuration();
    QtAvPlayerItem* focused = m_mediaList.GetLastFocusBuddy();
    if (focused != nullptr && focused->GetMediaId() == item->GetMediaId()) {
        qDebug() << "into MiddleArea::PlayerAdapte, focus mediaId is equal,and mediaId:" << item->GetMediaId();
        return;
    }
    qDebug() << "into PlayerAdapte, and mediaId:" << item->GetMediaId();
    OnDestroyAvPlayer();
    const int type = item->GetMediaType() == MediaInfo::Video ? MediaInfo::Video : MediaInfo::Audio;
    m_avPlayer = new AvPlayer(&m_courseArea, type);
    m_avPlayer->setMediaId(item->GetMediaId());
    m_avPlayer->setDuration(item->GetDuration());
    if (type == MediaInfo::Video)
        m_avPlayer->setGeometry(0, 0, m_courseArea.width(), m_courseArea.height());
    else
        m_avPlayer->setGeometry(0, m_courseArea.height() - kAudioBarHeight, m_courseArea.width(), kAudioBarHeight);
    Config::setName(QStringLiteral("Player"));
    PlayerStartup::SetUpWindow(m_avPlayer);
    // The room's data never makes a participant open local files or devices.
    const QString url = item->GetUrlPath();
    if (AvPlayer::IsRoomMediaUrl(url))
        m_avPlayer->setMediaFile(url);
    else
        qWarning() << "[player] media address refused, mediaId:" << item->GetMediaId() << ",url:" << url;
    if (bDirectPlay) {
        // A participant who comes in while the media plays starts where the
        // room is, not at its beginning.
        const int seconds = qBound(0, item->GetSeekPos(), std::numeric_limits<int>::max() / 1000);
        AvPlayer* window = m_avPlayer;
        QTimer::singleShot(500, window, [window, seconds] {
            window->OnPlay();
            if (seconds > 0)
                window->seek(seconds * 1000, true);
        });
    }
    m_avPlayer->show();
}

void MiddleArea::AudioMixPlayerAdapte(QString path)
{
    qDebug() << "into AudioMixPlayerAdapte, path:" << path;
    OnDestroyAudioMixPlayer();
    m_audioMixPlayer = new AudioMixPlayer(path, &m_courseArea);
    m_audioMixPlayer->setGeometry(0, m_courseArea.height() - kAudioBarHeight, m_courseArea.width(), kAudioBarHeight);
    m_audioMixPlayer->show();
}

void MiddleArea::OnCleanUp()
{
    hide();
    m_listState = ListCleared;
    emit m_pageList.CleanUp();
    emit m_mediaList.CleanUp();
    emit m_notifyWindow.CleanUp();
    OnHideColorBox();
    OnHideTextSelectBox();
    m_board.ClearShapeType();
    m_board.OnCleanUp();
    if (m_avPlayer != nullptr) {
        m_avPlayer->setParent(nullptr);
        delete m_avPlayer;
        m_avPlayer = nullptr;
    }
    m_mediaList.SetLastFocusBuddy(nullptr);
    // The accompaniment goes with the room, and its delayed pause with it.
    OnDestroyAudioMixPlayer();
}

void MiddleArea::OnSeekPos(int seconds, bool isPlaying)
{
    qDebug() << "into  MiddleArea::OnSeekPos, and pos:" << seconds << ", isPlaying:" << isPlaying;
    if (m_avPlayer == nullptr) {
        qDebug() << "into  MiddleArea::OnSeekPos, avPlayer is null";
        return;
    }
    if (isPlaying)
        m_avPlayer->OnPlay();
    else
        m_avPlayer->OnPaused();
    // Seconds from the network: kept within what milliseconds in an int hold.
    m_avPlayer->seek(qBound(0, seconds, std::numeric_limits<int>::max() / 1000) * 1000, true);
    if (QtAvPlayerItem* focused = m_mediaList.GetLastFocusBuddy())
        focused->SetPlayStatus(isPlaying ? QtAvPlayerItem::StatusPlaying : QtAvPlayerItem::StatusPaused);
}

void MiddleArea::OnDestroyAvPlayer()
{
    if (m_avPlayer != nullptr) {
        m_avPlayer->setParent(nullptr);
        delete m_avPlayer;
        m_avPlayer = nullptr;
    }
    m_mediaList.SetLastFocusBuddy(nullptr);
}

void MiddleArea::OnDestroyAudioMixPlayer()
{
    if (m_audioMixPlayer == nullptr)
        return;
    m_audioMixPlayer->setParent(nullptr);
    m_audioMixPlayer->stop();
    delete m_audioMixPlayer;
    m_audioMixPlayer = nullptr;
}

void MiddleArea::OnShowColorBox()
{
    qDebug() << "into ShowBoxColor, m_dwColorBoxShowType:" << m_dwColorBoxShowType;
    if (m_dwColorBoxShowType == 0)
        m_colorBox.showColorBox(100, 200);
    ShowPopUp(&m_colorBox, m_dwColorBoxShowType, m_palette.GetButton(PaletteWidget::Color), true);
}

void MiddleArea::OnShowTextSelectBox()
{
    qDebug() << "into OnShowTextSelectBox, m_dwColorBoxShowType:" << m_dwTextSelectShowType;
    if (m_dwTextSelectShowType == 0)
        m_textSelectBox.showTextSelectBox(100, 200);
    ShowPopUp(&m_textSelectBox, m_dwTextSelectShowType, m_palette.GetButton(PaletteWidget::Text), false);
}

void MiddleArea::ShowPopUp(PickerWindow* popUp, int& state, QWidget* button, bool atLeftEdge)
{
    QWidget* window = Nexus::GetMainWindow();
    if (window == nullptr)
        window = this->window();
    const bool first = state == 0;
    if (first) {
        popUp->setParent(window);
        popUp->setWindowFlags(Qt::FramelessWindowHint);
    } else if (popUp->isVisible()) {
        return;
    }
    const QPoint at = button->mapToGlobal(QPoint());
    const QPoint origin = window->mapToGlobal(QPoint());
    const int x = atLeftEdge ? at.x() - popUp->width() / 2 - origin.x()
                             : at.x() - (popUp->width() - button->width()) / 2 - origin.x();
    const QPoint position(x, at.y() - origin.y() - 43);
    if (first) {
        qDebug() << "_pos1:" << at << ",_pos2:" << origin << ",colorBoxWidget-height:" << popUp->height()
                 << ",colorBoxWidget-width:" << popUp->width();
    }
    popUp->move(position);
    popUp->show();
    popUp->raise();
    state = 1;
}

void MiddleArea::OnHideColorBox()
{
    HidePopUp(&m_colorBox, m_dwColorBoxShowType);
}

void MiddleArea::OnHideTextSelectBox()
{
    HidePopUp(&m_textSelectBox, m_dwTextSelectShowType);
}

void MiddleArea::HidePopUp(PickerWindow* popUp, int& state)
{
    if (popUp->isHidden())
        return;
    popUp->hide();
    popUp->lower();
    state = 2;
}

void MiddleArea::OnUserRoleGet(int role)
{
    m_listState = role < 5 ? ListShown : ListCollapsed;
    // The page list's state moves the right column and the tool bar too:
    // in a class room on screen every panel is laid out again.
    MainWindow* window = Nexus::GetMainWindow();
    if (window != nullptr && isVisible() && Nexus::GetDataPrepPhase() == 3)
        window->OnLayoutRefresh();
    else
        SetupLayout(window);
}
