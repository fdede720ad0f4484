#pragma once

#include <QList>
#include <QMainWindow>
#include <QMargins>
#include <QPointer>
#include <QRect>

class QWindow;

// A main window without the system's title bar and border that still
// resizes from its edges and corners like a normal window. Moving and the
// title-bar buttons belong to the title bar, not to this base.
class CFramelessWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit CFramelessWindow(QWidget* parent = nullptr);
    ~CFramelessWindow() override;

    // Edge resizing and the maximise button; the window keeps its earlier
    // visibility.
    void SetResizeEnabled(bool enabled);
    bool IsResizeEnabled() const { return m_resizeable; }
    // Width of the resize band along the edges; 0 or less gives 1.
    void SetResizeBorderWidth(int width);
    int GetResizeBorderWidth() const { return m_borderWidth; }
    // The title bar and those of its widgets that do not handle the mouse
    // themselves; held for the title bar's use.
    void RegisterTitleBar(QWidget* titleBar);
    QWidget* GetTitleBar() const { return m_titleBar; }
    void AddNonDragWidget(QWidget* widget);
    QList<QWidget*> GetNonDragWidgets() const;
    QMargins GetStoredMargins() const { return m_margins; }

public slots:
    void onTitleBarDestroyed();
    // Drops the frame added while maximised, then shows full screen.
    void showFullScreen();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void WatchNativeWindow();
    bool OnNativeMouse(QEvent* event);
    void ShowEdgeCursor(Qt::Edges edges, const QPoint& globalPos);
    void FollowMaximizedState();

    QPointer<QWidget> m_titleBar;
    QList<QPointer<QWidget>> m_nonDragWidgets;
    int m_borderWidth = 5;
    QMargins m_margins;
    bool m_justMaximized = false;
    QMargins m_frames;
    bool m_resizeable = true;

    QPointer<QWindow> m_watchedWindow;
    bool m_edgeCursorShown = false;
    // Edge drag done by hand where the window system cannot take it.
    Qt::Edges m_dragEdges;
    QPoint m_dragStartGlobal;
    QRect m_dragStartGeometry;
};
