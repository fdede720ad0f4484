#include "RoomEntryWidget.h"

#include "SchoolWebService.h"
#include "app/MainWindow.h"
#include "app/Nexus.h"
#include "app/Profile.h"
#include "app/UserSettings.h"
#include "session/DataManager.h"

#include <QDebug>
#include <QJsonObject>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <cmath>

namespace {

const char kHint[] = "请输入教室密码";
const char kEnterText[] = "进入教室";
// An accepted answer that names no room to enter.
const char kNoRoomText[] = "未找到教室，请确认密码后重试";
const int kShadow = 12; // the panel's margin around the form, for its shadow

// A time of the reply, in milliseconds, as whole seconds; 0 for anything
// that is not a plausible number.
qint64 SecondsOf(const QJsonValue& value)
{
    const double ms = value.toDouble(0);
    if (!std::isfinite(ms) || std::fabs(ms) > 1e15)
        return 0;
    return qint64(ms) / 1000;
}

template <typename T> T* Make(QWidget* parent, const char* name, const QRect& geometry)
{
    auto* widget = new T(parent);
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(geometry);
    return widget;
}

} // namespace

RoomEntryWidget::RoomEntryWidget(QWidget* parent)
    : QFrame(parent)
    , m_inner(new QFrame(this))
{
    setObjectName(QStringLiteral("RoomEntryWidget"));
    setAttribute(Qt::WA_TranslucentBackground);
    m_inner->setObjectName(QStringLiteral("RoomEntryWidget"));
    m_inner->setFixedSize(377, 326);
    m_inner->setStyleSheet(QStringLiteral("#RoomEntryWidget\n{\nbackground-color: rgb(255, 255, 255);\nborder: 3px "
                                          "solid #ffffff;\nborder-radius:0px;\n}"));
    m_inner->move(kShadow, kShadow);
    setFixedSize(m_inner->width() + 25, m_inner->height() + 25);

    m_title = Make<QPushButton>(m_inner, "btnTitle", QRect(98, 46, 195, 30));
    m_title->setText(QString::fromUtf8(kHint));
    m_title->setFocusPolicy(Qt::NoFocus);
    m_title->setStyleSheet(
        QStringLiteral("QPushButton{border:0px;background:transparent;color:#333333;font:26px Microsoft YaHei;}"));
    m_editFrame = Make<QFrame>(m_inner, "usrNameFrame", QRect(25, 137, 327, 55));
    m_editFrame->setStyleSheet(QStringLiteral("#usrNameFrame{border:1px solid #dddddd;border-radius:2px;}"));
    m_edit = Make<QLineEdit>(m_editFrame, "roomPwdEdit", QRect(12, 18, 261, 16));
    m_edit->setText(QString::fromUtf8(kHint));
    m_edit->setFocusPolicy(Qt::StrongFocus);
    m_edit->setFrame(false);
    m_error = Make<QLineEdit>(m_inner, "errMsgNotify", QRect(36, 200, 261, 15));
    m_error->setReadOnly(true);
    m_error->setFrame(false);
    m_error->setFocusPolicy(Qt::NoFocus);
    m_error->setStyleSheet(
        QStringLiteral("border:0px;background:transparent;color:rgb(255, 0, 0);font:15px Microsoft YaHei;"));
    m_error->hide();
    m_login = Make<QPushButton>(m_inner, "btnLogin", QRect(25, 223, 327, 55));
    m_login->setText(QString::fromUtf8(kEnterText));
    m_login->setFocusPolicy(Qt::NoFocus);
    m_login->setCursor(Qt::PointingHandCursor);
    m_login->setStyleSheet(QStringLiteral(
        "QPushButton{background-color:#f74945;border:1px solid #f74945;border-radius:2px;color:#ffffff;"
        "font:20px Microsoft YaHei;}QPushButton:hover{background-color:#ff9999;border:1px solid #ff9999;}"));
    m_close = Make<QPushButton>(m_inner, "btnClose", QRect(336, 24, 17, 17));
    m_close->setFocusPolicy(Qt::NoFocus);
    m_close->setCursor(Qt::PointingHandCursor);
    m_close->setStyleSheet(QStringLiteral("QPushButton{image: url(:resource/menubar/x1.75/close.png);border:0px;}"));

    connect(m_login, &QPushButton::clicked, this, &RoomEntryWidget::OnUsrLogin);
    connect(this, &RoomEntryWidget::PwdInfoInitFlagChanged, this, &RoomEntryWidget::OnPwdInfoInitFlagChanged);
    connect(m_close, &QPushButton::clicked, this, &QWidget::hide);
    m_edit->installEventFilter(this);
    OnPwdInfoInitFlagChanged(m_dwPwdInfoInitFlag);
    hide();
}

RoomEntryWidget::~RoomEntryWidget()
{
    // The edit outlives this object's own part and may still get events.
    m_edit->removeEventFilter(this);
}

void RoomEntryWidget::SetPwdInfoInitFlag(int flag)
{
    m_dwPwdInfoInitFlag = flag;
    emit PwdInfoInitFlagChanged(flag);
}

void RoomEntryWidget::ShowRoomEntry()
{
    if (!isHidden()) {
        lower();
        hide();
        return;
    }
    if (QWidget* window = Nexus::GetMainWindow()) {
        if (parentWidget() != window)
            setParent(window);
        move((window->width() - width()) / 2, (window->height() - height()) / 2);
    }
    const QString remembered = UserSettings::Text(UserSettings::RoomPwd);
    if (!remembered.isEmpty()) {
        m_edit->setText(remembered);
        m_edit->setFocus(Qt::OtherFocusReason);
        SetPwdInfoInitFlag(2);
    }
    raise();
    show();
}

void RoomEntryWidget::OnPwdInfoInitFlagChanged(int value)
{
    if (value == 1) {
        m_edit->setStyleSheet(QStringLiteral("border:0px;color:#aaaaaa;font:15px Microsoft YaHei;"));
        m_edit->setPlaceholderText(QString::fromUtf8(kHint));
    } else if (value == 2) {
        m_edit->setStyleSheet(QStringLiteral("border:0px;color:#333333;font:15px Microsoft YaHei;"));
    }
}

bool RoomEntryWidget::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_edit)
        return QFrame::eventFilter(watched, event);
    const bool press = event->type() == QEvent::KeyPress || event->type() == QEvent::MouseButtonPress;
    if (press && m_dwPwdInfoInitFlag == 1) {
        // The hint is the edit's own text; the first touch clears it.
        SetPwdInfoInitFlag(2);
        m_edit->clear();
    }
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && !m_edit->text().isEmpty())
            OnUsrLogin();
    }
    return QFrame::eventFilter(watched, event);
}

void RoomEntryWidget::SetBusy(bool busy)
{
    m_busy = busy;
    if (busy) {
        m_login->setText(QStringLiteral("登录中"));
        disconnect(m_login, &QPushButton::clicked, this, &RoomEntryWidget::OnUsrLogin);
    } else {
        // The button keeps its own text after an attempt.
        m_login->setText(QString::fromUtf8(kEnterText));
        connect(m_login, &QPushButton::clicked, this, &RoomEntryWidget::OnUsrLogin, Qt::UniqueConnection);
    }
}

void RoomEntryWidget::ShowError(const QString& text)
{
    m_error->setText(text);
    m_error->show();
}

int RoomEntryWidget::OnUsrLogin()
{
    // The request waits in a nested loop; Return must not start another.
    if (m_busy)
        return 0;
    SetBusy(true);
    m_error->clear();
    if (m_edit->text().isEmpty() || m_dwPwdInfoInitFlag == 1) {
        ShowError(QStringLiteral("密码为空"));
        SetBusy(false);
        return 0;
    }
    const Profile* profile = Nexus::GetProfile();
    const QString urlTemplate = profile ? profile->GetUrl(ClassServerProperty::RoomInfo) : QString();
    // The password stays out of the log.
    qDebug() << "in RoomEntryWidget::OnUsrLogin, and pwd:" << QString(m_edit->text().size(), QLatin1Char('*'));
    const SchoolWebService::Reply reply
        = SchoolWebService::RoomInfo(SchoolWebService::RoomInfoUrl(urlTemplate, m_edit->text()),
            SchoolWebService::RoomInfoLogUrl(urlTemplate), m_timeOutMs);
    int result = 0;
    switch (reply.outcome) {
    case SchoolWebService::Reply::NoReply:
    case SchoolWebService::Reply::Unusable:
        result = kRequestFailed;
        break;
    case SchoolWebService::Reply::Refused:
        ShowError(reply.message);
        break;
    case SchoolWebService::Reply::Accepted: {
        const QJsonObject data = reply.data.toObject();
        const QJsonObject room = data.value(QLatin1String("room")).toObject();
        DataManager::PasswordRoom chosen;
        chosen.teacherId = data.value(QLatin1String("teacherId")).toString();
        chosen.sessionId = data.value(QLatin1String("sessionId")).toString();
        chosen.sessionName = data.value(QLatin1String("sessionName")).toString();
        chosen.startTime = SecondsOf(data.value(QLatin1String("startTime")));
        chosen.endTime = SecondsOf(data.value(QLatin1String("endTime")));
        chosen.roomNo = room.value(QLatin1String("roomNo")).toString();
        chosen.roomPwd = room.value(QLatin1String("password")).toString();
        // Without a room there is nothing to enter: a loading screen for an
        // empty room would only end in a failure the user cannot place.
        if (!reply.data.isObject() || chosen.roomNo.isEmpty()) {
            qDebug() << "RoomEntryWidget::OnUsrLogin error, the answer names no room";
            ShowError(QString::fromUtf8(kNoRoomText));
            result = kRequestFailed;
            break;
        }
        UserSettings::SetValue(UserSettings::RoomPwd, m_edit->text());
        if (DataManager* manager = Nexus::GetDataManager())
            manager->EnterPasswordRoom(chosen);
        break;
    }
    }
    SetBusy(false);
    return result;
}

void RoomEntryWidget::paintEvent(QPaintEvent*)
{
    // A soft shadow in the margin around the form, so the panel stands out
    // from the course list below it.
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const QRectF form(m_inner->geometry());
    for (int i = kShadow; i > 0; --i) {
        QPainterPath path;
        path.addRoundedRect(form.adjusted(-i, -i + 2, i, i + 2), i, i);
        painter.fillPath(path, QColor(0, 0, 0, 3 + (kShadow - i)));
    }
}
