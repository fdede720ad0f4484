#pragma once

#include <QFrame>
#include <QString>

class QLabel;
class QProgressBar;
class QPushButton;

// The screen shown while a class room is entered: progress bar, percentage
// and a hint line naming the last step reached.
class LoadingUI : public QFrame
{
    Q_OBJECT

public:
    explicit LoadingUI(QWidget* parent = nullptr);

    // Fills window below top and shows the screen; -1 for a null window.
    int SetupLayout(QWidget* window, int top);

    int GetValue() const;
    QString GetHintText() const;

signals:
    void ValueChanged(int value);

public slots:
    void OnValueChanged(int value);
    void OnRendLoadingMsg(QString text);

private:
    QPushButton* m_spinner = nullptr;
    QProgressBar* m_progressBar = nullptr;
    QLabel* m_progressValue = nullptr;
    QLabel* m_title = nullptr;
    QLabel* m_hint = nullptr;
    QWidget* m_window = nullptr;
};
