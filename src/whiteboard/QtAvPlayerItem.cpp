#include "QtAvPlayerItem.h"

#include "app/Nexus.h"
#include "player/AvPlayer.h"
#include "room/MiddleArea.h"
#include "session/DataManager.h"
#include "session/MediaInfo.h"
#include "whiteboard/CourseRow.h"
#include "whiteboard/QtAvPlayerList.h"
#include "whiteboard/RowDeleteButton.h"
#include "widgets/RoundProgressBar.h"

#include <QDebug>
#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>

namespace {

const QString kUploadShow = QStringLiteral("uploadShow.png");
const int kDeleteSize = 16;

QString FrameStyle(bool focused, bool teacher)
{
    if (focused)
        return QStringLiteral(
            "QWidget{border:1px solid rgb(54, 189, 111);}QWidget:hover{ border:1px solid rgb(54, 189, 111); }");
    if (teacher)
        return QStringLiteral(
            "QWidget{border:1px solid rgb(229, 229, 229);}QWidget:hover{ border:1px solid rgb(54, 189, 111) }");
    return QStringLiteral(
        "QWidget{border:1px solid rgb(229, 229, 229);}QWidget:hover{ border:1px solid rgb(229, 229, 229); }");
}

} // namespace

QtAvPlayerItem::QtAvPlayerItem(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("QtAvPlayerItem"));
    setStyleSheet(QStringLiteral("#QtAvPlayerItem{border:0px;}"));
    m_thumbnail = new QLabel(this);
    m_thumbnail->setAlignment(Qt::AlignCenter);
    m_thumbnail->installEventFilter(this);
    m_innerLabel = new QLabel(m_thumbnail);
    m_innerLabel->hide();
    m_statusLabel = new QLabel(QStringLiteral("仅老师可操作"), this);
    m_statusLabel->setAlignment(Qt::AlignCenter);
    m_statusLabel->setStyleSheet(
        QStringLiteral("background-color:rgb(255,255,255);color:#333333;font:12px Microsoft YaHei UI"));
    m_deleteButton = new RowDeleteButton(this);
    connect(m_deleteButton, &RowDeleteButton::DeleteRequested, this, &QtAvPlayerItem::OnDeleteItem);
}

bool QtAvPlayerItem::IsUploadPlaceholder() const
{
    return m_imagePath == kUploadShow;
}

void QtAvPlayerItem::SetPlayStatus(int status)
{
    m_playStatus = status;
    m_statusLabel->setText(GetStatusText());
    m_statusLabel->show();
    if (m_ownerList != nullptr)
        m_ownerList->OnRowStatusChanged(this);
}

QString QtAvPlayerItem::GetStatusText() const
{
    switch (m_playStatus) {
    case StatusPlaying:
        return QStringLiteral("播放中...");
    case StatusPaused:
        return QStringLiteral("暂停中...");
    default:
        return QStringLiteral("仅老师可操作");
    }
}

void QtAvPlayerItem::MakeGauge()
{
    if (m_gauge != nullptr)
        return;
    m_gauge = CourseRow::MakeGauge(this);
}

void QtAvPlayerItem::SetFocusedLook(bool focused)
{
    m_thumbnail->setStyleSheet(FrameStyle(focused, CourseRow::IsBoardTeacher()));
}

void QtAvPlayerItem::HideInnerLabel()
{
    m_innerLabel->hide();
}

void QtAvPlayerItem::UpdateUI(QtAvPlayerList* list)
{
    if (list == nullptr)
        return;
    const int w = list->width() - 1;
    const double x = (w - 29) * 0.88;
    const int thumbWidth = qMax(1, w - 29);
    const int thumbHeight = qMax(1, int(thumbWidth * 0.75));
    resize(w, qMax(1, int(x - 1))); // the list places its row
    m_thumbnail->setFixedSize(thumbWidth, thumbHeight);
    m_thumbnail->move(15, 0);
    SetFocusedLook(list->GetLastFocusBuddy() == this);

    CourseRow::PlaceGauge(m_gauge, QRect(15, 0, thumbWidth, thumbHeight));

    QString picture = QStringLiteral(":/resource/qtAvPlayer/x1/background.png");
    if (IsUploadPlaceholder())
        picture = QStringLiteral(":/resource/courselist/blank.png");
    else if (m_mediaType == 1)
        picture = QStringLiteral(":/resource/qtAvPlayer/x1/close.png");
    // Inside the one-pixel frame; scaled again only when the kind or the
    // width changed, not on every layout of the list.
    const QSize room(qMax(1, thumbWidth - 2), qMax(1, thumbHeight - 2));
    if (picture != m_shownPicture || room != m_shownSize) {
        const QPixmap image(picture);
        if (!image.isNull()) {
            m_thumbnail->setPixmap(image.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation));
            m_shownPicture = picture;
            m_shownSize = room;
        }
    }
    m_thumbnail->show();

    m_deleteButton->move(thumbWidth - kDeleteSize + 15, 0);
    m_deleteButton->hide();
    m_deleteButton->raise();

    m_statusLabel->setFixedSize(thumbWidth, qMax(1, int(x - thumbHeight)));
    m_statusLabel->move(15, thumbHeight + 1);
    m_statusLabel->show();
    m_innerLabel->hide();
    show();
}

// ---- the user's actions ----

bool QtAvPlayerItem::eventFilter(QObject* watched, QEvent* event)
{
    if (CourseRow::IsLeftPress(watched, m_thumbnail, event)) {
        qDebug() << "into QtAvPlayerItem::eventFilter mouse button press";
        OnThumbnailPressed();
    }
    return QWidget::eventFilter(watched, event);
}

void QtAvPlayerItem::OnThumbnailPressed()
{
    DataManager* data = Nexus::GetDataManager();
    MiddleArea* middle = Nexus::GetMiddleArea();
    if (data == nullptr || middle == nullptr || m_ownerList == nullptr)
        return;
    if (CourseRow::IsBoardTeacher()) {
        MediaInfo* media = data->GetMediaInfoById(m_mediaId);
        if (media == nullptr)
            return;
        middle->PlayerAdapte(media, false);
        if (m_ownerList->GetLastFocusBuddy() != this) {
            m_ownerList->SetLastFocusBuddy(this);
            emit data->LocalSwitchMedia(m_mediaId);
        }
        return;
    }
    // Anyone else: the playing video, shrunk while a page was shown, comes
    // back to the whole course area.
    AvPlayer* player = middle->GetAvPlayer();
    if (m_ownerList->GetLastFocusBuddy() != this || player == nullptr || player->parentWidget() == nullptr
        || player->GetMediaType() != MediaInfo::Video)
        return;
    const QSize area = player->parentWidget()->size();
    if (player->size() != area)
        player->setGeometry(0, 0, area.width(), area.height());
}

void QtAvPlayerItem::OnDeleteItem()
{
    // Copied first: taking the row out releases this widget.
    const QString mediaId = m_mediaId;
    const int mediaType = m_mediaType;
    if (m_ownerList != nullptr)
        m_ownerList->OnDelMediaPage(mediaId);
    if (DataManager* data = Nexus::GetDataManager())
        emit data->LocalDelMedia(mediaId, mediaType);
}
