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
