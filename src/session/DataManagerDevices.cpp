// The members' device, network and version details the teacher side asks
// the room for (164 one member, 165 the whole room). "Profile Manager"
// thread; the user list reads the details after its queued signal.
#include "DataManager.h"

#include "RoomJson.h"
#include "UserInfo.h"
#include "app/Nexus.h"
#include "room/UserList.h"

#include <QDebug>
#include <QJsonArray>
#include <QSet>

namespace {

// A link-quality number of the RTC engine as the user list shows it.
QString QualityText(int quality)
{
    switch (quality) {
    case 1:
        return QStringLiteral("优");
    case 2:
        return QStringLiteral("良");
    case 3:
        return QStringLiteral("中");
    case 4:
    case 5:
    case 6:
        return QStringLiteral("差");
    default:
        return QStringLiteral("未知");
    }
}

// One member's details as one element of an answer carries them; a key
// the element lacks reads as empty or 0, never as another member's value.
struct DeviceDetails {
    explicit DeviceDetails(const QJsonObject& element)
        : supplier(RoomJson::Text(element, "networkSupplier"))
        , location(RoomJson::Text(element, "networkLocation"))
        , userIp(RoomJson::Text(element, "networkUserIp"))
        , serverIp(RoomJson::Text(element, "networkServerIp"))
        , system(RoomJson::Text(element, "deviceSystem"))
        , softwareVersion(RoomJson::Text(element, "softwareVersion"))
        , softwareBuild(RoomJson::Text(element, "softwareBuild"))
        , deviceVersion(RoomJson::Text(element, "deviceVersion"))
        , systemVersion(RoomJson::Text(element, "deviceSystemVersion"))
        , soundCount(RoomJson::Int(element, "hardwareSoundCount"))
        , micCount(RoomJson::Int(element, "hardwareMicCount"))
        , rx(RoomJson::Int(element, "agoraRx"))
        , tx(RoomJson::Int(element, "agoraTx"))
    { }

    void StoreInto(UserInfo* user) const
    {
        user->SetNetworkSupplier(supplier);
        user->SetNetworkLocation(location);
        user->SetNetworkUserIp(userIp);
        user->SetNetworkServerIp(serverIp);
        user->SetDeviceSystem(system);
        user->SetSoftwareVersion(softwareVersion);
        user->SetSoftwareBuild(softwareBuild);
        user->SetDeviceVersion(deviceVersion);
        user->SetDeviceSystemVersion(systemVersion);
        user->SetHardwareSoundCount(soundCount);
        user->SetHardwareMicCount(micCount);
        user->SetAgoraRxQos(QualityText(rx));
        user->SetAgoraTxQos(QualityText(tx));
    }

    QString supplier;
    QString location;
    QString userIp;
    QString serverIp;
    QString system;
    QString softwareVersion;
    QString softwareBuild;
    QString deviceVersion;
    QString systemVersion;
    int soundCount;
    int micCount;
    int rx;
    int tx;
};

} // namespace

void DataManager::OnDeviceInfoGetByRoomId(const SignallingMessage& message)
{
    qDebug() << "into DataManager::OnDeviceInfoGetByRoomId, Message received:" << message.Text();
    if (!message.json.contains(QLatin1String("data")))
        return;
    const QJsonArray elements = message.json.value(QLatin1String("data")).toArray();
    if (elements.isEmpty()) {
        qDebug() << "OnDeviceInfoGetByRoomId, data is empty.";
        return;
    }
    UserList* screen = Nexus::GetUserList();
    // A member named twice in one answer is filled by the first element.
    QSet<int> seen;
    for (const QJsonValue element : elements) {
        const QJsonObject details = element.toObject();
        const int uid = RoomJson::Uid(details, "userId");
        if (uid == 0 || seen.contains(uid))
            continue;
        seen.insert(uid);
        UserInfo* user = GetUserInfoByUid(QString::number(uid));
        // Filled once: by the first answer that finds the member's device
        // system empty.
        if (!user || !user->GetDeviceSystem().isEmpty())
            continue;
        DeviceDetails(details).StoreInto(user);
        if (screen)
            emit screen->DeviceInfoUpdate(user);
    }
}

// One member's details: logged; the room-wide answer is the one the user
// list shows.
void DataManager::OnDeviceInfoGetByUid(const SignallingMessage& message)
{
    qDebug() << "into DataManager::OnDeviceInfoGetByUid, Message received:" << message.Text();
    const QJsonObject data = message.Data();
    const DeviceDetails details(data);
    qDebug() << "OnDeviceInfoGetByUid, userId:" << RoomJson::Uid(data, "userId") << ",deviceSystem:" << details.system;
}
