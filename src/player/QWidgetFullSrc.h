#pragma once

#include <QWidget>

// The top-level window the video player fills while it is shown full
// screen; Escape there asks to leave full screen.
class QWidgetFullSrc : public QWidget
{
    Q_OBJECT

public:
    explicit QWidgetFullSrc(QWidget* parent = nullptr);

signals:
    void pressEsc();

protected:
    void keyPressEvent(QKeyEvent* event) override;
};
