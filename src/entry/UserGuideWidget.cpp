#include "UserGuideWidget.h"

#include "app/Nexus.h"
#include "app/Profile.h"
#include "widgets/DPIWidget4RectPixmap.h"

#include <QDebug>
#include <QEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QPushButton>
#include <QTimer>

namespace {

// The size the pages are drawn at (the window's normal size); larger
// renderings come from the scale folders.
const QSize kPageSize(1000, 640);
// The pages' own backdrop, around a page when the window's shape differs.
const QColor kBackdrop(0x1d, 0x21, 0x2a);

const char kExitOutline[] = "QPushButton{border:1px solid #ffffff;font: 16px Microsoft "
                            "YaHei;background:rgba(0,0,0,0);color:#ffffff;border-radius: "
                            "4px;}QPushButton::hover{border:1px solid #ffffff;font: 16px Microsoft "
                            "YaHei;background:rgba(0,0,0,50);color:#ffffff;border-radius: 4px;}";
const char kExitRed[]
    = "QPushButton{border:1px solid #ff4845;font: 16px Microsoft "
      "YaHei;background:#ff4845;color:#ffffff;border-radius: 4px;}QPushButton::hover{background-color: "
      "#ff9999;border: 1px solid #ff9999;border-radius: 2px;color: rgb(255,255,255);font:16px "
      "Microsoft YaHei;}";

QString ArrowSheet(const char* name)
{
    return QStringLiteral("QPushButton{image: url(:resource/userGuide/%1/%2.png);border:0px;}"
                          "QPushButton::hover{image: url(:resource/userGuide/%1/%2_hover.png);border:0px;}")
        .arg(Nexus::GetScaleFolder(), QLatin1String(name));
}

} // namespace

UserGuideWidget::UserGuideWidget(QWidget* parent)
    : QWidget(parent)
    , m_folder(QStringLiteral(":resource/userGuide/"))
    , m_studentPages(QStringLiteral("1|2|3|4|5|6|7"))
    , m_teacherPages(QStringLiteral("1|2|3|4|5|6|7|8"))
{
    setObjectName(QStringLiteral("UserGuideWidget"));
    setWindowFlags(Qt::Popup | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setFocusPolicy(Qt::StrongFocus);
    m_picture = new DPIWidget4RectPixmap(this);
    m_btnLast = new QPushButton(this);
    m_btnLast->setObjectName(QStringLiteral("btnLastPage"));
    m_btnLast->setFixedSize(48, 48);
    m_btnLast->setToolTip(QStringLiteral("上一步"));
    m_btnNext = new QPushButton(this);
    m_btnNext->setObjectName(QStringLiteral("btnNextPage"));
    m_btnNext->setFixedSize(48, 48);
    m_btnNext->setToolTip(QStringLiteral("下一步"));
    m_btnExit = new QPushButton(QStringLiteral("退出引导"), this);
    m_btnExit->setObjectName(QStringLiteral("btnExitGuide"));
    m_btnExit->setFixedSize(88, 36);
    for (QPushButton* button : { m_btnLast, m_btnNext, m_btnExit }) {
        button->setCursor(Qt::PointingHandCursor);
        button->setFocusPolicy(Qt::NoFocus);
    }
    SetExitStyle(false);
    connect(m_btnNext, &QPushButton::clicked, this, &UserGuideWidget::OnClickedNextPage);
    connect(m_btnLast, &QPushButton::clicked, this, &UserGuideWidget::OnClickedLastPage);
    connect(m_btnExit, &QPushButton::clicked, this, &QWidget::hide);
    SetGuideRole(1);
}

void UserGuideWidget::SetGuideRole(int kind)
{
    m_role = kind == 2 ? 2 : 1;
    m_page = 0;
    m_pageNames = (m_role == 2 ? m_teacherPages : m_studentPages).split(QLatin1Char('|'));
    if (m_role == 2) {
        for (int page = 0; page < m_pageNames.size(); ++page)
            qDebug() << "guide path for teacher:" << PagePath(page);
    }
    ShowPage();
}

QString UserGuideWidget::PagePath(int page) const
{
    const QString roleFolder = m_role == 2 ? QStringLiteral("teacher/") : QStringLiteral("student/");
    Profile* profile = Nexus::GetProfile();
    const qreal ratio = qMax(m_picture->devicePixelRatioF(), profile ? profile->GetScaleFactor() : 1.0);
    const QString scale = PictureScaleFolder(m_picture->size(), ratio);
    return m_folder + roleFolder + scale + QLatin1Char('/') + m_pageNames.value(page) + QStringLiteral(".png");
}

QStringList UserGuideWidget::GetPagePaths() const
{
    QStringList paths;
    for (int page = 0; page < m_pageNames.size(); ++page)
        paths << PagePath(page);
    return paths;
}

QString UserGuideWidget::PictureScaleFolder(const QSize& shown, qreal ratio)
{
    const qreal needed
        = ratio * qMax(qreal(shown.width()) / kPageSize.width(), qreal(shown.height()) / kPageSize.height());
    static const QList<QPair<qreal, QString>> scales { { 1.0, QStringLiteral("x1") }, { 1.25, QStringLiteral("x1.25") },
        { 1.5, QStringLiteral("x1.5") }, { 1.75, QStringLiteral("x1.75") } };
    for (const auto& scale : scales) {
        if (scale.first >= needed - 0.01)
            return scale.second;
    }
    return scales.last().second;
}

void UserGuideWidget::SetupLayout(QWidget* window)
{
    if (window == nullptr) {
        qDebug() << "[Error], in UserGuideWidget::SetupLayout, _widget is NULL";
        return;
    }
    m_page = 0;
    // A child of the window, not a window of its own: it stays over the
    // window wherever the window is moved.
    if (parentWidget() != window)
        setParent(window);
    if (m_window != window) {
        if (m_window)
            m_window->removeEventFilter(this);
        m_window = window;
        m_window->installEventFilter(this);
    }
    m_btnLast->setStyleSheet(ArrowSheet("last_page"));
    m_btnNext->setStyleSheet(ArrowSheet("next_page"));
    m_btnLast->hide();
    m_btnNext->show();
    m_btnExit->show();
    SetExitStyle(false);
    Relayout();
    show();
    raise();
    setFocus(Qt::OtherFocusReason);
}

void UserGuideWidget::Relayout()
{
    if (!m_window)
        return;
    setGeometry(0, 0, m_window->width(), m_window->height());
    // The page keeps its shape; at the window's normal size it fills the
    // guide.
    const QSize pageSize = kPageSize.scaled(size(), Qt::KeepAspectRatio);
    m_picture->setGeometry(
        QRect(QPoint((width() - pageSize.width()) / 2, (height() - pageSize.height()) / 2), pageSize));
    m_btnLast->move(35, (height() - m_btnLast->height()) / 2);
    m_btnNext->move(width() - 48 - m_btnNext->width(), (height() - m_btnNext->height()) / 2);
    m_btnExit->move(width() - 36 - m_btnExit->width(), 61);
    ShowPage();
}

void UserGuideWidget::ShowPage()
{
    // Nothing is decoded before the guide is laid out over a window.
    if (!m_window || m_page < 0 || m_page >= m_pageNames.size())
        return;
    const QString path = PagePath(m_page);
    if (path != m_picture->GetPixmapPath())
        m_picture->SetPixmapPath(path);
}

void UserGuideWidget::SetExitStyle(bool lastPage)
{
    m_btnExit->setStyleSheet(QString::fromLatin1(lastPage ? kExitRed : kExitOutline));
}

void UserGuideWidget::OnClickedNextPage()
{
    qDebug() << "into OnClickedNextPage, and dwCurrentPage:" << m_page;
    if (m_page >= m_pageNames.size() - 1)
        return;
    ++m_page;
    qDebug() << "into OnClickedNextPage, and curr url:" << PagePath(m_page);
    ShowPage();
    if (m_btnLast->isHidden())
        m_btnLast->show();
    if (m_page == m_pageNames.size() - 1) {
        m_btnNext->hide();
        SetExitStyle(true);
    }
}

void UserGuideWidget::OnClickedLastPage()
{
    qDebug() << "into OnClickedLastPage, and dwCurrentPage:" << m_page;
    if (m_page <= 0)
        return;
    --m_page;
    qDebug() << "into OnClickedLastPage, and curr url:" << PagePath(m_page);
    ShowPage();
    if (m_page == 0)
        m_btnLast->hide();
    if (m_btnNext->isHidden()) {
        m_btnNext->show();
        SetExitStyle(false);
    }
}

bool UserGuideWidget::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_window && isVisible()) {
        if (event->type() == QEvent::Resize) {
            Relayout();
        } else if (event->type() == QEvent::ChildAdded) {
            // A panel laid into the window later would cover the guide.
            QTimer::singleShot(0, this, [this] {
                if (isVisible())
                    raise();
            });
        }
    }
    return QWidget::eventFilter(watched, event);
}

void UserGuideWidget::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    if (isHidden())
        emit Closed();
}

void UserGuideWidget::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        hide();
        break;
    case Qt::Key_Left:
        OnClickedLastPage();
        break;
    case Qt::Key_Right:
        OnClickedNextPage();
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

void UserGuideWidget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), kBackdrop);
}
