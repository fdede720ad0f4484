#include "CFramelessWindow.h"

#include "platform/FramelessWindow.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWindow>

CFramelessWindow::CFramelessWindow(QWidget* parent)
    : QMainWindow(parent)
{
    FramelessWindow::makeFrameless(this);
    SetResizeEnabled(true);
}

CFramelessWindow::~CFramelessWindow()
{
    if (m_watchedWindow)
        m_watchedWindow->removeEventFilter(this);
}

void CFramelessWindow::SetResizeEnabled(bool enabled)
{
    m_resizeable = enabled;
    FramelessWindow::setResizable(this, enabled);
    FramelessWindow::extendFrameIntoClientArea(this);
    // The flags may have re-created the native window.
    WatchNativeWindow();
}

void CFramelessWindow::SetResizeBorderWidth(int width)
{
    m_borderWidth = width > 0 ? width : 1;
}

void CFramelessWindow::RegisterTitleBar(QWidget* titleBar)
{
    if (m_titleBar)
        disconnect(m_titleBar, &QObject::destroyed, this, &CFramelessWindow::onTitleBarDestroyed);
    m_titleBar = titleBar;
    if (titleBar)
        connect(titleBar, &QObject::destroyed, this, &CFramelessWindow::onTitleBarDestroyed);
}

void CFramelessWindow::AddNonDragWidget(QWidget* widget)
{
    if (!widget || GetNonDragWidgets().contains(widget))
        return;
    m_nonDragWidgets.append(widget);
}

QList<QWidget*> CFramelessWindow::GetNonDragWidgets() const
{
    QList<QWidget*> widgets;
    for (const QPointer<QWidget>& listed : m_nonDragWidgets) {
        if (listed)
            widgets.append(listed);
    }
    return widgets;
}

void CFramelessWindow::onTitleBarDestroyed()
{
    // QPointer has already let go of it; the sender check keeps a stale
    // signal from clearing a newer title bar.
    if (!m_titleBar || sender() == m_titleBar.data())
        m_titleBar = nullptr;
}

void CFramelessWindow::showFullScreen()
{
    if (m_justMaximized) {
        setContentsMargins(m_margins);
        m_frames = QMargins();
        m_justMaximized = false;
    }
    QMainWindow::showFullScreen();
}

void CFramelessWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    WatchNativeWindow();
}

void CFramelessWindow::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        FollowMaximizedState();
}

void CFramelessWindow::FollowMaximizedState()
{
    if (isMaximized()) {
        m_frames = FramelessWindow::maximizedMargins(
            QMargins(), FramelessWindow::nativeMaximizedFrame(this), devicePixelRatioF());
        setContentsMargins(m_margins + m_frames);
        m_justMaximized = true;
    } else if (m_justMaximized) {
        setContentsMargins(m_margins);
        update();
        m_justMaximized = false;
        m_frames = QMargins();
    }
}

void CFramelessWindow::WatchNativeWindow()
{
    QWindow* handle = windowHandle();
    if (handle == m_watchedWindow)
        return;
    if (m_watchedWindow)
        m_watchedWindow->removeEventFilter(this);
    m_watchedWindow = handle;
    if (handle)
        handle->installEventFilter(this);
}

bool CFramelessWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_watchedWindow && OnNativeMouse(event))
        return true;
    return QMainWindow::eventFilter(watched, event);
}

// Mouse events of the native window, before any widget sees them: the bands
// along the edges belong to resizing even where a child covers them.
bool CFramelessWindow::OnNativeMouse(QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseMove && type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease)
        return false;
    auto* mouse = static_cast<QMouseEvent*>(event);

    if (m_dragEdges) {
        if (type == QEvent::MouseMove) {
            setGeometry(FramelessWindow::resizedGeometry(m_dragStartGeometry, m_dragEdges,
                mouse->globalPos() - m_dragStartGlobal, minimumSize(), maximumSize()));
        } else if (type == QEvent::MouseButtonRelease && mouse->button() == Qt::LeftButton) {
            m_dragEdges = Qt::Edges();
        }
        return true;
    }

    Qt::Edges edges;
    if (m_resizeable && !isMaximized() && !isFullScreen())
        edges = FramelessWindow::edgesAt(rect(), mouse->pos(), m_borderWidth, minimumSize(), maximumSize());

    if (type == QEvent::MouseMove && mouse->buttons() == Qt::NoButton) {
        ShowEdgeCursor(edges, mouse->globalPos());
        return false;
    }
    if (type != QEvent::MouseButtonPress || mouse->button() != Qt::LeftButton || !edges)
        return false;
    if (!FramelessWindow::startSystemResize(this, edges)) {
        m_dragEdges = edges;
        m_dragStartGlobal = mouse->globalPos();
        m_dragStartGeometry = geometry();
    }
    return true;
}

void CFramelessWindow::ShowEdgeCursor(Qt::Edges edges, const QPoint& globalPos)
{
    if (!m_watchedWindow)
        return;
    if (edges) {
        m_watchedWindow->setCursor(FramelessWindow::cursorFor(edges));
        m_edgeCursorShown = true;
    } else if (m_edgeCursorShown) {
        // Back to the cursor of whatever lies under the pointer.
        QWidget* under = QApplication::widgetAt(globalPos);
        m_watchedWindow->setCursor(under && under->window() == this ? under->cursor() : cursor());
        m_edgeCursorShown = false;
    }
}
