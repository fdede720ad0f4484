#pragma once

#include <QFrame>
#include <QString>

class QLabel;
class QPushButton;

// The screen shown when entering a class room failed: the reason and a
// button back to the course list.
class LoadingFailUI : public QFrame
{
    Q_OBJECT

public:
    explicit LoadingFailUI(QWidget* parent = nullptr);

    // Fills window below top and shows the screen; -1 for a null window.
    int SetupLayout(QWidget* window, int top);

    QString GetReasonText() const;

signals:
    void ValueChanged(QString reason);

public slots:
    void OnValueChanged(QString reason);
    // Back to the course list.
    void OnUserReturn();

private:
    void PlaceReason();

    QLabel* m_picture = nullptr;
    QLabel* m_title = nullptr;
    QLabel* m_reason = nullptr;
    QPushButton* m_btnReturn = nullptr;
    QWidget* m_window = nullptr;
};
