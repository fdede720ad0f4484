#include "UsrPermissionItem.h"

#include "session/UserInfo.h"

#include <QDebug>
#include <QMouseEvent>

UsrPermissionItem::UsrPermissionItem(
    const QString& text, UserInfo* user, int permission, int mask, int kind, QWidget* parent)
    : QLabel(text, parent)
    , m_user(user)
    , m_permission(permission)
    , m_mask(mask)
    , m_kind(kind)
{
    setAlignment(Qt::AlignCenter);
    setCursor(Qt::PointingHandCursor);
}

void UsrPermissionItem::mousePressEvent(QMouseEvent* event)
{
    qDebug() << "UsrPermissionItem::mousePressEvent, permission:" << (m_user != nullptr ? m_user->GetPermission() : 0)
             << "opType:" << m_kind;
    QLabel::mousePressEvent(event);
}
