#pragma once

#include <QList>
#include <QObject>
#include <QVariant>

#include "room/MiddleArea.h"
#include "room/NotifyType.h"

// Records a signal's arguments as this thread receives them, queued: a
// signal emitted in a worker thread is read here without a race, in the
// order it was emitted. The argument types must be registered meta types.
class QueuedLog : public QObject
{
public:
    template <typename Sender, typename... Args> QueuedLog(Sender* sender, void (Sender::*signal)(Args...))
    {
        connect(
            sender, signal, this, [this](Args... args) { calls.append(QVariantList { QVariant::fromValue(args)... }); },
            Qt::QueuedConnection);
    }
    int size() const { return calls.size(); }
    // The first argument of every call, as T.
    template <typename T> QList<T> Firsts() const
    {
        QList<T> values;
        for (const QVariantList& call : calls)
            values << call.value(0).value<T>();
        return values;
    }

    QList<QVariantList> calls;
};

// The notices a room raises through its notice bar, but those of the
// device watcher: its first check reports the machine's missing devices
// whenever it runs.
class RoomNotices : public QueuedLog
{
public:
    explicit RoomNotices(MiddleArea* middle)
        : QueuedLog(middle, &MiddleArea::ShowMsgNotifyWidget)
    { }
    static bool FromDeviceWatcher(int notice)
    {
        return notice >= NotifyNoMicrophoneNoSound && notice <= NotifyDeviceCheck;
    }
    int size() const { return Firsts<int>().size(); }
    template <typename T> QList<T> Firsts() const
    {
        QList<T> values;
        for (int notice : QueuedLog::Firsts<int>()) {
            if (!FromDeviceWatcher(notice))
                values << T(notice);
        }
        return values;
    }
};
