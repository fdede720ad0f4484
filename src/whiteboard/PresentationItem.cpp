#include "PresentationItem.h"

#include "app/DownldManager.h"
#include "app/Nexus.h"
#include "room/MenuBar.h"
#include "room/MiddleArea.h"
#include "session/DataManager.h"
#include "whiteboard/CourseRow.h"
#include "whiteboard/PresentationList.h"
#include "whiteboard/RowDeleteButton.h"
#include "whiteboard/WhiteBoardWidget.h"
#include "widgets/DPIWidget4RectPixmap.h"
#include "widgets/RoundProgressBar.h"

#include <QDebug>
#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QMovie>
#include <QPushButton>

namespace {
const QString kUploadShow = QStringLiteral("uploadShow.png");
const QString kBlankPage = QStringLiteral("blank.png");
const QString kBuiltInBlank = QStringLiteral(":/resource/courselist/blank.png");
const int kRefreshSize = 26;
const int kDeleteSize = 16;
} // namespace

PresentationItem::PresentationItem(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("PresentationItem"));
    setStyleSheet(QStringLiteral("#PresentationItem{border:0px;}"));

    m_numberLabel = new QLabel(this);
    m_numberLabel->setStyleSheet(QStringLiteral("font:9px;border:0px;color:rgb(80,80,80);"));
    QPalette numberColours = m_numberLabel->palette();
    numberColours.setColor(QPalette::WindowText, QColor(80, 80, 80));
    m_numberLabel->setPalette(numberColours);

    m_thumbnail = new DPIWidget4RectPixmap(this);
    m_thumbnail->paintStyleOverlay = true;
    m_thumbnail->setAlignment(Qt::AlignCenter);
    m_thumbnail->setStyleSheet(QStringLiteral(
        "QLabel{border:1px solid rgb(229, 229, 229);}QLabel:hover{ border:1px solid rgb(54, 189, 111) }"));
    m_thumbnail->installEventFilter(this);

    m_badge = new QLabel(QStringLiteral("老师当前页"), m_thumbnail);
    m_badge->setAlignment(Qt::AlignCenter);
    m_badge->setStyleSheet(QStringLiteral("font:12px;background-color: rgb(54, 189, 111);border:0px;color:#ffffff;"));
    m_badge->hide();

    m_deleteButton = new RowDeleteButton(this);
    connect(m_deleteButton, &RowDeleteButton::DeleteRequested, this, &PresentationItem::OnDeleteItem);

    m_refreshButton = new QPushButton(this);
    m_refreshButton->setObjectName(QStringLiteral("refreshButton"));
    m_refreshButton->setCursor(Qt::PointingHandCursor);
    m_refreshButton->setFocusPolicy(Qt::NoFocus);
    m_refreshButton->setStyleSheet(CourseRow::IconButtonStyle(QStringLiteral("refresh.png")));
    m_refreshButton->setFixedSize(kRefreshSize, kRefreshSize);
    m_refreshButton->hide();
    connect(m_refreshButton, &QPushButton::clicked, this, &PresentationItem::OnRefresh);
}

void PresentationItem::SetNumber(int number)
{
    m_number = number;
    m_numberLabel->setText(QString::number(number));
}

bool PresentationItem::IsUploadPlaceholder() const
{
    return m_imagePath == kUploadShow;
}

void PresentationItem::ShowCurrentPageBadge()
{
    const int height = m_thumbnail->height() / 4;
    m_badge->setFixedSize(m_thumbnail->width(), height);
    m_badge->move(0, m_thumbnail->height() - height);
    m_badge->show();
    m_badge->raise();
    if (m_ownerList != nullptr)
        m_ownerList->SetFocusedItem(this);
}

void PresentationItem::HideCurrentPageBadge()
{
    m_badge->hide();
}

bool PresentationItem::IsBadgeShown() const
{
    return !m_badge->isHidden();
}

// ---- the thumbnail ----

void PresentationItem::SetThumbnailPath(const QString& path)
{
    m_thumbnailPath = path;
    // Before the row is laid out the picture would be decoded at a size
    // it never shows; the layout loads it.
    if (m_thumbnail->testAttribute(Qt::WA_Resized))
        m_thumbnail->SetPixmapPath(path);
}

void PresentationItem::LoadThumbnail()
{
    // An upload still converting has no picture: it shows the animation.
    SetThumbnailPath(m_imagePath);
    m_refreshButton->hide();
}

void PresentationItem::ShowFailImage()
{
    SetThumbnailPath(QStringLiteral(":/resource/courselist/%1/fail.png").arg(Nexus::GetScaleFolder()));
    m_thumbnail->update();
    // A page without a picture address cannot be fetched again.
    m_refreshButton->setVisible(!m_imagePath.isEmpty() && !IsUploadPlaceholder());
}

bool PresentationItem::IsFailed() const
{
    return m_thumbnailPath.endsWith(QLatin1String("/fail.png"));
}

bool PresentationItem::IsLoading() const
{
    return m_thumbnail->movie() != nullptr;
}

void PresentationItem::MakeGauge()
{
    if (m_gauge != nullptr)
        return;
    m_gauge = CourseRow::MakeGauge(m_thumbnail);
}

void PresentationItem::UpdateUI(PresentationList* list)
{
    qDebug() << "into  PresentationItem::UpdateUI";
    if (list == nullptr)
        return;
    const int w = list->width() - 1;
    const int thumbWidth = qMax(1, w - 29);
    const int thumbHeight = qMax(1, int(thumbWidth * 0.75));
    // Sized only: the list places its row, also when a picture arrives
    // after the list was laid out.
    resize(w, qMax(1, thumbHeight - 1));
    m_thumbnail->setFixedSize(thumbWidth, thumbHeight);
    m_thumbnail->move(15, 0);

    CourseRow::PlaceGauge(m_gauge, QRect(0, 0, thumbWidth, thumbHeight));

    if (m_imagePath.section(QLatin1Char('/'), -1) == kBlankPage && !IsFailed())
        m_thumbnailPath = kBuiltInBlank;
    if (m_thumbnail->GetPixmapPath() != m_thumbnailPath)
        m_thumbnail->SetPixmapPath(m_thumbnailPath);
    if (m_thumbnail->HasPicture())
        m_thumbnail->setMovie(nullptr);
    else if (m_thumbnail->movie() == nullptr)
        m_thumbnail->setMovie(list->LoadingMovie(m_thumbnail->size()));

    m_thumbnail->update();
    m_thumbnail->show();
    m_deleteButton->move(thumbWidth - kDeleteSize + 15, 0);
    m_deleteButton->hide();
    m_deleteButton->raise();
    m_numberLabel->setGeometry(0, 0, 13, 13);
    m_numberLabel->show();
    m_refreshButton->move((width() - m_refreshButton->width()) / 2, (thumbHeight - m_refreshButton->height()) / 2);
    m_refreshButton->raise();
    m_badge->hide();
    show();
}

// ---- the user's actions ----

bool PresentationItem::eventFilter(QObject* watched, QEvent* event)
{
    if (CourseRow::IsLeftPress(watched, m_thumbnail, event)) {
        qDebug() << "into PresentationItem::eventFilter mouse button press";
        OnThumbnailPressed();
    }
    return QWidget::eventFilter(watched, event);
}

void PresentationItem::OnThumbnailPressed()
{
    DataManager* data = Nexus::GetDataManager();
    const QString whiteboardId = data ? data->GetWhiteboardIdByPresentationId(m_presentationId) : QString();
    // An upload still converting is no page of the room yet.
    if (whiteboardId.isEmpty())
        return;
    WhiteBoardWidget* board = Nexus::GetWhiteBoardWidget();
    if (board && board->GetCurrWhiteboardId() != whiteboardId) {
        board->SetCurrWhiteboardId(whiteboardId);
        if (MiddleArea* middle = Nexus::GetMiddleArea())
            middle->PresentationSizeAdapte(m_imagePath);
    }
    if (!CourseRow::IsBoardTeacher() || m_ownerList == nullptr)
        return;
    PresentationItem* focused = m_ownerList->GetFocusedItem();
    if (focused == this)
        return;
    if (focused != nullptr)
        focused->HideCurrentPageBadge();
    ShowCurrentPageBadge();
    emit data->LocalTrunPage(m_presentationId);
}

void PresentationItem::mousePressEvent(QMouseEvent* event)
{
    if (MenuBar* bar = Nexus::GetMenuBar())
        bar->HidePopUpWidget();
    QWidget::mousePressEvent(event);
}

void PresentationItem::OnDeleteItem()
{
    // Copied first: taking the row out releases this widget.
    const QString presentationId = m_presentationId;
    PresentationList* list = m_ownerList;
    if (list != nullptr)
        list->OnDelCoursePage(presentationId);
    if (DataManager* data = Nexus::GetDataManager())
        emit data->LocalDelPage(presentationId);
}

void PresentationItem::OnRefresh()
{
    m_refreshButton->hide();
    if (m_ownerList != nullptr)
        m_ownerList->MarkFailed(m_presentationId, false);
    LoadThumbnail();
    PresentationList* list = Nexus::GetPresentationList();
    UpdateUI(list != nullptr ? list : m_ownerList);
    if (DownldManager* transfers = Nexus::GetDownldManager())
        emit transfers->refreshDownload(2, m_presentationId);
}
