#pragma once

#include <QMetaType>
#include <QString>

// One picture message of the chat, carried in a QVariant by
// ChatWidget::ShowChatImageMsg.
struct chatImageStruct {
    int sendTime = 0; // seconds since the epoch
    int senderUid = 0;
    QString senderName;
    QString imageId;
    QString slideUrl; // small picture shown in the chat
    QString slideSize; // width "x" height
    QString normalUrl; // full picture
};

Q_DECLARE_METATYPE(chatImageStruct)
