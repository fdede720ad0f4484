#include "ScreenShot.h"

#include "app/AppPaths.h"

#include <QApplication>
#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <atomic>

namespace {

std::atomic<ScreenShotSendCallback> s_callback { nullptr };

// Full-screen layer over a still picture of the screen: drag to choose a
// region, release to save it; Return takes the whole screen, Escape or the
// right button cancels.
class ScreenShotOverlay : public QWidget
{
public:
    ScreenShotOverlay(const QPixmap& shot, const QRect& geometry, double scale)
        : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool)
        , m_shot(shot)
        , m_scale(scale)
    {
        setObjectName(QStringLiteral("ScreenShotOverlay"));
        setAttribute(Qt::WA_DeleteOnClose);
        setCursor(Qt::CrossCursor);
        setGeometry(geometry);
        setFocusPolicy(Qt::StrongFocus);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.drawPixmap(rect(), m_shot);
        painter.fillRect(rect(), QColor(0, 0, 0, 110));
        const QRect region = Selection();
        if (region.isValid()) {
            const double ratio = m_shot.width() / double(qMax(1, width()));
            painter.drawPixmap(region, m_shot,
                QRectF(region.x() * ratio, region.y() * ratio, region.width() * ratio, region.height() * ratio));
            painter.setPen(QPen(QColor(0x1E, 0x9F, 0xFF), qMax(1.0, m_scale * 2)));
            painter.drawRect(region.adjusted(0, 0, -1, -1));
        }
    }
    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::RightButton) {
            close();
            return;
        }
        m_start = m_end = event->pos();
        m_dragging = true;
        update();
    }
    void mouseMoveEvent(QMouseEvent* event) override
    {
        if (!m_dragging)
            return;
        m_end = event->pos();
        update();
    }
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (!m_dragging || event->button() != Qt::LeftButton)
            return;
        m_dragging = false;
        m_end = event->pos();
        const QRect region = Selection();
        if (region.width() < 2 || region.height() < 2) {
            update();
            return;
        }
        Save(region);
    }
    void keyPressEvent(QKeyEvent* event) override
    {
        if (event->key() == Qt::Key_Escape)
            close();
        else if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
            Save(rect());
    }

private:
    // The pixels between the press and the release point, not both corners.
    QRect Selection() const
    {
        return QRect(QPoint(qMin(m_start.x(), m_end.x()), qMin(m_start.y(), m_end.y())),
            QSize(qAbs(m_end.x() - m_start.x()), qAbs(m_end.y() - m_start.y())));
    }

    void Save(const QRect& region)
    {
        const double ratio = m_shot.width() / double(qMax(1, width()));
        const QRect source(int(region.x() * ratio), int(region.y() * ratio), int(region.width() * ratio),
            int(region.height() * ratio));
        const QString folder = AppPaths::DataFolder() + QStringLiteral("screenshot/");
        QDir().mkpath(folder);
        const QString path = folder
            + QStringLiteral("screenshot_%1.png")
                  .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMddhhmmsszzz")));
        hide();
        if (!m_shot.copy(source).save(path, "PNG")) {
            qWarning() << "[ERROR] screenshot not saved, path:" << path;
            close();
            return;
        }
        close();
        const QByteArray local = path.toLocal8Bit();
        if (ScreenShotSendCallback callback = s_callback.load())
            callback(local.constData());
    }

    QPixmap m_shot;
    double m_scale;
    QPoint m_start;
    QPoint m_end;
    bool m_dragging = false;
};

QPointer<ScreenShotOverlay> s_overlay;

// Where the platform cannot read the screen back (a headless server), the
// picture is made of the program's own visible windows on a white screen.
QPixmap ComposeOwnWindows(QScreen* screen)
{
    const QRect area = screen->geometry();
    QPixmap shot(area.size());
    shot.fill(Qt::white);
    QPainter painter(&shot);
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible() && widget->objectName() != QLatin1String("ScreenShotOverlay"))
            painter.drawPixmap(widget->frameGeometry().topLeft() - area.topLeft(), widget->grab());
    }
    return shot;
}

void OpenOnGuiThread(int scaleStep)
{
    static const double kScales[] = { 1.0, 1.25, 1.5, 1.75 };
    if (scaleStep < 1 || scaleStep > 4) {
        qDebug() << "OpenScreenShot, unknown scale step:" << scaleStep;
        return;
    }
    if (s_overlay)
        return;
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) {
        qWarning() << "[ERROR] OpenScreenShot, no screen to capture";
        return;
    }
    QPixmap shot = screen->grabWindow(0);
    if (shot.isNull())
        shot = ComposeOwnWindows(screen);
    s_overlay = new ScreenShotOverlay(shot, screen->geometry(), kScales[scaleStep - 1]);
    s_overlay->show();
    s_overlay->activateWindow();
    s_overlay->setFocus();
}

} // namespace

void SetScreenShotSend(ScreenShotSendCallback callback)
{
    s_callback.store(callback);
}

void OpenScreenShot(int scaleStep)
{
    if (!qApp)
        return;
    QMetaObject::invokeMethod(
        qApp, [scaleStep] { OpenOnGuiThread(scaleStep); }, Qt::AutoConnection);
}

void DestoryScreenShot()
{
    if (!qApp)
        return;
    QMetaObject::invokeMethod(
        qApp,
        [] {
            if (s_overlay)
                s_overlay->close();
        },
        Qt::AutoConnection);
}
