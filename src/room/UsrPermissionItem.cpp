#include "UsrPermissionItem.h"

#include "app/Nexus.h"
#include "session/DataManager.h"
#include "session/UserInfo.h"

#include <QDebug>
#include <QMouseEvent>

namespace {
constexpr int kTypeRight = 193;
constexpr int kTypePushToTalk = 224;
constexpr int kTypeRemove = 160;
constexpr int kOpForbid = 10001;
constexpr int kOpAllow = 10002;
} // namespace

UsrPermissionItem::UsrPermissionItem(
    const QString& text, UserInfo* user, int permission, int mask, int kind, QWidget* parent)
    : QLabel(text, parent)
    , m_user(user)
    , m_uid(user != nullptr ? user->GetUid() : 0)
    , m_permission(permission)
    , m_mask(mask)
    , m_kind(kind)
{
    setStyleSheet(QStringLiteral("QLabel{border: 0px solid rgb(220,220,220);background: rgb(255,255,255);} "
                                 "QLabel:hover{border: 0px solid rgb(220,220,220);background: rgb(242,242,242);}"));
    setAlignment(Qt::AlignCenter);
    setCursor(Qt::PointingHandCursor);
}

QPair<int, int> UsrPermissionItem::OperationFor(int bit, int participantPermission)
{
    switch (bit) {
    case PushToTalkBit:
        return { kTypePushToTalk, kOpForbid };
    case RemoveBit:
        return { kTypeRemove, kOpForbid };
    default:
        return { kTypeRight, (participantPermission & bit) != 0 ? kOpForbid : kOpAllow };
    }
}

void UsrPermissionItem::mousePressEvent(QMouseEvent* event)
{
    DataManager* data = Nexus::GetDataManager();
    // The record is read only inside this call (see UserList).
    UserInfo* user = data != nullptr ? data->GetUserInfoByUid(QString::number(m_uid)) : nullptr;
    qDebug() << "UsrPermissionItem::mousePressEvent, permission:" << (user != nullptr ? user->GetPermission() : 0)
             << "opType:" << m_kind;
    QLabel::mousePressEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    emit Chosen();
    if (user == nullptr) {
        qDebug() << "into UsrPermissionItem::mousePressEvent, the member left, uid:" << m_uid;
        return;
    }
    const QPair<int, int> operation = OperationFor(m_permission, user->GetPermission());
    emit data->LocalUsrPermChange(operation.first, operation.second, m_permission, m_uid);
}
