#pragma once

#include <QString>
#include <QVector>

// One emoji of the chat: the code sent as the message text, and the picture
// path template whose %1 is the scale folder (always "x1.5").
struct EmojiEntry {
    QString code;
    QString pathTemplate;

    // The 29 emoji, in the picker's order.
    static const QVector<EmojiEntry>& Table();
    // The picture path of a code; empty when the text is no emoji code
    // (case-sensitive, the whole text).
    static QString PathOfCode(const QString& text);
    // The code of a picture path; empty when the path is no emoji's.
    static QString CodeOfPath(const QString& path);
};
