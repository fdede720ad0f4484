#include "NewLoginWidget.h"

#include "CourseCards.h"
#include "NewLoginForm.h"
#include "SchoolWebService.h"
#include "app/MainWindow.h"
#include "app/Nexus.h"
#include "app/Profile.h"
#include "app/UserSettings.h"
#include "platform/FramelessWindow.h"
#include "session/DataManager.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDebug>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QJsonObject>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QUrl>

namespace {

const char kFilledEditStyle[] = "border:0px;color:#333333;font:15px Microsoft YaHei;";
const char kHintEditStyle[] = "border:0px;color:#aaaaaa;font:15px Microsoft YaHei;";
const char kActiveLoginStyle[]
    = "QPushButton{background-color: #f74945;border: 1px solid #f74945;border-radius: 2px;color: "
      "rgb(255,255,255);font:16px Microsoft YaHei;}QPushButton::hover{background-color: #ff9999;border: 1px solid "
      "#ff9999;border-radius: 2px;color: rgb(255,255,255);font:16px Microsoft YaHei;}";
const char kPaleLoginStyle[] = "QPushButton{background-color: #ff9999;border: 1px solid #ff9999;border-radius: "
                               "2px;color: rgb(255,255,255);font:16px Microsoft YaHei;}";
const char kImageButtonStyle[] = "QPushButton{border:0px;background:transparent;image:url(%1);}";
const char kWindowButtonStyle[] = "QPushButton{border:0px;background:transparent;image:url(%1);}"
                                  "QPushButton:hover{background:#efefef;}";
const char kCheckBoxStyle[] = "QCheckBox{color:#999999;font:16px Microsoft YaHei;spacing:6px;}"
                              "QCheckBox::indicator{width:18px;height:18px;}"
                              "QCheckBox::indicator:unchecked{image:url(%1);}"
                              "QCheckBox::indicator:unchecked:hover{image:url(%2);}"
                              "QCheckBox::indicator:checked{image:url(%3);}";
const char kComboStyle[]
    = "QComboBox{background:#ffffff;border:1px solid #dddddd;border-radius:2px;padding-left:6px;color:#333333;"
      "font:14px Microsoft YaHei;}"
      "QComboBox::drop-down{border:0px;width:22px;}"
      "QComboBox::down-arrow{image:url(:resource/login/x1.75/arrow.png);width:10px;height:6px;}"
      "QComboBox QAbstractItemView{background:#ffffff;border:1px solid #dddddd;color:#333333;"
      "selection-background-color:#fde4e3;selection-color:#333333;outline:0px;}";
const int kMinPasswordLength = 6;

// Where the remembered password is kept: its local 8-bit bytes in Base64.
QString EncodedPassword(const QString& password)
{
    return QString::fromLatin1(password.toLocal8Bit().toBase64());
}

QString DecodedPassword(const QString& stored)
{
    return QString::fromLocal8Bit(QByteArray::fromBase64(stored.toLocal8Bit()));
}

// The user id of the reply: a positive decimal text, else 0.
int UserIdOf(const QJsonObject& data)
{
    bool ok = false;
    const int uid = data.value(QLatin1String("userId")).toString().toInt(&ok, 10);
    return ok && uid > 0 ? uid : 0;
}

} // namespace

NewLoginWidget::NewLoginWidget(QWidget* parent)
    : QFrame(parent)
    , m_form(new NewLoginForm)
    , m_inner(new QFrame(this))
{
    setWindowFlags(Qt::FramelessWindowHint);
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
    m_form->setupUi(m_inner);
    m_inner->move(0, 0);
    resize(m_inner->size());
    setObjectName(QStringLiteral("NewLoginWidget"));
    setStyleSheet(QStringLiteral("#NewLoginWidget{background:rgb(255,255,255);}"));
    FramelessWindow::extendFrameIntoClientArea(this);

    NewLoginForm& ui = *m_form;
    connect(ui.comboBox, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &NewLoginWidget::OnIspNodeChanged);
    connect(this, &NewLoginWidget::UsrInfoInitFlagChanged, this, &NewLoginWidget::UpdateCSS4UsrEdit);
    connect(this, &NewLoginWidget::PwdInfoInitFlagChanged, this, &NewLoginWidget::UpdateCSS4PwdEdit);
    connect(ui.usrNameEdit, &QLineEdit::editingFinished, this, &NewLoginWidget::JudgeUsrInfo);
    connect(ui.pwdEdit, &QLineEdit::editingFinished, this, &NewLoginWidget::JudgePwdInfo);
    connect(ui.usrNameEdit, &QLineEdit::textChanged, this, &NewLoginWidget::UpdateCSS4LoginBtn);
    connect(ui.pwdEdit, &QLineEdit::textChanged, this, &NewLoginWidget::UpdateCSS4LoginBtn);
    // Whatever put the text there (a key, a paste, a drop), a field that
    // holds text is a filled field: a password is never shown in clear
    // unless the eye button asks for it.
    connect(ui.usrNameEdit, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (!text.isEmpty() && m_dwUsrInfoInitFlag != 2)
            SetUsrInfoInitFlag(2);
    });
    connect(ui.pwdEdit, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (!text.isEmpty() && m_dwPwdInfoInitFlag != 2)
            SetPwdInfoInitFlag(2);
    });
    connect(ui.btnClose, &QPushButton::clicked, this, &QWidget::close);
    connect(ui.btnMin, &QPushButton::clicked, this, &QWidget::showMinimized);
    connect(ui.btnPwdSeeNot, &QPushButton::clicked, this, &NewLoginWidget::OnShowPwd);
    connect(ui.btnLogin, &QPushButton::clicked, this, &NewLoginWidget::OnUsrLogin);
    connect(ui.btnPwdForget, &QPushButton::clicked, this, &NewLoginWidget::OnPwdForgetLinkJump);
    connect(ui.btnRegister, &QPushButton::clicked, this, &NewLoginWidget::OnRegisterLinkJump);
    connect(ui.btnHelp, &QPushButton::clicked, this, &NewLoginWidget::OnHelpLinkJump);
    connect(this, &NewLoginWidget::DownloadCfgFinished, this, &NewLoginWidget::OnDownloadCfgFinished);
    ui.usrNameEdit->installEventFilter(this);
    ui.pwdEdit->installEventFilter(this);
}

NewLoginWidget::~NewLoginWidget()
{
    // The controls outlive this object's own part: closing the window while
    // it is destroyed takes their focus, and their signals must not reach
    // it any more.
    for (QObject* control : m_inner->findChildren<QObject*>()) {
        disconnect(control, nullptr, this, nullptr);
        control->removeEventFilter(this);
    }
    delete m_form;
}

void NewLoginWidget::SetUsrInfoInitFlag(int flag)
{
    m_dwUsrInfoInitFlag = flag;
    emit UsrInfoInitFlagChanged(flag);
}

void NewLoginWidget::SetPwdInfoInitFlag(int flag)
{
    m_dwPwdInfoInitFlag = flag;
    emit PwdInfoInitFlagChanged(flag);
}

QString NewLoginWidget::Picture(const char* name, const QString& folder)
{
    return QStringLiteral(":resource/login/%1/").arg(folder) + QLatin1String(name);
}

QString NewLoginWidget::ScaledPicture(const char* name) const
{
    return Picture(name, Nexus::GetScaleFolder());
}

void NewLoginWidget::ShowLogin()
{
    if (parentWidget() != nullptr)
        setParent(nullptr, windowFlags());
    ApplySkin();
    if (m_form->comboBox->count() == 0)
        FillNodes();
    RestoreCredentials();
    NewLoginForm& ui = *m_form;
    if (m_dwUsrInfoInitFlag == 2 && !ui.usrNameEdit->text().isEmpty()) {
        ui.pwdEdit->setFocus(Qt::OtherFocusReason);
        ui.pwdEdit->end(false);
        ui.btnPwdSeeNot->show();
    } else {
        ui.usrNameEdit->setFocus(Qt::OtherFocusReason);
        ui.usrNameEdit->end(false);
    }
    UpdateCSS4LoginBtn(QString());
    // Centred once on the screen; later showings keep where the user
    // dragged it.
    if (!m_placed) {
        m_placed = true;
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect area = screen->availableGeometry();
            move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
        }
    }
    show();
    raise();
    activateWindow();
}

void NewLoginWidget::ApplySkin()
{
    NewLoginForm& ui = *m_form;
    const QString fixed = QStringLiteral("x1.5");
    ui.leftFrame->setObjectName(QStringLiteral("LeftFrame"));
    ui.leftFrame->setStyleSheet(
        QStringLiteral("QFrame#LeftFrame{border-image:url(%1)}").arg(ScaledPicture("background.png")));
    ui.btnClose->setStyleSheet(QString::fromLatin1(kWindowButtonStyle).arg(Picture("close.png", fixed)));
    ui.btnMin->setStyleSheet(QString::fromLatin1(kWindowButtonStyle).arg(Picture("min.png", fixed)));
    ui.checkBox->setStyleSheet(
        QString::fromLatin1(kCheckBoxStyle)
            .arg(Picture("uncheck.png", fixed), Picture("uncheck-hover.png", fixed), Picture("checked.png", fixed)));
    ui.comboBox->setStyleSheet(QString::fromLatin1(kComboStyle));
    ui.btnErrorIcon->setStyleSheet(QString::fromLatin1(kImageButtonStyle).arg(ScaledPicture("error_icon.png")));
    ui.btnErrorIcon->hide();
    ui.btnPwdSeeNot->setStyleSheet(QString::fromLatin1(kImageButtonStyle).arg(ScaledPicture("pwd_disable_see.png")));
}

void NewLoginWidget::FillNodes()
{
    QComboBox* combo = m_form->comboBox;
    const Profile* profile = Nexus::GetProfile();
    combo->clear();
    const QIcon icon(Picture("best_network_icon.png", QStringLiteral("x1")));
    combo->addItem(icon, QStringLiteral("Auto"));
    const QString list = profile ? profile->GetNodeList() : QString();
    // A blank name names no node; it would only show as an empty row.
    m_nodeNames = list.split(QLatin1Char('|'), Qt::SkipEmptyParts);
    for (const QString& name : qAsConst(m_nodeNames))
        combo->addItem(icon, name);
    qDebug() << "into NewLoginWidget::OnDownloadCfgFinished, and update isp list:" << list;
}

void NewLoginWidget::OnDownloadCfgFinished()
{
    if (Nexus::GetProfile() == nullptr)
        return;
    FillNodes();
}

void NewLoginWidget::RestoreCredentials()
{
    NewLoginForm& ui = *m_form;
    const QString userName = UserSettings::Text(UserSettings::UserName);
    const QString storedPassword = UserSettings::Text(UserSettings::UserPwd);
    if (!storedPassword.isEmpty())
        ui.pwdEdit->setText(DecodedPassword(storedPassword));
    SetPwdInfoInitFlag(ui.pwdEdit->text().isEmpty() ? 1 : 2);
    if (!userName.isEmpty())
        ui.usrNameEdit->setText(userName);
    SetUsrInfoInitFlag(ui.usrNameEdit->text().isEmpty() ? 1 : 2);
}

void NewLoginWidget::OnIspNodeChanged(int index)
{
    if (index == m_currentNodeIndex)
        return;
    m_currentNodeIndex = index;
    Profile* profile = Nexus::GetProfile();
    if (!profile || index < 0)
        return;
    DataManager* data = Nexus::GetDataManager();
    if (index == 0) {
        profile->SetUrls(
            { { ClassServerProperty::RegServer, profile->GetUrl(ClassServerProperty::RegServerConfigured) },
                { ClassServerProperty::AppServer, profile->GetUrl(ClassServerProperty::AppServerConfigured) },
                { ClassServerProperty::AgoraDynamicKey,
                    profile->GetUrl(ClassServerProperty::AgoraDynamicKeyConfigured) } });
        if (data)
            data->SetServerChoiceDone(false);
        qDebug() << "into NewLoginWidget::OnIspNodeChanged, index:" << 0 << ", and change to default host";
        return;
    }
    // Each node's own servers, by its name: the first one stands for it.
    const QString name = m_nodeNames.value(index - 1);
    const QString node
        = profile->GetNodeServers().value(name).split(QLatin1Char('|'), Qt::SkipEmptyParts).value(0).trimmed();
    if (name.isEmpty() || node.isEmpty())
        return;
    qDebug() << "into NewLoginWidget::OnIspNodeChanged, index:" << index << ", ispNode:" << node;
    // Always from the configured addresses, so a second choice replaces
    // the first instead of finding nothing left to rewrite. The secure
    // schemes stay unless plain text was asked for, as for the server choice:
    // the room password and the RTC key never travel in clear by default.
    profile->SetUrls(profile->UrlsPointedAt(node, true));
    profile->SetChosenServer(node);
    if (data)
        data->SetServerChoiceDone(true);
}

void NewLoginWidget::JudgeUsrInfo()
{
    if (m_form->usrNameEdit->text().isEmpty())
        SetUsrInfoInitFlag(1);
}

void NewLoginWidget::JudgePwdInfo()
{
    if (m_form->pwdEdit->text().isEmpty())
        SetPwdInfoInitFlag(1);
}

void NewLoginWidget::UpdateCSS4UsrEdit(int value)
{
    QLineEdit* edit = m_form->usrNameEdit;
    if (value == 1) {
        edit->setStyleSheet(QString::fromLatin1(kHintEditStyle));
        edit->setPlaceholderText(QStringLiteral("请输入您的手机号或者邮箱"));
    } else if (value == 2) {
        edit->setStyleSheet(QString::fromLatin1(kFilledEditStyle));
    }
}

void NewLoginWidget::UpdateCSS4PwdEdit(int value)
{
    NewLoginForm& ui = *m_form;
    if (value == 1) {
        ui.btnPwdSeeNot->hide();
        ui.pwdEdit->setStyleSheet(QString::fromLatin1(kHintEditStyle));
        ui.pwdEdit->setPlaceholderText(QStringLiteral("请输入密码"));
        // Normal echo only shows the hint; the edit is empty in this state.
        if (ui.pwdEdit->text().isEmpty())
            ui.pwdEdit->setEchoMode(QLineEdit::Normal);
        ui.btnPwdSeeNot->setStyleSheet(QString::fromLatin1(kImageButtonStyle).arg(ScaledPicture("pwd_able_see.png")));
    } else if (value == 2) {
        ui.pwdEdit->setStyleSheet(QString::fromLatin1(kFilledEditStyle));
        ui.pwdEdit->setEchoMode(QLineEdit::Password);
        ui.btnPwdSeeNot->setStyleSheet(
            QString::fromLatin1(kImageButtonStyle).arg(ScaledPicture("pwd_disable_see.png")));
    }
}

void NewLoginWidget::UpdateCSS4LoginBtn(QString)
{
    NewLoginForm& ui = *m_form;
    const QString password = ui.pwdEdit->text();
    ui.btnPwdSeeNot->setVisible(!password.isEmpty());
    const bool ready = m_dwPwdInfoInitFlag == 2 && password.size() >= kMinPasswordLength && m_dwUsrInfoInitFlag == 2
        && !ui.usrNameEdit->text().isEmpty();
    // Only the look changes: a pale button still logs in.
    ui.btnLogin->setStyleSheet(QString::fromLatin1(ready ? kActiveLoginStyle : kPaleLoginStyle));
}

void NewLoginWidget::OnShowPwd()
{
    QLineEdit* edit = m_form->pwdEdit;
    const bool hidden = edit->echoMode() == QLineEdit::Password;
    edit->setEchoMode(hidden ? QLineEdit::Normal : QLineEdit::Password);
    m_form->btnPwdSeeNot->setStyleSheet(
        QString::fromLatin1(kImageButtonStyle).arg(ScaledPicture(hidden ? "pwd_able_see.png" : "pwd_disable_see.png")));
}

bool NewLoginWidget::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return QFrame::eventFilter(watched, event);
    NewLoginForm& ui = *m_form;
    const int key = static_cast<QKeyEvent*>(event)->key();
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    const bool hasUser = !ui.usrNameEdit->text().isEmpty();
    if (watched == ui.usrNameEdit) {
        if (m_dwUsrInfoInitFlag == 1)
            SetUsrInfoInitFlag(hasUser ? 2 : 1);
        if (enter && hasUser && m_dwUsrInfoInitFlag == 2) {
            ui.pwdEdit->setFocus(Qt::OtherFocusReason);
            ui.pwdEdit->end(false);
        }
    } else if (watched == ui.pwdEdit) {
        if (m_dwPwdInfoInitFlag == 1) {
            if (hasUser)
                ui.btnPwdSeeNot->show();
            SetPwdInfoInitFlag(hasUser || !ui.pwdEdit->text().isEmpty() ? 2 : 1);
        }
        if (enter && hasUser && !ui.pwdEdit->text().isEmpty())
            OnUsrLogin();
    }
    return QFrame::eventFilter(watched, event);
}

void NewLoginWidget::SetLoginBusy(bool busy)
{
    QPushButton* button = m_form->btnLogin;
    m_loginBusy = busy;
    if (busy) {
        button->setText(QStringLiteral("正在登录"));
        disconnect(button, &QPushButton::clicked, this, &NewLoginWidget::OnUsrLogin);
    } else {
        button->setText(QStringLiteral("登录"));
        connect(button, &QPushButton::clicked, this, &NewLoginWidget::OnUsrLogin, Qt::UniqueConnection);
    }
}

void NewLoginWidget::OnUsrLogin()
{
    // The request waits in a nested loop; Return must not start another.
    if (m_loginBusy)
        return;
    NewLoginForm& ui = *m_form;
    if (ui.usrNameEdit->text().isEmpty() || m_dwUsrInfoInitFlag == 1) {
        OnLoginFailMsg(QStringLiteral("用户名为空"));
        return;
    }
    if (ui.pwdEdit->text().isEmpty() || m_dwPwdInfoInitFlag == 1) {
        OnLoginFailMsg(QStringLiteral("密码为空"));
        return;
    }
    Profile* profile = Nexus::GetProfile();
    QString url = profile ? profile->GetUrl(ClassServerProperty::UserLogin) : QString();
    SetLoginBusy(true);
    OnLoginFailMsg(QString());
    if (url.isEmpty()) {
        if (DataManager* data = Nexus::GetDataManager())
            data->ReadServConfigBackup();
        url = profile ? profile->GetUrl(ClassServerProperty::UserLogin) : QString();
    }
    if (url.isEmpty()) {
        // The button stays busy: without the properties nothing can work
        // until the program starts again, as the message says.
        OnLoginFailMsg(QStringLiteral("获取配置异常,关闭后重试"));
        return;
    }
    const SchoolWebService::Reply reply
        = SchoolWebService::Login(url, ui.usrNameEdit->text(), ui.pwdEdit->text(), m_timeOutMs);
    switch (reply.outcome) {
    case SchoolWebService::Reply::NoReply:
        OnLoginFailMsg(QStringLiteral("网络连接异常"));
        break;
    case SchoolWebService::Reply::Refused:
        if (!reply.message.isEmpty())
            OnLoginFailMsg(reply.message);
        break;
    case SchoolWebService::Reply::Accepted:
        AcceptLogin(reply.data);
        break;
    case SchoolWebService::Reply::Unusable:
        break;
    }
    SetLoginBusy(false);
}

void NewLoginWidget::AcceptLogin(const QJsonValue& data)
{
    const QJsonObject object = data.toObject();
    const int uid = UserIdOf(object);
    // Without a user id nothing after the login could work.
    if (uid == 0) {
        qDebug() << "OnUserLogin error, the reply names no user id:" << data;
        return;
    }
    auto* window = qobject_cast<MainWindow*>(m_mainWindow);
    if (!window)
        return;
    NewLoginForm& ui = *m_form;
    if (DataManager* manager = Nexus::GetDataManager())
        manager->SetLoginIdentity(ui.usrNameEdit->text(), uid, object.value(QLatin1String("schoolId")).toString());
    UserSettings::SetValue(UserSettings::UserName, ui.usrNameEdit->text());
    // Unchecked means the password must not be filled in next time.
    if (ui.checkBox->isChecked())
        UserSettings::SetValue(UserSettings::UserPwd, EncodedPassword(ui.pwdEdit->text()));
    else
        UserSettings::Remove(UserSettings::UserPwd);
    emit window->UpdateLoginProgress(2);
}

void NewLoginWidget::OnLoginFailMsg(QString text)
{
    m_form->btnErrorIcon->setVisible(!text.isEmpty());
    m_form->labelErrorMsg->setText(text);
}

QString NewLoginWidget::HelpPage()
{
    return CourseCards::SiteHost() + QStringLiteral("/help/meeting/help.html");
}

QString NewLoginWidget::PasswordForgetPage()
{
    return CourseCards::SiteHost() + QStringLiteral("/password/forget");
}

QString NewLoginWidget::RegisterPage()
{
    const QString root = CourseCards::SiteHost() + QLatin1Char('/');
    return CourseCards::SiteHost() + QStringLiteral("/register/fp?referrer=")
        + QString::fromLatin1(QUrl::toPercentEncoding(root));
}

void NewLoginWidget::OnPwdForgetLinkJump()
{
    QDesktopServices::openUrl(QUrl(PasswordForgetPage()));
}

void NewLoginWidget::OnRegisterLinkJump()
{
    QDesktopServices::openUrl(QUrl(RegisterPage()));
}

void NewLoginWidget::OnHelpLinkJump()
{
    QDesktopServices::openUrl(QUrl(HelpPage()));
}

void NewLoginWidget::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->pos())) {
        m_dragging = true;
        m_dragOrigin = event->globalPos();
    }
    event->ignore();
}

void NewLoginWidget::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragging) {
        move(pos() + event->globalPos() - m_dragOrigin);
        m_dragOrigin = event->globalPos();
    }
    event->ignore();
}

void NewLoginWidget::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_dragging = false;
    event->ignore();
}

void NewLoginWidget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::transparent);
    painter.fillRect(rect(), Qt::white);
}
