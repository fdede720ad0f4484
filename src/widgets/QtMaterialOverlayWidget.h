#pragma once

#include <QPushButton>
#include <QRect>

// A transparent button laid over its parent: it follows the parent's size,
// and a press anywhere on the parent clicks it (the press still reaches the
// parent).
class QtMaterialOverlayWidget : public QPushButton
{
    Q_OBJECT

public:
    explicit QtMaterialOverlayWidget(QWidget* parent = nullptr);

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // The rectangle the overlay takes: the parent's, empty without one.
    virtual QRect coverRect() const;
};
