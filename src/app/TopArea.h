#pragma once

#include <QPointer>
#include <QWidget>

class MainWindow;
class TitleBar;

// The strip across the top of the main window; holds the title bar.
class TopArea : public QWidget
{
    Q_OBJECT

public:
    explicit TopArea(QWidget* parent = nullptr);
    ~TopArea() override;

    // Becomes a child of window, lays the title bar out across its top and
    // shows both.
    void SetupLayout(MainWindow* window);
    TitleBar* GetTitleBar() const;

signals:
    void CleanUp();

public slots:
    // Hides the strip and its title bar (leaving the class room).
    void OnCleanUp();

private:
    // A child of the main window once laid out, so it may go first.
    QPointer<TitleBar> m_titleBar;
};
