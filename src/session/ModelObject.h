#pragma once

#include <QList>
#include <QMutex>
#include <QObject>
#include <utility>

// Base of the objects the session worker hands to the screens by pointer.
// Each guards its own fields with one small lock, so the GUI thread may read
// an object while the "Profile Manager" thread updates it: every getter
// returns a copy taken under the lock, every setter stores under it, and a
// setter with a change signal emits after releasing it.
class ModelObject : public QObject
{
    Q_OBJECT

public:
    // Model objects never have a parent: their owner deletes them.
    explicit ModelObject(QObject* parent = nullptr)
        : QObject(nullptr)
    {
        Q_UNUSED(parent)
    }

    // Gives up an object that other threads may still hold by pointer: it
    // is moved to the GUI thread (when the caller's thread owns it) and
    // deleted there by the event loop, after every signal already queued
    // with its pointer. Without an application object it is deleted now.
    static void Release(QObject* object);
    template <typename Container> static void ReleaseAll(Container& objects)
    {
        for (auto* object : objects)
            Release(object);
        objects.clear();
    }
    // The same for a long list in one hop: the objects stay where they are
    // and are deleted together in the GUI thread by its event loop, after
    // every signal already queued with their pointers. For objects that
    // receive no events (no timers, no queued calls of their own).
    static void ReleaseBatch(QList<QObject*> objects);
    template <typename T> static void ReleaseBatch(QList<T*>& objects)
    {
        QList<QObject*> batch;
        batch.reserve(objects.size());
        for (T* object : objects)
            batch.append(object);
        objects.clear();
        ReleaseBatch(batch);
    }

protected:
    template <typename T> T Read(const T& field) const
    {
        QMutexLocker lock(&m_lock);
        return field;
    }
    template <typename T, typename V> void Write(T& field, V&& value)
    {
        QMutexLocker lock(&m_lock);
        field = std::forward<V>(value);
    }
    // Runs f under the lock, for changes that read before they write.
    template <typename F> auto Update(F&& f)
    {
        QMutexLocker lock(&m_lock);
        return f();
    }
    // Runs f under the lock, for reads of several fields at once.
    template <typename F> auto Update(F&& f) const
    {
        QMutexLocker lock(&m_lock);
        return f();
    }

private:
    mutable QMutex m_lock;
};
