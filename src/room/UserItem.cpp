#include "UserItem.h"

#include "session/UserInfo.h"

#include <QDebug>
#include <QPixmap>

UserItem::UserItem(QWidget* parent)
    : QLabel(parent)
{
    m_avatar = new QLabel(this);
    m_avatar->setFixedSize(41, 41);
    m_avatar->setScaledContents(true);
    m_name = new QLabel(this);
    connect(this, &UserItem::AuthStateChanged, this, &UserItem::OnAuthStateChanged);
}

void UserItem::SetUserName(const QString& name)
{
    m_userName = name;
    m_name->setText(name);
}

void UserItem::UpdateUI(int mode)
{
    qDebug() << "into UserItem::UpdateUI, mode:" << mode << m_uid;
    if (mode == 2) {
        m_avatar->move(12, 10);
        m_name->setGeometry(m_avatar->width() + 22, 23, qMax(0, width() - m_avatar->width() - 22), 15);
        m_name->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    } else {
        m_avatar->move((80 - m_avatar->width()) / 2, 8);
        m_name->setGeometry(0, m_avatar->height() + 8, 78, 20);
        m_name->setAlignment(Qt::AlignCenter);
    }
    m_avatar->setPixmap(QPixmap(m_headPath));
    m_avatar->show();
    m_name->show();
    show();
}

void UserItem::OnDownloadFinished()
{
    qDebug() << "UserItem::OnDownloadFinished";
    m_avatar->setPixmap(QPixmap(m_headPath));
    m_avatar->update();
}

void UserItem::OnAuthStateChanged(int permission, int status)
{
    qDebug() << "into UserItem::OnAuthStateChanged, uid:" << m_uid << ",permission:" << permission
             << ",status:" << status;
}

void UserItem::OnUserStateChanged(int state)
{
    m_state = state;
    qDebug() << "into UserItem::OnUserStateChanged, uid:" << m_uid << ",state:" << state;
}

void UserItem::OnDeviceInfoUpdate(UserInfo* buddy)
{
    if (buddy == nullptr)
        return;
    const QString sep = QStringLiteral("      ");
    QStringList lines;
    lines << buddy->GetSoftwareVersion() + QLatin1Char('(') + buddy->GetSoftwareBuild() + QLatin1Char(')') + sep
            + buddy->GetDeviceVersion() + sep + buddy->GetDeviceSystem() + QLatin1Char(' ')
            + buddy->GetDeviceSystemVersion();
    lines << QStringLiteral("服务器 ") + buddy->GetNetworkServerIp() + sep + buddy->GetNetworkLocation()
            + buddy->GetNetworkSupplier() + QLatin1Char(' ') + buddy->GetNetworkUserIp();
    lines << QStringLiteral("麦克风 %1个  听筒 %2个")
                 .arg(buddy->GetHardwareMicCount())
                 .arg(buddy->GetHardwareSoundCount());
    lines << QStringLiteral("userId:%1").arg(m_uid);
    lines << QStringLiteral("声网:上行 ") + buddy->GetAgoraTxQos() + QStringLiteral(" 下行 ") + buddy->GetAgoraRxQos();
    m_avatar->setToolTip(lines.join(QStringLiteral("<br>")));
}
