#pragma once

#include <QTextDocument>

// The text document of a chat text item while it is on screen. Undo is off
// and design metrics are off, as a view that only shows text needs.
class CustomTextDocument : public QTextDocument
{
    Q_OBJECT

public:
    CustomTextDocument();
};

// Process-wide pool of text documents: off-screen chat items hold none, and
// a document is cleared and reused rather than deleted. GUI thread only;
// the documents are deleted when the application object goes.
namespace TextDocumentPool {
QTextDocument* take();
// Clears the document and keeps it for the next take(); null is ignored.
void giveBack(QTextDocument* document);
} // namespace TextDocumentPool
