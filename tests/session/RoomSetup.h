#pragma once

#include "RoomControl.h"
#include "ServiceFixture.h"
#include "TestSupport.h"

#include "app/HttpClient.h"
#include "app/Nexus.h"
#include "app/Profile.h"
#include "app/UserSettings.h"
#include "room/LoadingFailUI.h"
#include "room/LoadingUI.h"
#include "session/DataManager.h"
#include "session/SchoolInfo.h"

#include <QSemaphore>
#include <QSignalSpy>
#include <QtTest>
#include <memory>

// The local service over TLS, the hub with its workers pointed at it, the
// server properties read, and the loading screens registered: what a room
// entry needs. The local user is 58, a student of room R100.
class RoomSetup
{
public:
    ServiceFixture service;
    std::unique_ptr<RoomControl> room;
    Profile* profile = nullptr;
    DataManager* data = nullptr;
    std::unique_ptr<LoadingUI> loading;
    std::unique_ptr<LoadingFailUI> failure;

    // Set before Start: the classroom host's name instead of 127.0.0.1 (its
    // URLs are renamed after the server properties are read).
    QString classroomName;
    // Set before Start: the local user, and the ready line of a service that
    // another process runs (none is started then).
    int localUid = 58;
    QJsonObject attachTo;

    // wssOptimize empty: the key stays absent.
    bool Start(const QString& wssOptimize, const QStringList& serviceArgs = {})
    {
        if (!(attachTo.isEmpty() ? service.Start(true, serviceArgs) : service.Attach(attachTo))) {
            qWarning() << service.ErrorText();
            return false;
        }
        room = std::make_unique<RoomControl>(service);
        HttpClient::TrustExtraCaFile(service.CaPath());
        qputenv("PLOVIX_CLASSROOM_HOST", ClassroomHost().toUtf8());
        if (!wssOptimize.isEmpty())
            UserSettings::SetValue(UserSettings::WssOptimize, wssOptimize);
        profile = TestSupport::StartHub(service.HttpsUrl("/").toString(QUrl::StripTrailingSlash));
        profile->StartThreads();
        data = profile->GetDataManager();
        QSignalSpy read(Nexus::Instance(), &Nexus::DownloadCfgFinished);
        data->DownloadServConfig();
        if (!read.wait(15000))
            return false;
        if (!classroomName.isEmpty()) {
            QHash<ClassServerProperty::Url, QString> urls;
            const QString address = Node(service.HttpsPort());
            for (auto url : { ClassServerProperty::AppServer, ClassServerProperty::EchoHost,
                     ClassServerProperty::RegServer, ClassServerProperty::AgoraDynamicKey })
                urls.insert(url, profile->GetUrl(url).replace(address, ClassroomHost()));
            profile->SetUrls(urls);
        }
        loading = std::make_unique<LoadingUI>();
        failure = std::make_unique<LoadingFailUI>();
        Nexus::SetLoadingUI(loading.get());
        Nexus::SetLoadingFailUI(failure.get());
        loading->show();
        data->SetUserId(localUid);
        return true;
    }

    QString ClassroomHost() const
    {
        return QStringLiteral("%1:%2")
            .arg(classroomName.isEmpty() ? QStringLiteral("127.0.0.1") : classroomName)
            .arg(service.HttpsPort());
    }
    QString Node(int port) const { return QStringLiteral("127.0.0.1:%1").arg(port); }

    // A session of the current-session list, as the session lists make it.
    void AddSession(const QString& sessionId, const QString& roomNo, const QString& password)
    {
        auto* session = new SchoolInfo();
        session->SetSessionId(sessionId);
        session->SetSessionName(QStringLiteral("勾股定理"));
        session->SetRoomNo(roomNo);
        session->SetRoomPwd(password);
        session->SetTeacherId(QStringLiteral("57"));
        session->SetStartTm(1700000000);
        session->SetEndTm(1700003600);
        data->AddCurrentSession(session);
    }

    // Runs f in the "Profile Manager" thread and waits for it.
    template <typename F> bool InWorker(F f)
    {
        QSemaphore done;
        QMetaObject::invokeMethod(
            data,
            [&] {
                f();
                done.release();
            },
            Qt::QueuedConnection);
        return done.tryAcquire(1, 10000);
    }

    // The types user 58 sent on the room socket, in order.
    QList<int> SentTypes() const
    {
        QList<int> types;
        for (const QJsonObject& message : room->Sent(QStringLiteral("58")))
            types << message.value(QLatin1String("type")).toInt();
        return types;
    }
};

// True when wanted appears in order (not necessarily adjacent) in list.
inline bool InOrder(const QList<int>& list, const QList<int>& wanted)
{
    int at = 0;
    for (int item : list) {
        if (at < wanted.size() && item == wanted.at(at))
            ++at;
    }
    return at == wanted.size();
}
