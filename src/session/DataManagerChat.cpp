// The class room's chat between the room and the chat panel: text and
// picture messages, system lines, the chat history, and the converted chat
// picture turned into the picture message for the room. "Profile Manager"
// thread; the chat panel receives copies through its queued signals.
#include "DataManager.h"

#include "MsgType.h"
#include "RoomJson.h"
#include "app/Nexus.h"
#include "ui/chatArea/ChatImageStruct.h"
#include "ui/chatArea/ChatWidget.h"

#include <QDebug>
#include <QJsonArray>
#include <QVariant>

namespace {

// A history longer than this shows only its latest entries.
const int kMaxHistory = 5000;
// Chat pictures remembered per room entry to recognise a repeated result.
const int kMaxSentImages = 10000;

// A picture message's values; the sender comes with the caller.
chatImageStruct ImageOf(const QJsonObject& content, const QString& name, int seconds, int senderUid)
{
    chatImageStruct image;
    image.sendTime = seconds;
    image.senderUid = senderUid;
    image.senderName = name;
    image.imageId = RoomJson::Text(content, "imageId");
    image.slideUrl = RoomJson::Text(content, "slideUrl");
    image.slideSize = RoomJson::Text(content, "slideSize");
    image.normalUrl = RoomJson::Text(content, "normalUrl");
    return image;
}

} // namespace

void DataManager::OnChatMsgRecv(const SignallingMessage& message)
{
    qDebug() << "into DataManager::OnChatMsgRecv, Message received:" << message.Text();
    if (!message.HasObjectData() || RoomJson::Int(message.json, "type") != MsgChat)
        return;
    const QJsonObject data = message.Data();
    if (data.contains(QLatin1String("sourceId")) && RoomJson::Uid(data, "sourceId") == GetUserId()) {
        // The own text is shown when it is typed, not when it comes back.
        qDebug() << "这是一个自己发送的消息，忽略. fromUid:" << data.value(QLatin1String("sourceId"));
        return;
    }
    if (ChatWidget* chat = Nexus::GetChatWidget())
        emit chat->DirectShowChatMsg(RoomJson::Text(data, "operatorUserName"), RoomJson::Text(data, "content"),
            RoomJson::Seconds(data, "timestamp"));
}

void DataManager::OnChatImageSend(const SignallingMessage& message)
{
    qDebug() << "into DataManager::OnChatImageSend, Message received:" << message.Text();
    const int sender = RoomJson::Uid(message.json, "source");
    if (sender == GetUserId()) {
        qDebug() << "这是一个自己发送的消息，忽略. source:" << message.json.value(QLatin1String("source"));
        return;
    }
    const QJsonObject data = message.Data();
    const QJsonObject content = data.value(QLatin1String("content")).toObject();
    const chatImageStruct image
        = ImageOf(content, RoomJson::Text(data, "operatorUserName"), RoomJson::Seconds(content, "timestamp"), sender);
    if (image.senderName.isEmpty() || image.slideUrl.isEmpty() || image.normalUrl.isEmpty() || image.sendTime == 0) {
        qDebug() << "in OnChatImageSend, data is incomplete";
        return;
    }
    if (ChatWidget* chat = Nexus::GetChatWidget())
        emit chat->ShowChatImageMsg(QVariant::fromValue(image));
}

void DataManager::OnChatLikeSend(const SignallingMessage& message)
{
    qDebug() << "into DataManager::OnChatLikeSend, Message received:" << message.Text();
    if (!message.HasObjectData())
        return;
    const QJsonObject data = message.Data();
    const QString content = RoomJson::Text(data, "content");
    qDebug() << "in OnChatLikeSend, messageType：" << RoomJson::Int(data, "messageType") << ",content:" << content;
    if (ChatWidget* chat = Nexus::GetChatWidget())
        emit chat->ShowChatSystemMsg(content);
}

void DataManager::OnChatHistoryMsgRecv(const SignallingMessage& message)
{
    qDebug() << "into DataManager::OnChatHistoryMsgRecv, Message received:" << message.Text();
    const QJsonValue history = message.Data().value(QLatin1String("chatHistory"));
    if (!history.isArray()) {
        qDebug() << "has none chat history";
        return;
    }
    const QJsonArray entries = history.toArray();
    if (entries.isEmpty()) {
        qDebug() << "GetHistoryMsg, data is empty.";
        return;
    }
    // The history is asked for once per room entry; a repeated answer
    // would show every line twice.
    if (m_chatHistoryShown.exchange(true)) {
        qDebug() << "GetHistoryMsg, history already shown, answer dropped";
        return;
    }
    ChatWidget* chat = Nexus::GetChatWidget();
    if (!chat)
        return;
    const int first = qMax(0, entries.size() - kMaxHistory);
    for (int i = first; i < entries.size(); ++i) {
        const QJsonObject entry = entries.at(i).toObject();
        const QString name = RoomJson::Text(entry, "operatorUserName");
        const int seconds = RoomJson::Seconds(entry, "timestamp");
        if (RoomJson::Int(entry, "messageType") != MsgChatImage) {
            emit chat->ShowChatMsg(name, RoomJson::Text(entry, "content"), seconds);
            continue;
        }
        // Picture keys inside "content"; older entries carry them beside it.
        const QJsonValue content = entry.value(QLatin1String("content"));
        const QJsonObject keys = content.isObject() ? content.toObject() : entry;
        emit chat->ShowChatImageMsg(
            QVariant::fromValue(ImageOf(keys, name, seconds, RoomJson::Uid(entry, "sourceId"))));
    }
}

void DataManager::OnChatImageTransResultRecv(const SignallingMessage& message)
{
    qDebug() << "into DataManager::OnChatImageTransResultRecv, Message received:" << message.Text();
    if (!message.HasObjectData())
        return;
    const QJsonObject data = message.Data();
    QJsonObject content;
    for (const char* key : { "imageId", "slideUrl", "slideSize", "mediumUrl", "mediumSize", "normalUrl", "normalSize" })
        content.insert(QLatin1String(key), RoomJson::Text(data, key));
    const double stamp = data.value(QLatin1String("timestamp")).toDouble();
    // A whole number of milliseconds that a JSON number holds exactly.
    content.insert(QStringLiteral("timestamp"), stamp > 0 && stamp < 9007199254740992.0 ? double(qint64(stamp)) : 0.0);
    const QString imageId = content.value(QLatin1String("imageId")).toString();
    for (const char* key : { "imageId", "slideUrl", "mediumUrl", "normalUrl" }) {
        if (content.value(QLatin1String(key)).toString().isEmpty()) {
            qDebug() << "in OnChatImageTransResultRecv, data is incomplete";
            return;
        }
    }
    if (m_sentChatImages.contains(imageId) || m_sentChatImages.size() >= kMaxSentImages) {
        qDebug() << "in OnChatImageTransResultRecv, picture already sent or too many, imageId:" << imageId;
        return;
    }
    const QString json = ChatImageMessage(content);
    const int sent = SendText(MsgChatImage, json);
    qDebug() << "in OnChatImageTransResultRecv, strJson:" << json;
    // The sender's row stays "sending" until the room has it; one that
    // never gets there shows its failure when its wait ends.
    if (sent <= 0)
        return;
    m_sentChatImages.insert(imageId);
    if (ChatWidget* chat = Nexus::GetChatWidget())
        emit chat->ChatImageSent(imageId);
}

QString DataManager::ChatImageMessage(const QJsonObject& converted) const
{
    const RoomFields room = GetRoomFields();
    QJsonObject content = converted;
    content.insert(QStringLiteral("roomId"), room.m_strRoomId);
    const QJsonObject data { { QStringLiteral("roomId"), room.m_strRoomId },
        { QStringLiteral("operatorUserName"), room.m_strFullName },
        { QStringLiteral("sourceId"), QString::number(room.m_dwUserId) },
        { QStringLiteral("type"), QStringLiteral("public") }, { QStringLiteral("content"), content } };
    return Envelope(MsgChatImage, room.m_strRoomId, data);
}
