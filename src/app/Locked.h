#pragma once

#include <QMutex>
#include <QMutexLocker>

// A value that several threads read and write: every access copies it under
// its own lock, so no reader ever sees a value half written.
template <typename T> class Locked
{
public:
    Locked() = default;
    explicit Locked(T value)
        : m_value(std::move(value))
    { }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

    T Get() const
    {
        QMutexLocker lock(&m_mutex);
        return m_value;
    }
    void Set(T value)
    {
        QMutexLocker lock(&m_mutex);
        m_value = std::move(value);
    }
    // Runs f on the value under the lock; f must not block or call back.
    template <typename F> auto With(F&& f) const
    {
        QMutexLocker lock(&m_mutex);
        return f(m_value);
    }
    template <typename F> auto Update(F&& f)
    {
        QMutexLocker lock(&m_mutex);
        return f(m_value);
    }

private:
    mutable QMutex m_mutex;
    T m_value {};
};
