#pragma once

#include <QDialog>

// The teacher's end-of-class feedback dialog, run modally by the exit roads.
class TeacherFeedBack : public QDialog
{
    Q_OBJECT

public:
    explicit TeacherFeedBack(QWidget* parent = nullptr);

public slots:
    // Shows the dialog centred over its parent; hides it when it is shown.
    void OnShowDialog();
    void OnHideDialog();
};
