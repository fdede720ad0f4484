#include "NewLoginForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

const char kInputFrameStyle[] = "QFrame{border:1px solid #dddddd;border-radius:2px;background:#ffffff;}";
const char kEditStyle[] = "border:0px;color:#333333;font:15px Microsoft YaHei;";
const char kLinkStyle[] = "QPushButton{border:0px;background:transparent;color:#999999;font:%1px Microsoft YaHei;}"
                          "QPushButton:hover{color:#f74945;text-decoration:underline;}";

template <typename T> T* Make(QWidget* parent, const char* name, const QRect& geometry)
{
    auto* widget = new T(parent);
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(geometry);
    return widget;
}

// A flat button that never takes the focus; clickable ones show the hand.
QPushButton* Button(QWidget* parent, const char* name, const QRect& geometry, const QString& text, bool clickable)
{
    auto* button = Make<QPushButton>(parent, name, geometry);
    button->setText(text);
    button->setFocusPolicy(Qt::NoFocus);
    if (clickable)
        button->setCursor(Qt::PointingHandCursor);
    return button;
}

QLineEdit* Edit(QFrame* frame, const char* name, const QRect& geometry)
{
    auto* edit = Make<QLineEdit>(frame, name, geometry);
    edit->setFocusPolicy(Qt::StrongFocus);
    edit->setStyleSheet(QString::fromLatin1(kEditStyle));
    edit->setFrame(false);
    return edit;
}

} // namespace

void NewLoginForm::setupUi(QFrame* host)
{
    host->setObjectName(QStringLiteral("NewLoginWidget"));
    host->setFixedSize(696, 445);
    host->setWindowTitle(QStringLiteral("Frame"));
    host->setStyleSheet(QStringLiteral("#NewLoginWidget\n{\nborder:0px;\n}"));

    leftFrame = Make<QFrame>(host, "leftFrame", QRect(0, 0, 255, 445));
    topFrame = Make<QFrame>(host, "topFrame", QRect(255, 0, 441, 381));
    topFrame->setStyleSheet(QStringLiteral("#topFrame{background:#ffffff;border:0px;}"));

    label_2 = Make<QLabel>(topFrame, "label_2", QRect(198, 44, 41, 21));
    label_2->setText(QStringLiteral("登录"));
    label_2->setStyleSheet(QStringLiteral("color:#000000;font:20px Microsoft YaHei;"));
    btnMin = Button(topFrame, "btnMin", QRect(369, 14, 23, 23), QString(), true);
    btnClose = Button(topFrame, "btnClose", QRect(396, 14, 23, 23), QString(), true);

    usrNameFrame = Make<QFrame>(topFrame, "usrNameFrame", QRect(40, 104, 362, 50));
    usrNameFrame->setStyleSheet(QString::fromLatin1(kInputFrameStyle));
    usrNameEdit = Edit(usrNameFrame, "usrNameEdit", QRect(12, 16, 335, 17));
    pwdFrame = Make<QFrame>(topFrame, "pwdFrame", QRect(40, 176, 362, 50));
    pwdFrame->setStyleSheet(QString::fromLatin1(kInputFrameStyle));
    pwdEdit = Edit(pwdFrame, "pwdEdit", QRect(12, 16, 301, 16));
    btnPwdSeeNot = Button(pwdFrame, "btnPwdSeeNot", QRect(330, 18, 22, 15), QString(), true);
    btnPwdSeeNot->hide();

    btnErrorIcon = Button(topFrame, "btnErrorIcon", QRect(35, 77, 15, 15), QString(), false);
    btnErrorIcon->hide();
    labelErrorMsg = Make<QLabel>(topFrame, "labelErrorMsg", QRect(66, 77, 321, 16));
    labelErrorMsg->setStyleSheet(QStringLiteral("color:#f74945;font:16px Microsoft YaHei;"));
    // The service's own message may stand here: shown as it stands.
    labelErrorMsg->setTextFormat(Qt::PlainText);

    checkBox = Make<QCheckBox>(topFrame, "checkBox", QRect(40, 246, 92, 20));
    checkBox->setText(QStringLiteral("记住密码"));
    checkBox->setChecked(true);
    checkBox->setFocusPolicy(Qt::NoFocus);
    checkBox->setCursor(Qt::PointingHandCursor);
    btnPwdForget = Button(topFrame, "btnPwdForget", QRect(325, 246, 73, 20), QStringLiteral("忘记密码?"), true);
    btnPwdForget->setStyleSheet(QString::fromLatin1(kLinkStyle).arg(16));
    btnLogin = Button(topFrame, "btnLogin", QRect(40, 281, 362, 50), QStringLiteral("登录"), true);

    bottomFrame = Make<QFrame>(host, "bottomFrame", QRect(256, 380, 441, 64));
    bottomFrame->setStyleSheet(QStringLiteral("#bottomFrame{background:#f7f7f7;border:0px;}"));
    appServerLabel = Make<QLabel>(bottomFrame, "appServerLabel", QRect(19, 23, 57, 15));
    appServerLabel->setText(QStringLiteral("服务器:"));
    appServerLabel->setStyleSheet(QStringLiteral("color:#666666;font:15px Microsoft YaHei;"));
    comboBox = Make<QComboBox>(bottomFrame, "comboBox", QRect(87, 19, 100, 28));
    comboBox->setMinimumWidth(100);
    comboBox->setMaximumWidth(136);
    comboBox->setFocusPolicy(Qt::NoFocus);
    comboBox->setCursor(Qt::PointingHandCursor);
    btnRegister = Button(bottomFrame, "btnRegister", QRect(333, 23, 35, 16), QStringLiteral("注册"), true);
    btnRegister->setStyleSheet(QString::fromLatin1(kLinkStyle).arg(15));
    btnSeperator = Button(bottomFrame, "btnSeperator", QRect(368, 24, 4, 15), QStringLiteral("|"), false);
    btnSeperator->setStyleSheet(QStringLiteral("border:0px;background:transparent;color:#cccccc;font:13px;"));
    btnHelp = Button(bottomFrame, "btnHelp", QRect(373, 23, 35, 16), QStringLiteral("帮助"), true);
    btnHelp->setStyleSheet(QString::fromLatin1(kLinkStyle).arg(15));
}
