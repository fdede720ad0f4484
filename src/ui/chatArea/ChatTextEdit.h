#pragma once

#include <QPixmap>
#include <QTextEdit>

// The box the user types a chat message in. Enter asks to send (Shift+Enter
// breaks the line), Tab is left to the panel, Up in an empty box brings the
// last sent text back, and pasting a picture or a copied picture file asks
// to send the picture instead of pasting text.
class ChatTextEdit : public QTextEdit
{
    Q_OBJECT

public:
    explicit ChatTextEdit(QWidget* parent = nullptr);

    QString lastMessage() const { return m_lastMessage; }
    void setLastMessage(const QString& text) { m_lastMessage = text; }

    // The local picture file a pasted text names: its first line as a
    // "file://" URL (or, failing that, the first local URL of the MIME
    // data); empty when there is none.
    static QString PastedFilePath(const QString& text, const QList<QUrl>& urls);

signals:
    void enterPressed();
    void tabPressed();
    void keyPressed();
    void pasteImage(QPixmap pixmap);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool pasteIfImage();

    QString m_lastMessage;
};
