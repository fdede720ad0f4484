#include "MiddleArea.h"

#include "app/MainWindow.h"
#include "app/Nexus.h"
#include "player/AudioMixPlayer.h"
#include "player/AvPlayer.h"
#include "player/Config.h"
#include "player/PlayerStartup.h"
#include "player/av/AVPlayer.h"
#include "room/LeftArea.h"
#include "room/RoomColumns.h"
#include "rtc/Player.h"
#include "session/DataManager.h"
#include "whiteboard/CourseRow.h"
#include "whiteboard/PresentationItem.h"
#include "whiteboard/QtAvPlayerItem.h"
#include "widgets/Placement.h"

#include <QApplication>
#include <QDebug>
#include <QEvent>
#include <QImageReader>
#include <QScrollBar>
#include <QTimer>
#include <limits>

namespace {
constexpr int kAudioBarHeight = 45;
constexpr int kTopBarHeight = 40;
constexpr int kToolBarHeight = 40;
constexpr int kSwitchWidth = 18;
constexpr int kSwitchHeight = 48;
// A media opened as the room has it waits for its window's player.
constexpr int kOpenDelayMs = 500;
constexpr int kTeacherRole = 4;
const char kBlankPage[] = ":/resource/courselist/blank.png";
const char kEmptyCourse[] = ":/resource/courselist/coursebg.png";
const char kAddBoardStyle[]
    = "QPushButton{background-color: #f2f2f2;border: 1px solid #f74945;border-radius: 2px;color: #ff554d;"
      "font:16px Microsoft YaHei;}QPushButton::hover{background-color: #f74945;border: 1px solid #f74945;"
      "border-radius: 2px;color: rgb(255,255,255);font:16px Microsoft YaHei;}";
const char kUploadStyle[]
    = "QPushButton{background-color: #f74945;border: 1px solid #f74945;border-radius: 3px;color: #ffffff;"
      "font:16px Microsoft YaHei;}QPushButton::hover{background-color: #ff9999;border: 1px solid #ff9999;"
      "border-radius: 3px;color: rgb(255,255,255);font:16px Microsoft YaHei;}";

// Seconds from the network, kept within what milliseconds in an int hold.
int BoundedSeconds(int seconds)
{
    return qBound(0, seconds, std::numeric_limits<int>::max() / 1000);
}

} // namespace

MiddleArea::MiddleArea(QWidget* parent)
    : QWidget(parent)
    , m_courseArea(this)
    , m_listArea(this)
    , m_switchButton(&m_courseArea)
    , m_addBoardButton(QStringLiteral("添加白板"), &m_listArea)
    , m_uploadButton(QStringLiteral("上传课件"), &m_listArea)
    , m_pageView(&m_courseArea)
    , m_board(&m_pageView)
    , m_palette(&m_courseArea)
    , m_mediaList(&m_listArea)
    , m_pageList(&m_listArea)
    , m_notifyWindow(this)
{
    setObjectName(QStringLiteral("midderArea"));
    setStyleSheet(QStringLiteral("#midderArea{border:0px solid blue;}"));
    m_listArea.setObjectName(QStringLiteral("m_vPresentationListArea"));
    m_listArea.setWindowFlags(Qt::FramelessWindowHint);
    m_listArea.setAttribute(Qt::WA_StyledBackground);
    m_listArea.setStyleSheet(QStringLiteral(
        "#m_vPresentationListArea{background:#f5f6f7;border-right-width: 1px;border-right-color: #dadbdc;"
        "border-right-style: solid;}"));
    m_courseArea.setObjectName(QStringLiteral("COURSE_BG_SHOW_AREA"));
    m_courseArea.setStyleSheet(QStringLiteral("#COURSE_BG_SHOW_AREA{background:#e8e9eb;border-right-width: 1px;"
                                              "border-right-color: #dadbdc;border-right-style: solid;}"));
    m_pageView.setObjectName(QStringLiteral("COURSE_SHOW_AREA"));
    m_pageView.setStyleSheet(
        QStringLiteral("#COURSE_SHOW_AREA{background:rgba(255,255,255,0%);color::rgba(102,102,102,80%);border:1px;}"));
    m_board.setObjectName(QStringLiteral("COURSE_PAINT_WIDGET"));
    m_board.setWindowFlags(Qt::FramelessWindowHint);
    m_board.setAttribute(Qt::WA_TranslucentBackground);
    m_board.setStyleSheet(QStringLiteral("#COURSE_PAINT_WIDGET{background:rgb(255,255,255);}"));
    m_board.SetCanvas(&m_pageView);
    m_palette.SetAnchor(&m_courseArea);
    for (QPushButton* button : { &m_switchButton, &m_addBoardButton, &m_uploadButton }) {
        button->setCursor(Qt::PointingHandCursor);
        button->setFocusPolicy(Qt::NoFocus);
    }
    m_switchButton.setFixedSize(kSwitchWidth, kSwitchHeight);
    m_addBoardButton.setStyleSheet(QLatin1String(kAddBoardStyle));
    m_uploadButton.setStyleSheet(QLatin1String(kUploadStyle));
    m_addBoardButton.hide();
    m_uploadButton.hide();

    connect(&m_uploadButton, &QPushButton::clicked, &m_pageList, &PresentationList::UploadCourse);
    connect(&m_switchButton, &QPushButton::clicked, this, &MiddleArea::OnZoomInOutPresentList);
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
    connect(m_palette.GetButton(PaletteWidget::ZoomIn), &QPushButton::clicked, this, &MiddleArea::OnPresentZoomIn);
    connect(m_palette.GetButton(PaletteWidget::ZoomOut), &QPushButton::clicked, this, &MiddleArea::OnPresentZoomOut);
    connect(&m_board, &WhiteBoardWidget::ShapeTypeChanged, &m_palette, &PaletteWidget::OnShapeBarChanged);
    // After the palette laid itself out again for new rights.
    connect(&m_palette, &PaletteWidget::ShowPalette, this, &MiddleArea::LiftPalette);
    connect(this, &MiddleArea::CleanUp, this, &MiddleArea::OnCleanUp);
    connect(this, &MiddleArea::UserRoleGet, this, &MiddleArea::OnUserRoleGet);
    connect(this, &MiddleArea::DestroyAvPlayer, this, &MiddleArea::OnDestroyAvPlayer);
    connect(this, &MiddleArea::SeekPos, this, &MiddleArea::OnSeekPos);
    connect(&m_addBoardButton, &QPushButton::clicked, this, [] {
        if (DataManager* data = Nexus::GetDataManager())
            emit data->AddWhiteBoard();
    });
    m_pageList.installEventFilter(this);
    m_courseArea.installEventFilter(this);
    m_textSelectBox.installEventFilter(&m_palette);
    m_colorBox.installEventFilter(&m_palette);
    m_palette.hide();
    m_switchButton.hide();
    m_colorBox.hide();
    m_textSelectBox.hide();
}

MiddleArea::~MiddleArea()
{
    // Widgets going away still send events: none may reach a panel whose
    // members are going away with them.
    m_pageList.removeEventFilter(this);
    m_courseArea.removeEventFilter(this);
    OnDestroyAvPlayer();
    OnDestroyAudioMixPlayer();
}

void MiddleArea::SetupLayout(QWidget* window)
{
    if (!Placement::MoveInto(this, window, "[Error], in MiddleArea::SetupLayout, _widget is NULL"))
        return;
    const int w = window->width();
    const int h = window->height();
    Player* player = Nexus::GetPlayer();
    const int top = (player != nullptr && player->GetCurStreamPlayerNum() > 2) ? (h - kTopBarHeight) / 4 : 0;
    // The panel ends where the right column begins, the page list shown or
    // not: a collapsed list gives its width to the course area.
    const RoomColumns::Widths columns = RoomColumns::For(w);
    const int listWidth = m_listState == ListCollapsed ? 0 : columns.list;
    const int panelWidth = columns.list + columns.centre;
    setGeometry(columns.left, top + kTopBarHeight, panelWidth, qMax(0, h - top - kTopBarHeight - kToolBarHeight));

    if (m_listState == ListCollapsed) {
        m_listArea.setGeometry(0, 0, 0, 0);
        m_pageList.hide();
        m_listArea.hide();
        m_addBoardButton.hide();
        m_uploadButton.hide();
    } else {
        LayOutLists(listWidth);
    }
    m_courseArea.setGeometry(listWidth, 0, panelWidth - listWidth, height());
    m_courseArea.show();
    m_pageView.setGeometry(0, 0, qMax(0, m_courseArea.width() - 34), m_courseArea.height());
    m_pageView.show();
    m_board.setGeometry(0, 0, qMax(0, m_pageView.width() - 1), m_pageView.height());
    PlacePlayers();
    // A video covers the page, and turning to it would close the video for
    // a teacher: the page in view is only fitted again under it.
    if (m_avPlayer != nullptr && m_avPlayer->GetMediaType() == MediaInfo::Video) {
        FitPage(m_shownPath);
    } else if (!ShowTeachersPage()) {
        PresentationSizeAdapte(QLatin1String(kEmptyCourse));
    }
    m_board.show();
    m_palette.OnShowPalette();
    m_palette.OnShapeBarChanged(m_board.GetShapeType());
    LiftPalette();
    StyleSwitchButton();
    m_switchButton.move(0, (height() - kSwitchHeight + kTopBarHeight) / 2);
    // Shown on hover: still under the pointer that has just clicked it.
    DataManager* data = Nexus::GetDataManager();
    m_switchButton.setVisible(data != nullptr && data->GetRoomRole() > kTeacherRole && m_courseArea.underMouse());
    m_switchButton.raise();
    show();
}

void MiddleArea::LayOutLists(int listWidth)
{
    m_listArea.setGeometry(0, 0, listWidth, height());
    int listTop = 10;
    if (CourseRow::IsBoardTeacher()) {
        m_addBoardButton.setFixedSize(qMax(0, listWidth - 31), 36);
        m_addBoardButton.move((listWidth - m_addBoardButton.width()) / 2, 10);
        m_uploadButton.setFixedSize(m_addBoardButton.size());
        m_uploadButton.move((listWidth - m_uploadButton.width()) / 2, m_addBoardButton.height() + 20);
        m_addBoardButton.show();
        m_uploadButton.show();
        listTop = m_uploadButton.y() + m_uploadButton.height() + 5;
    } else {
        m_addBoardButton.hide();
        m_uploadButton.hide();
    }
    m_mediaList.SetupLayout(listTop, &m_listArea);
    m_mediaList.setVisible(m_mediaList.count() > 0);
    m_pageList.SetupLayout(listTop, &m_listArea);
    // The page list's scroll bar shows only while the pointer is over it.
    m_pageList.verticalScrollBar()->hide();
    m_pageList.show();
    m_listArea.show();
}

void MiddleArea::PlacePlayers()
{
    const int areaWidth = m_courseArea.width();
    const int areaHeight = m_courseArea.height();
    if (m_avPlayer != nullptr) {
        if (m_avPlayer->GetMediaType() == MediaInfo::Video)
            m_avPlayer->setGeometry(0, 0, areaWidth, areaHeight);
        else
            m_avPlayer->setGeometry(0, areaHeight - kAudioBarHeight, areaWidth, kAudioBarHeight);
        m_avPlayer->show();
    }
    if (m_audioMixPlayer != nullptr) {
        // Expanded along the foot or folded into its corner, above a sound
        // bar there.
        m_audioMixPlayer->PlaceInPanel();
        m_audioMixPlayer->show();
        m_audioMixPlayer->raise();
    }
}

void MiddleArea::LiftPalette()
{
    // A sound bar or the accompaniment at the course area's foot would
    // cover the palette's tools: it floats above the highest of them.
    int foot = m_courseArea.height();
    const QRect palette = m_palette.geometry();
    auto standOn = [&foot, &palette](const QWidget* bar) {
        if (bar != nullptr && !bar->isHidden() && bar->x() <= palette.right() && bar->geometry().right() >= palette.x())
            foot = qMin(foot, bar->y());
    };
    if (m_avPlayer != nullptr && m_avPlayer->GetMediaType() != MediaInfo::Video)
        standOn(m_avPlayer);
    standOn(m_audioMixPlayer);
    m_palette.move(palette.x(), foot - palette.height() - 10);
}

bool MiddleArea::ShowTeachersPage()
{
    // The page list is filled before the class-room layout, so a page
    // shared at entry could not be turned to when its message came.
    DataManager* data = Nexus::GetDataManager();
    if (data == nullptr || m_pageList.count() == 0)
        return false;
    const PresentationItem* focused = m_pageList.GetFocusedItem();
    const QString id
        = focused != nullptr ? focused->GetPresentationId() : data->GetRoomFields().m_strCurrPresentationId;
    CourseWareInfo* page = id.isEmpty() ? nullptr : data->GetCourseWareById(id);
    if (page == nullptr)
        return false;
    m_pageList.OnRemoteTrunPage(page);
    return true;
}

void MiddleArea::StyleSwitchButton()
{
    const QString image = m_listState == ListCollapsed ? QStringLiteral("switch2") : QStringLiteral("switch1");
    const QString sheet = QStringLiteral("QPushButton{image: url(:resource/courselist/%1/%2.png);border:0px;}")
                              .arg(Nexus::GetScaleFolder(), image);
    // Every layout asks; a style sheet set again polishes the button again.
    if (m_switchButton.styleSheet() != sheet)
        m_switchButton.setStyleSheet(sheet);
}

void MiddleArea::PresentationSizeAdapte(QString path)
{
    if (path.section(QLatin1Char('/'), -1) == QLatin1String("blank.png"))
        path = QLatin1String(kBlankPage);
    // Only another page moves a video aside: the page in view shown again
    // (its picture arriving, the layout, the entry's turn to it) is no
    // choice of the teacher's and must not close the room's video.
    const bool anotherPage = !m_shownPath.isEmpty() && path != m_shownPath;
    if (anotherPage && m_avPlayer != nullptr && m_avPlayer->GetMediaType() == MediaInfo::Video) {
        if (CourseRow::IsBoardTeacher()) {
            // Asks the room to close the media and destroys the window.
            m_avPlayer->toggleClose();
        } else {
            const QSize small = m_courseArea.size() * 0.3;
            m_avPlayer->setGeometry(m_courseArea.width() - small.width(), m_courseArea.height() - small.height(),
                small.width(), small.height());
        }
    }
    qDebug() << "into PresentationSizeAdapte, and path:" << path;
    m_shownPath = path;
    FitPage(path);
}

bool MiddleArea::FitPage(const QString& path)
{
    if (path.isEmpty()) {
        m_pageView.SetPixmapPath(QString());
        return false;
    }
    // The header is enough for the size; the view decodes at the size shown.
    QImageReader reader(path);
    QSize image = reader.size();
    if (!image.isValid())
        image = QImageReader(path).read().size();
    if (image.width() <= 0 || image.height() <= 0) {
        // Not there yet: no other page stands in for it meanwhile.
        m_pageView.SetPixmapPath(QString());
        return false;
    }
    const qint64 pw = image.width();
    const qint64 ph = image.height();
    const int areaWidth = m_courseArea.width();
    const int areaHeight = m_courseArea.height();
    const int fitWidthHeight = static_cast<int>(ph * (areaWidth - 35) / pw);
    const int fitHeightWidth = static_cast<int>(pw * (areaHeight - 34) / ph);
    QSize view;
    if (fitWidthHeight > areaHeight)
        view = QSize(fitHeightWidth, static_cast<int>(fitHeightWidth * ph / pw));
    else
        view = QSize(static_cast<int>(fitWidthHeight * pw / ph), fitWidthHeight);
    view = view.expandedTo(QSize(0, 0));
    m_pageView.setGeometry(
        (areaWidth - view.width()) / 2, (areaHeight - view.height()) / 2, view.width(), view.height());
    // Every layout fits the page again: the picture shown is read again only
    // for another file, and a new size is decoded when the view paints.
    if (m_pageView.GetPixmapPath() != path || !m_pageView.HasPicture())
        m_pageView.SetPixmapPath(path);
    m_pageView.show();
    m_board.setGeometry(0, 0, qMax(0, view.width() - 1), view.height());
    emit m_board.ScaleChanged(1.0);
    return true;
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
    // Named before the window first reads the player's settings: the store
    // fixes its file names when it is made.
    Config::setName(QStringLiteral("Player"));
    const int type = item->GetMediaType() == MediaInfo::Video ? MediaInfo::Video : MediaInfo::Audio;
    m_avPlayer = new AvPlayer(&m_courseArea, type);
    m_avPlayer->setMediaId(item->GetMediaId());
    m_avPlayer->setDuration(item->GetDuration());
    PlacePlayers();
    PlayerStartup::SetUpWindow(m_avPlayer);
    // The room's data never makes a participant open local files or devices.
    const QString url = item->GetUrlPath();
    if (AvPlayer::IsRoomMediaUrl(url))
        m_avPlayer->setMediaFile(url);
    else
        qWarning() << "[player] media address refused, mediaId:" << item->GetMediaId() << ",url:" << url;
    // A participant who comes in while the media plays starts where the
    // room is, not at its beginning.
    if (bDirectPlay)
        OpenAsTheRoomHasIt(BoundedSeconds(item->GetSeekPos()), true);
    // The accompaniment bar stays in view over a sound bar.
    if (m_audioMixPlayer != nullptr)
        m_audioMixPlayer->raise();
    LiftPalette();
}

void MiddleArea::AudioMixPlayerAdapte(QString path)
{
    qDebug() << "into AudioMixPlayerAdapte, path:" << path;
    OnDestroyAudioMixPlayer();
    m_audioMixPlayer = new AudioMixPlayer(path, &m_courseArea);
    m_audioMixPlayer->setGeometry(0, m_courseArea.height() - kAudioBarHeight, m_courseArea.width(), kAudioBarHeight);
    m_audioMixPlayer->show();
    m_audioMixPlayer->raise();
    // It moves itself: folding, unfolding, a sound bar coming or going.
    m_audioMixPlayer->installEventFilter(this);
    LiftPalette();
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
    OnDestroyAvPlayer();
    // The accompaniment belongs to the class: it must not play into, or
    // show in, the next one.
    OnDestroyAudioMixPlayer();
    m_shownPath.clear();
    m_pageView.SetPixmapPath(QString());
    m_palette.hide();
    m_switchButton.hide();
}

void MiddleArea::OpenAsTheRoomHasIt(int seconds, bool playing)
{
    delete m_roomOpening.data();
    AvPlayer* window = m_avPlayer;
    auto* opening = new QTimer(window);
    opening->setSingleShot(true);
    connect(opening, &QTimer::timeout, window, [window, opening, seconds, playing] {
        opening->deleteLater();
        window->OnPlay();
        if (seconds > 0)
            window->seek(seconds * 1000, true);
        if (!playing)
            window->OnPaused();
    });
    opening->start(kOpenDelayMs);
    m_roomOpening = opening;
}

void MiddleArea::OnSeekPos(int seconds, bool isPlaying)
{
    qDebug() << "into  MiddleArea::OnSeekPos, and pos:" << seconds << ", isPlaying:" << isPlaying;
    if (m_avPlayer == nullptr) {
        qDebug() << "into  MiddleArea::OnSeekPos, avPlayer is null";
        return;
    }
    seconds = BoundedSeconds(seconds);
    // The room's newest word about its media stands: an opening that still
    // waits with an older one must not undo it.
    delete m_roomOpening.data();
    const plxav::AVPlayer* library = m_avPlayer->GetLibPlayer();
    const bool opened = library != nullptr && library->isPlaying();
    if (!isPlaying && !opened && seconds > 0) {
        // Paused past the start before this window opened its file (a
        // newcomer): it opens there, paused, so it shows what the room shows.
        OpenAsTheRoomHasIt(seconds, false);
    } else {
        if (isPlaying)
            m_avPlayer->OnPlay();
        else
            m_avPlayer->OnPaused();
        m_avPlayer->seek(seconds * 1000, true);
    }
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
    LiftPalette();
}

void MiddleArea::OnDestroyAudioMixPlayer()
{
    if (m_audioMixPlayer == nullptr)
        return;
    m_audioMixPlayer->removeEventFilter(this);
    m_audioMixPlayer->setParent(nullptr);
    m_audioMixPlayer->stop();
    delete m_audioMixPlayer;
    m_audioMixPlayer = nullptr;
    LiftPalette();
}

void MiddleArea::OnPresentZoomIn()
{ }

void MiddleArea::OnPresentZoomOut()
{ }

void MiddleArea::OnZoomInOutPresentList()
{
    m_listState = m_listState == ListCollapsed ? ListShown : ListCollapsed;
    StyleSwitchButton();
    // The page list's state moves the right column and the tool bar too.
    if (MainWindow* window = Nexus::GetMainWindow())
        window->OnLayoutRefresh();
    else
        SetupLayout(nullptr);
}

bool MiddleArea::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick) {
        if (LeftArea* left = Nexus::GetLeftArea())
            emit left->HideUsrPermWidget();
    }
    if (watched == m_audioMixPlayer && (type == QEvent::Resize || type == QEvent::Move)) {
        LiftPalette();
    } else if (watched == &m_pageList) {
        QScrollBar* bar = m_pageList.verticalScrollBar();
        if (type == QEvent::Leave && bar->isVisible())
            bar->hide();
        else if (type == QEvent::Enter && bar->isHidden())
            bar->show();
    } else if (watched == &m_courseArea && (type == QEvent::Enter || type == QEvent::Leave)) {
        DataManager* data = Nexus::GetDataManager();
        const bool enter = type == QEvent::Enter;
        // A holder of the right gets the palette from the room's permission
        // messages; the others see it (empty) while the pointer is here.
        if (data != nullptr && !WhiteBoardWidget::HasWhiteboardRight())
            m_palette.setVisible(enter);
        if (data != nullptr && data->GetRoomRole() > kTeacherRole) {
            m_switchButton.setVisible(enter);
            m_switchButton.raise(); // over a video too
        }
    }
    return QWidget::eventFilter(watched, event);
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
