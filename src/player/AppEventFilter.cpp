#include "AppEventFilter.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFileOpenEvent>
#include <QUrl>

AppEventFilter::AppEventFilter(QObject* player, QObject* parent)
    : QObject(parent)
    , m_player(player)
{ }

bool AppEventFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != QCoreApplication::instance())
        return false;
    if (event->type() == QEvent::WinEventAct) {
        qDebug("QEvent::WinEventAct");
        return false;
    }
    if (event->type() != QEvent::FileOpen)
        return false;
    const QUrl url = static_cast<QFileOpenEvent*>(event)->url();
    if (m_player)
        QMetaObject::invokeMethod(m_player, "play", Q_ARG(QUrl, url));
    return true;
}
