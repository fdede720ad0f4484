#pragma once

#include <QPushButton>
#include <QString>

// One button of the history list's pager: "<", a page number or ">". Its
// parent is the list frame of the course home page.
class PageButton : public QPushButton
{
    Q_OBJECT

public:
    explicit PageButton(const QString& text, QWidget* parent = nullptr);

    // The page written on the button; 0 for the two arrows.
    int GetPageNumber() const;
    QString GetPageText() const { return m_text; }
    // Sets the button's text and the text kept beside it.
    void SetPageText(const QString& text);

protected:
    // Turns the page or slides the pager's window, then shows that page.
    void mousePressEvent(QMouseEvent* event) override;

private:
    QString m_text;
};
