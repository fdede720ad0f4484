#include "UserItem.h"

#include "app/Nexus.h"
#include "room/LeftArea.h"
#include "room/UserList.h"
#include "session/DataManager.h"
#include "session/UserInfo.h"
#include "widgets/DPIWidget4RoundPixmapV2.h"
#include "widgets/DpiPixmap.h"
#include "widgets/QtMaterialBadge.h"
#include "widgets/QtMaterialCircularProgress.h"

#include <QAction>
#include <QDebug>
#include <QEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>

namespace {
constexpr int kIconSide = 18;
constexpr int kIconStep = 23;
constexpr int kRightmostIconInset = 32;
constexpr int kNameLimitNarrow = 60;

// Icons are made once: loading the file for each of two thousand rows
// would cost more than the rows themselves.
QIcon PresenceIcon(int state)
{
    static const QIcon online(QStringLiteral(":resource/userlist/status_online.svg"));
    static const QIcon left(QStringLiteral(":resource/userlist/status_left.svg"));
    static const QIcon busy(QStringLiteral(":resource/userlist/status_busy.svg"));
    return state == 2 ? left : (state == 3 ? busy : online);
}

QIcon CameraOnIcon()
{
    static const QIcon camera(QStringLiteral(":resource/userlist/list_icon_viedio_using.png"));
    return camera;
}

// The name stays whole below the limit, else it is cut on the right.
QString Elided(const QFontMetrics& metrics, const QString& name, int limit)
{
    return metrics.horizontalAdvance(name) < limit ? name : metrics.elidedText(name, Qt::ElideRight, limit);
}

void HideIcon(QPushButton* icon)
{
    if (icon != nullptr)
        icon->hide();
}
} // namespace

UserItem::UserItem(QWidget* parent)
    : QLabel(parent)
{
    installEventFilter(this);
    connect(this, &UserItem::AuthStateChanged, this, &UserItem::OnAuthStateChanged);
}

void UserItem::Build()
{
    if (IsBuilt())
        return;
    m_ring = new QtMaterialCircularProgress(this);
    m_ring->setArcWidth(2);
    m_ring->setFocusPolicy(Qt::NoFocus);
    m_ring->hide();
    m_avatar = new DPIWidget4RoundPixmapV2(this);
    m_avatar->setFixedSize(m_avatarSize1, m_avatarSize1);
    m_presence = new QtMaterialBadge(m_avatar);
    m_presence->setRelativePosition(13, 13);
    m_presence->setBackgroundColor(Qt::transparent);
    m_presence->hide();
    m_camera = new QtMaterialBadge(m_avatar);
    m_camera->setWidthHint(21);
    m_camera->setHeightHint(21);
    m_camera->setRelativePosition(0, 0);
    m_camera->setBackgroundColor(Qt::transparent);
    m_camera->setIcon(CameraOnIcon());
    m_camera->hide();
    m_name = new QLabel(this);
    m_name->setObjectName(QStringLiteral("userName"));
    // Names come from other clients: never markup.
    m_name->setTextFormat(Qt::PlainText);
    m_avatar->installEventFilter(this);
    m_name->installEventFilter(this);

    // What the row was told before, in the order the list tells it.
    if (m_presenceSet)
        OnUserStateChanged(m_state);
    if (!m_deviceTip.isEmpty())
        m_avatar->setToolTip(m_deviceTip);
    if (m_laidOut)
        UpdateUI(m_mode);
    if (m_rightsSet)
        OnAuthStateChanged(m_permission, m_status);
}

void UserItem::SetUserName(const QString& name)
{
    m_userName = name;
}

bool UserItem::IsSelf() const
{
    DataManager* data = Nexus::GetDataManager();
    return data != nullptr && data->GetUserId() == m_uid;
}

void UserItem::UpdateUI(int mode)
{
    qDebug() << "into UserItem::UpdateUI, mode:" << mode << m_uid;
    m_mode = mode;
    m_laidOut = true;
    if (!IsBuilt())
        return;
    if (m_menu == nullptr && IsSelf())
        InitStatusMenu();
    const QString nameStyle = IsSelf() ? QStringLiteral("border:0px;font:12px Microsoft YaHei;color:red;")
                                       : QStringLiteral("border:0px;font:12px Microsoft YaHei;color:#333333;");
    // Setting a sheet re-polishes even when it is the same.
    if (m_name->styleSheet() != nameStyle)
        m_name->setStyleSheet(nameStyle);
    const QFontMetrics metrics(m_name->font());
    // A row of the list stays where the list placed it: a row built when it
    // first comes into view would otherwise be drawn over the top rows.
    if (m_treeItem == nullptr)
        move(0, 0);
    if (mode == LeftArea::ModeWide) {
        m_avatar->setFixedSize(m_avatarSize2, m_avatarSize2);
        m_avatar->move(12, 10);
        m_name->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    } else {
        m_avatar->setFixedSize(m_avatarSize1, m_avatarSize1);
        m_avatar->move((80 - m_avatar->width()) / 2, 8);
        m_name->setText(Elided(metrics, m_userName, kNameLimitNarrow));
        m_name->resize(m_name->sizeHint().width(), 20);
        m_name->move(40 - m_name->width() / 2 - 2, m_avatar->height() + 8);
        m_name->setAlignment(Qt::AlignCenter);
        for (QPushButton* icon : { m_micOff, m_brush, m_cameraOff })
            HideIcon(icon);
    }
    m_ring->setGeometry(m_avatar->x() - 4, m_avatar->y() - 4, m_avatar->width() + 8, m_avatar->height() + 8);
    m_ring->lower();
    m_presence->setGeometry(m_avatar->rect());
    m_camera->setGeometry(m_avatar->rect());
    // The ring draws nothing while it stands still; shown first so that a
    // member already speaking rings at once.
    m_ring->show();
    if (mode == LeftArea::ModeWide) {
        ApplyCurrentRights();
        FitWideName();
    }
    ShowAvatar();
    m_avatar->show();
    m_name->show();
    show();
}

void UserItem::ShowAvatar()
{
    m_avatar->SetPixmapPath(m_headPath);
    if (m_avatar->HasPicture())
        return;
    m_avatar->SetPixmapPath(DpiPixmap::DefaultAvatar(Nexus::GetScaleFolder()));
}

void UserItem::OnDownloadFinished()
{
    qDebug() << "UserItem::OnDownloadFinished";
    ApplyCurrentRights();
    // A row not built yet reads the picture when it is.
    if (!IsBuilt())
        return;
    ShowAvatar();
}

void UserItem::ApplyCurrentRights()
{
    DataManager* data = Nexus::GetDataManager();
    // The record is only read inside this call: the session hands a removed
    // member to this thread's event loop for deletion, never in between.
    UserInfo* info = data != nullptr ? data->GetUserInfoByUid(QString::number(m_uid)) : nullptr;
    if (info != nullptr)
        OnAuthStateChanged(info->GetPermission(), info->GetActionStatus());
}

void UserItem::FitWideName()
{
    const int nameX = m_avatar->width() + 22;
    // The name ends before the leftmost right-hand icon shown, else 8 px
    // before the row's edge.
    int end = width() - 8;
    for (QPushButton* icon : { m_micOff, m_brush, m_cameraOff }) {
        if (icon != nullptr && !icon->isHidden())
            end = qMin(end, icon->x() - 4);
    }
    const int limit = qMax(0, end - nameX);
    m_name->setText(Elided(QFontMetrics(m_name->font()), m_userName, limit));
    m_name->setGeometry(nameX, 23, limit, 15);
}

void UserItem::PlaceIcon(QPushButton*& icon, const char* name, int slot)
{
    // Most members lack a right or two at most: an icon is made the first
    // time it is shown. Its picture comes from the user list's style sheet
    // by object name, parsed once for the whole list.
    if (icon == nullptr) {
        icon = new QPushButton(this);
        icon->setObjectName(QString::fromLatin1(name));
        icon->setFixedSize(kIconSide, kIconSide);
        icon->setFocusPolicy(Qt::NoFocus);
    }
    icon->setGeometry(width() - kRightmostIconInset - slot * kIconStep, 24, kIconSide, kIconSide);
    icon->show();
}

void UserItem::OnAuthStateChanged(int permission, int status)
{
    m_permission = permission;
    m_status = status;
    m_rightsSet = true;
    if (!IsBuilt())
        return;
    const bool wide = m_mode == LeftArea::ModeWide;
    int slot = 0;
    // Camera.
    if ((permission & 4) != 0 || !wide) {
        const bool on = (status & 4) != 0;
        m_camera->setVisible(on);
        m_avatar->setBlur(on);
        HideIcon(m_cameraOff);
    } else {
        PlaceIcon(m_cameraOff, "userIconCameraOff", slot++);
        // A right taken while the camera was on must not leave it shown on.
        m_camera->hide();
        m_avatar->setBlur(false);
    }
    // Microphone.
    if ((permission & 1) != 0 || !wide) {
        if ((status & 1) != 0 && !m_ring->isHidden())
            m_ring->startSpinning();
        else if ((status & 1) == 0)
            m_ring->stopSpinning();
        HideIcon(m_micOff);
    } else {
        PlaceIcon(m_micOff, "userIconMicOff", slot++);
        m_ring->stopSpinning();
    }
    // Whiteboard.
    if (wide && (permission & 128) != 0 && m_role != 4)
        PlaceIcon(m_brush, "userIconBrush", slot++);
    else
        HideIcon(m_brush);
    if (wide)
        FitWideName();
    show();
}

void UserItem::OnUserStateChanged(int state)
{
    m_state = (state == 2 || state == 3) ? state : 1;
    m_presenceSet = true;
    if (!IsBuilt())
        return;
    m_presence->setIcon(PresenceIcon(m_state));
    m_presence->show();
}

void UserItem::InitStatusMenu()
{
    EnsureBuilt();
    if (m_menu != nullptr)
        return;
    m_online = new QAction(PresenceIcon(1), QStringLiteral("在线"), this);
    m_left = new QAction(PresenceIcon(2), QStringLiteral("离开"), this);
    m_busy = new QAction(PresenceIcon(3), QStringLiteral("忙碌"), this);
    m_menu = new QMenu(this);
    m_menu->addAction(m_online);
    m_menu->addAction(m_busy);
    m_menu->addAction(m_left);
    m_presence->setMenu(m_menu);
    m_menu->installEventFilter(this);
    const QList<QPair<QAction*, int>> choices { { m_online, 1 }, { m_busy, 3 }, { m_left, 2 } };
    for (const auto& choice : choices) {
        const int state = choice.second;
        connect(choice.first, &QAction::triggered, this, [this, state] {
            OnUserStateChanged(state);
            if (DataManager* data = Nexus::GetDataManager())
                emit data->UserStateChangeReq(state);
        });
    }
}

void UserItem::OnDeviceInfoUpdate(UserInfo* buddy)
{
    if (buddy == nullptr)
        return;
    const QString sep = QStringLiteral("      ");
    DataManager* data = Nexus::GetDataManager();
    const QString roomId = data != nullptr ? data->GetRoomId() : QString();
    QStringList lines;
    lines << buddy->GetSoftwareVersion() + QLatin1Char('(') + buddy->GetSoftwareBuild() + QLatin1Char(')') + sep
            + buddy->GetDeviceVersion() + sep + buddy->GetDeviceSystem() + QLatin1Char(' ')
            + buddy->GetDeviceSystemVersion();
    lines << QStringLiteral("服务器 ") + buddy->GetNetworkServerIp() + sep + buddy->GetNetworkLocation()
            + buddy->GetNetworkSupplier() + QLatin1Char(' ') + buddy->GetNetworkUserIp();
    lines << QStringLiteral("麦克风 %1个  听筒 %2个")
                 .arg(buddy->GetHardwareMicCount())
                 .arg(buddy->GetHardwareSoundCount());
    lines << QStringLiteral("userId:%1").arg(m_uid) + sep + QStringLiteral("roomId:") + roomId;
    lines << QStringLiteral("声网:上行 ") + buddy->GetAgoraTxQos() + QStringLiteral(" 下行 ") + buddy->GetAgoraRxQos();
    // The fields come from other clients: shown as text, never as markup.
    for (QString& line : lines)
        line = line.toHtmlEscaped().replace(QLatin1Char(' '), QStringLiteral("&nbsp;"));
    m_deviceTip = QStringLiteral("<html>") + lines.join(QStringLiteral("<br>")) + QStringLiteral("</html>");
    if (IsBuilt())
        m_avatar->setToolTip(m_deviceTip);
}

bool UserItem::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Enter && (watched == m_avatar || watched == m_name || watched == this)) {
        DataManager* data = Nexus::GetDataManager();
        if (data != nullptr && data->GetRoomRole() == 4) {
            if (m_deviceTip.isEmpty()) {
                if (UserList* list = Nexus::GetUserList())
                    list->RequestDeviceInfo();
            } else {
                if (IsBuilt())
                    m_name->setToolTip(m_deviceTip);
                setToolTip(m_deviceTip);
            }
        }
    } else if (watched == m_menu && event->type() == QEvent::Show) {
        m_menu->move(m_menu->x() + m_presence->width(), m_menu->y());
        return true;
    }
    return QLabel::eventFilter(watched, event);
}

void UserItem::mousePressEvent(QMouseEvent* event)
{
    QLabel::mousePressEvent(event);
    if (event->button() != Qt::RightButton || IsSelf())
        return;
    DataManager* data = Nexus::GetDataManager();
    UserInfo* info = data != nullptr ? data->GetUserInfoByUid(QString::number(m_uid)) : nullptr;
    // The member may have just left, with the removal of the row still on
    // its way: no pop-up for somebody who is gone.
    if (info == nullptr)
        return;
    if (LeftArea* left = Nexus::GetLeftArea())
        emit left->ShowUsrPermWidget(info, this);
}

DPIWidget4RoundPixmapV2* UserItem::GetAvatar() const
{
    EnsureBuilt();
    return m_avatar;
}

QMenu* UserItem::GetStatusMenu() const
{
    EnsureBuilt();
    return m_menu;
}

QString UserItem::GetShownName() const
{
    EnsureBuilt();
    return m_name->text();
}

bool UserItem::IsSpeaking() const
{
    EnsureBuilt();
    return m_ring->isSpinning();
}

bool UserItem::IsCameraOn() const
{
    EnsureBuilt();
    return !m_camera->isHidden();
}

QStringList UserItem::GetShownIcons() const
{
    EnsureBuilt();
    QList<QPair<int, QString>> shown;
    const QList<QPair<QPushButton*, QString>> icons {
        { m_cameraOff, QStringLiteral("camera") },
        { m_micOff, QStringLiteral("microphone") },
        { m_brush, QStringLiteral("brush") },
    };
    for (const auto& icon : icons) {
        if (icon.first != nullptr && !icon.first->isHidden())
            shown << qMakePair(-icon.first->x(), icon.second);
    }
    std::sort(shown.begin(), shown.end());
    QStringList names;
    for (const auto& entry : shown)
        names << entry.second;
    return names;
}

bool UserItem::IsPresenceShown() const
{
    EnsureBuilt();
    return !m_presence->isHidden();
}
