#include "ModelObject.h"

#include <QCoreApplication>
#include <QThread>

void ModelObject::Release(QObject* object)
{
    if (!object)
        return;
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) {
        delete object;
        return;
    }
    // Only the owning thread may push an object to another thread; an
    // object owned elsewhere is deleted by its own thread's event loop.
    if (object->thread() == QThread::currentThread() && object->thread() != app->thread())
        object->moveToThread(app->thread());
    object->deleteLater();
}

namespace {

// Deletes its batch when the GUI thread's loop deletes it.
class ReleasedBatch : public QObject
{
public:
    explicit ReleasedBatch(QList<QObject*> objects)
        : m_objects(std::move(objects))
    { }
    ~ReleasedBatch() override { qDeleteAll(m_objects); }

private:
    QList<QObject*> m_objects;
};

} // namespace

void ModelObject::ReleaseBatch(QList<QObject*> objects)
{
    if (objects.isEmpty())
        return;
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) {
        qDeleteAll(objects);
        return;
    }
    // Moving and posting each object would wake the GUI thread once per
    // object; the holder makes it one event.
    auto* holder = new ReleasedBatch(std::move(objects));
    if (holder->thread() != app->thread())
        holder->moveToThread(app->thread());
    holder->deleteLater();
}
