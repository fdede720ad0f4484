#pragma once

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

// The login window's controls, placed at fixed positions on a 696 x 445
// frame: a picture panel on the left, the inputs on a white panel and the
// server choice and links on a grey bar below. GUI thread.
struct NewLoginForm {
    // Builds every control as a child of host and sizes host.
    void setupUi(QFrame* host);

    QFrame* leftFrame = nullptr;
    QFrame* topFrame = nullptr;
    QLabel* label_2 = nullptr;
    QPushButton* btnMin = nullptr;
    QPushButton* btnClose = nullptr;
    QFrame* usrNameFrame = nullptr;
    QLineEdit* usrNameEdit = nullptr;
    QFrame* pwdFrame = nullptr;
    QLineEdit* pwdEdit = nullptr;
    QPushButton* btnPwdSeeNot = nullptr;
    QPushButton* btnErrorIcon = nullptr;
    QLabel* labelErrorMsg = nullptr;
    QCheckBox* checkBox = nullptr;
    QPushButton* btnPwdForget = nullptr;
    QPushButton* btnLogin = nullptr;
    QFrame* bottomFrame = nullptr;
    QLabel* appServerLabel = nullptr;
    QComboBox* comboBox = nullptr;
    QPushButton* btnRegister = nullptr;
    QPushButton* btnSeperator = nullptr;
    QPushButton* btnHelp = nullptr;
};
