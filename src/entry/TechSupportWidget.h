#pragma once

#include <QLabel>

class QPushButton;

// The technical-support pop-up of the title bar.
class TechSupportWidget : public QLabel
{
    Q_OBJECT

public:
    explicit TechSupportWidget(QWidget* parent = nullptr);

    // Builds the pop-up's content.
    void InitUI();

private:
    QLabel* m_title = nullptr;
    QPushButton* m_btnClose = nullptr;
};
