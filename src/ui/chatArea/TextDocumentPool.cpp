#include "TextDocumentPool.h"

#include <QCoreApplication>
#include <QList>

CustomTextDocument::CustomTextDocument()
{
    setUndoRedoEnabled(false);
    setUseDesignMetrics(false);
}

namespace {
QList<QTextDocument*>& Pool()
{
    static QList<QTextDocument*> pool;
    return pool;
}

void DeletePool()
{
    qDeleteAll(Pool());
    Pool().clear();
}
} // namespace

namespace TextDocumentPool {

QTextDocument* take()
{
    static const bool cleanUpRegistered = [] {
        qAddPostRoutine(DeletePool);
        return true;
    }();
    Q_UNUSED(cleanUpRegistered);
    if (Pool().isEmpty())
        Pool().append(new CustomTextDocument());
    return Pool().takeLast();
}

void giveBack(QTextDocument* document)
{
    if (!document)
        return;
    document->clear();
    Pool().append(document);
}

} // namespace TextDocumentPool
