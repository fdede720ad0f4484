#pragma once

#include "ChatLine.h"

#include <QSize>
#include <QString>

struct chatImageStruct;

// The rows of the chat panel: time, sender, text, notice and picture rows,
// each built with its items, colours, markup and column formats.
class ChatMessage : public ChatLine
{
public:
    using Ptr = std::shared_ptr<ChatMessage>;

    static Ptr CreateTimeMessage(const QString& time);
    static Ptr CreateSenderMessage(const QString& sender, bool forPicture, bool isSelf);
    static Ptr CreateTextMessage(const QString& text, bool isSelf);
    static Ptr CreateSystemMessage(const QString& text, bool isSelf);
    static Ptr CreateImageMessage(const chatImageStruct& image);
    static Ptr CreateLocalImageMessage(
        const QString& path, const QString& key, int width, int height, bool withSpinner, bool isSelf);

    // The markup a text item shows for plain text: escaped, in one paragraph.
    static QString Markup(const QString& plain);
    // Display size of a received picture from its "w" "x" "h" size text.
    // Each side must be a whole number from 0 to 10000; any other text gives
    // the size of the sending placeholder, so another user's message never
    // makes the client allocate an unbounded picture.
    static QSize SizeFromText(const QString& sizeText);
};
