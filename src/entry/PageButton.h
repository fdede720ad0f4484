#pragma once

#include <QPushButton>

// One button of the history list's pager: "<", a page number or ">".
class PageButton : public QPushButton
{
    Q_OBJECT

public:
    explicit PageButton(const QString& text, QWidget* parent = nullptr);

    // The page written on the button; 0 for the two arrows.
    int GetPageNumber() const;

protected:
    void mousePressEvent(QMouseEvent* event) override;
};
