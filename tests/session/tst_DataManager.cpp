#include "LogCapture.h"
#include "TestRegistry.h"
#include "TestSupport.h"

#include "app/AppPaths.h"
#include "app/Nexus.h"
#include "app/Profile.h"
#include "session/DataManager.h"
#include "session/UserInfo.h"

#include <QDir>
#include <QFile>
#include <QPointer>
#include <QSemaphore>
#include <QThread>
#include <QtTest>
#include <memory>

namespace {

// Runs f in the worker's thread and waits for it.
template <typename F> void InWorker(QObject* worker, F f)
{
    QSemaphore done;
    QMetaObject::invokeMethod(
        worker,
        [&] {
            f();
            done.release();
        },
        Qt::QueuedConnection);
    QVERIFY(done.tryAcquire(1, 5000));
}

UserInfo* Member(int uid, const QString& name = QString())
{
    auto* user = new UserInfo();
    user->SetUid(uid);
    user->SetUserName(name.isEmpty() ? QStringLiteral("user %1").arg(uid) : name);
    return user;
}

void Touch(const QString& path)
{
    QVERIFY(TestSupport::WriteFile(path, "x"));
}

// Where each released member was deleted.
struct DeletionWatch {
    QList<QThread*> threads;
    QList<QPointer<UserInfo>> members;
    void Watch(UserInfo* user)
    {
        members << user;
        QObject::connect(
            user, &QObject::destroyed, user, [this] { threads << QThread::currentThread(); }, Qt::DirectConnection);
    }
    bool AllGone() const
    {
        for (const auto& member : members) {
            if (member)
                return false;
        }
        return true;
    }
};

} // namespace

// The session worker's frame in its "Profile Manager" thread.
class TestDataManager : public QObject
{
    Q_OBJECT

    std::unique_ptr<Profile> m_profile;
    DataManager* m_data = nullptr;

private slots:
    void initTestCase() { QVERIFY(Nexus::Instance()); }
    void init()
    {
        m_profile = std::make_unique<Profile>();
        m_profile->StartThreads();
        m_data = m_profile->GetDataManager();
    }
    void cleanup() { m_profile.reset(); }

    void RunsInItsThread() { QCOMPARE(m_data->thread()->objectName(), QString("Profile Manager")); }

    void PraiseListHoldsTheTwentyPhrasesInOrder()
    {
        const QStringList phrases = m_data->GetPraisePhrases();
        QCOMPARE(phrases.size(), 20);
        QCOMPARE(phrases.first(), QString("点个赞求不交作业"));
        QCOMPARE(phrases.at(7), QString("Der Lehrer viel!"));
        QCOMPARE(phrases.at(8), QString("Потрясающе  !"));
        QCOMPARE(phrases.at(12), QString("unbelievable！赞"));
        QCOMPARE(phrases.last(), QString("仰之弥高钻之弥坚"));
        QCOMPARE(phrases, RoomFields::PraisePhrases());
        // Every reset keeps them.
        emit m_data->CleanUp();
        InWorker(m_data, [] {});
        QCOMPARE(m_data->GetPraisePhrases(), phrases);
    }

    void CleanUpWithoutClientOrTimerOnlyResets()
    {
        DeletionWatch watch;
        InWorker(m_data, [&] {
            for (int uid : { 1, 2, 3 }) {
                UserInfo* user = Member(uid);
                watch.Watch(user);
                m_data->AddMember(user);
            }
        });
        m_data->SetUserId(7);
        m_data->SetSchoolId("S1");
        m_data->SetRoomRole(5);
        m_profile->SetClassRecordingFlag(true);
        InWorker(m_data, [&] {
            m_data->SetPermission(128 | 16);
            m_data->SetActionStatus(4 | 2 | 16);
        });
        QSignalSpy rights(m_data, &DataManager::PermissionChanged);
        QCOMPARE(m_data->GetUserMap().size(), 3);

        LogCapture log;
        emit m_data->CleanUp();
        InWorker(m_data, [] {});
        QVERIFY(m_data->GetUserMap().isEmpty());
        QCOMPARE(m_data->GetLastLogoutType(), 0);
        QVERIFY(!m_profile->GetClassRecordingFlag());
        // Identity and school stay.
        QCOMPARE(m_data->GetUserId(), 7);
        QCOMPARE(m_data->GetSchoolId(), QString("S1"));
        QCOMPARE(m_data->GetRoomRole(), 5);
        // No right or device state of the room left carries into the next.
        QCOMPARE(m_data->GetPermission(), 0);
        QCOMPARE(m_data->GetActionStatus(), 0);
        QCOMPARE(rights.size(), 1);
        QCOMPARE(rights.at(0).at(0).toInt(), 0);
        // The members go in this (the GUI) thread, once it runs its loop.
        QVERIFY(!watch.AllGone());
        QTRY_VERIFY(watch.AllGone());
        QCOMPARE(watch.threads, QList<QThread*>({ thread(), thread(), thread() }));
        QCOMPARE(log.Count("[ERROR]"), 0);
    }

    void DestroyWebSocketWithoutClientDoesNothing()
    {
        InWorker(m_data, [&] { m_data->AddMember(Member(4)); });
        emit m_data->DestroyWebSocket();
        InWorker(m_data, [] {});
        QCOMPARE(m_data->GetUserMap().size(), 1);
    }

    void ReplacingOrRemovingAMemberReleasesIt()
    {
        DeletionWatch watch;
        UserInfo* second = nullptr;
        InWorker(m_data, [&] {
            UserInfo* first = Member(9, "first");
            watch.Watch(first);
            m_data->AddMember(first);
            second = Member(9, "second");
            m_data->AddMember(second);
        });
        QCOMPARE(m_data->GetUserInfoByUid("9"), second);
        QCOMPARE(m_data->GetUserInfoByUid("9")->GetUserName(), QString("second"));
        QTRY_VERIFY(watch.AllGone());
        bool removed = false;
        InWorker(m_data, [&] { removed = m_data->RemoveMember(9) && !m_data->RemoveMember(9); });
        QVERIFY(removed);
        QVERIFY(!m_data->GetUserInfoByUid("9"));
        QVERIFY(!m_data->GetUserInfoByUid("not a number"));
    }

    // A pointer queued to the GUI thread before the member was removed is
    // still good when its slot runs.
    void QueuedMemberOutlivesItsRemoval()
    {
        QString seen;
        QObject receiver;
        InWorker(m_data, [&] {
            UserInfo* user = Member(5, "queued");
            m_data->AddMember(user);
            QMetaObject::invokeMethod(
                &receiver, [&seen, user] { seen = user->GetUserName(); }, Qt::QueuedConnection);
            m_data->RemoveMember(5);
        });
        QTRY_COMPARE(seen, QString("queued"));
    }

    void RequestingTheMemberListLeavesIt()
    {
        LogCapture log;
        emit m_data->Request4GetUserList();
        emit m_data->SendChatMsg("hello");
        InWorker(m_data, [] {});
        QCOMPARE(m_data->GetTeacherLikeTotal(), 0);
        // No signalling connection yet: both are dropped with a log line.
        QCOMPARE(log.Count("no signalling connection, dropped type: 161"), 1);
        QCOMPARE(log.Count("no signalling connection, dropped type: 385"), 1);
    }

    void DestructionRemovesOnlyTheCaches()
    {
        const QString data = AppPaths::DataFolder();
        for (const char* file : { "vesk-servers.properties", "vesk-servers.properties.backup", "vesk-win.properties",
                 "courlist/p1/1.png", "courlist/avatar/a.png", "chatImage/c.png", "other/keep.txt" })
            Touch(data + file);
        DeletionWatch watch;
        InWorker(m_data, [&] {
            UserInfo* user = Member(11);
            watch.Watch(user);
            m_data->AddMember(user);
        });
        LogCapture log;
        m_profile.reset();
        QCOMPARE(log.Count("into DataManager::~DataManager"), 1);
        QVERIFY(!QFileInfo::exists(data + "courlist"));
        QVERIFY(!QFileInfo::exists(data + "chatImage"));
        for (const char* file :
            { "vesk-servers.properties", "vesk-servers.properties.backup", "vesk-win.properties", "other/keep.txt" })
            QVERIFY2(QFileInfo::exists(data + file), file);
        // Deleted by the time the profile is gone, in this thread.
        QVERIFY(watch.AllGone());
        QCOMPARE(watch.threads, QList<QThread*>({ thread() }));
    }
};

PLOVIX_TEST(TestDataManager)
#include "tst_DataManager.moc"
