#pragma once

#include <QDialog>

// The student's end-of-class feedback dialog, run modally by the exit roads
// (accepted gives 1).
class UserFeedBack : public QDialog
{
    Q_OBJECT

public:
    explicit UserFeedBack(QWidget* parent = nullptr);

    int GetScore() const { return m_score; }
    // Sends the score and comment to the web service; nothing at score 0.
    void OnFeedbackAndDirectExt();

public slots:
    // Shows the dialog centred over its parent; hides it when it is shown.
    void OnShowDialog();
    void OnHideDialog();
    void OnScoreBtnPressed(int index);

private:
    int m_score = 0;
};
