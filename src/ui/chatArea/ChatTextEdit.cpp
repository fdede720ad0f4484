#include "ChatTextEdit.h"

#include "ChatContext.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMimeData>
#include <QUrl>

ChatTextEdit::ChatTextEdit(QWidget* parent)
    : QTextEdit(parent)
{
    setAcceptRichText(false);
    setAcceptDrops(false);
}

void ChatTextEdit::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && !(event->modifiers() & Qt::ShiftModifier)) {
        // The text about to be sent is what Up brings back later.
        if (!toPlainText().isEmpty())
            m_lastMessage = toPlainText();
        emit enterPressed();
        return;
    }
    if (key == Qt::Key_Tab) {
        if (event->modifiers() == Qt::NoModifier)
            emit tabPressed();
        event->ignore();
        return;
    }
    if (key == Qt::Key_Up && toPlainText().isEmpty()) {
        setPlainText(m_lastMessage);
        setFocus(Qt::OtherFocusReason);
        moveCursor(QTextCursor::End);
        return;
    }
    if (event->matches(QKeySequence::Paste) && pasteIfImage())
        return;
    emit keyPressed();
    QTextEdit::keyPressEvent(event);
}

QString ChatTextEdit::PastedFilePath(const QString& text, const QList<QUrl>& urls)
{
    const QString line = text.trimmed().section(QLatin1Char('\n'), 0, 0).trimmed();
    if (line.startsWith(QLatin1String("file://"))) {
        const QUrl url(line);
        if (url.isLocalFile())
            return url.toLocalFile();
    }
    for (const QUrl& url : urls) {
        if (url.isLocalFile())
            return url.toLocalFile();
    }
    return QString();
}

bool ChatTextEdit::pasteIfImage()
{
    QClipboard* clipboard = QApplication::clipboard();
    if (!clipboard)
        return false;
    const QMimeData* mime = clipboard->mimeData(QClipboard::Clipboard);
    const QString path = PastedFilePath(
        clipboard->text(QClipboard::Clipboard), mime && mime->hasUrls() ? mime->urls() : QList<QUrl>());
    if (!path.isEmpty()) {
        const QPixmap pixmap = ChatContext::LoadPixmap(path);
        if (!pixmap.isNull() && pixmap.width() > 0 && pixmap.height() > 0) {
            clear();
            emit pasteImage(pixmap);
            return true;
        }
    }
    if (mime && mime->hasImage()) {
        const QPixmap pixmap = clipboard->pixmap(QClipboard::Clipboard);
        if (!pixmap.isNull()) {
            emit pasteImage(pixmap);
            return true;
        }
    }
    return false;
}
