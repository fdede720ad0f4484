#pragma once

#include <QList>
#include <QObject>
#include <QVariant>

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
