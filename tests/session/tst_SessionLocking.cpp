#include "TestRegistry.h"

#include "app/Nexus.h"
#include "app/Profile.h"
#include "session/DataManager.h"
#include "session/UserInfo.h"

#include <QCoreApplication>
#include <QPointer>
#include <QtTest>
#include <atomic>
#include <memory>

// The locking rule where it matters: the GUI thread walks member snapshots
// while the "Profile Manager" thread adds, changes, removes and resets
// members as fast as it can. Run it under -DPLOVIX_SANITIZE=thread (or
// address) to see a race or a use after free; here it must simply hold.
class TestSessionLocking : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(Nexus::Instance()); }

    void SnapshotsStayValidWhileTheWorkerChangesMembers()
    {
        auto profile = std::make_unique<Profile>();
        profile->StartThreads();
        DataManager* data = profile->GetDataManager();

        std::atomic<bool> done { false };
        std::atomic<int> rounds { 0 };
        QMetaObject::invokeMethod(
            data,
            [&] {
                for (int round = 0; round < 2000; ++round) {
                    for (int uid = 1; uid <= 20; ++uid) {
                        auto* user = new UserInfo();
                        user->SetUid(uid);
                        user->SetUserName(QStringLiteral("member %1").arg(uid));
                        data->AddMember(user);
                    }
                    for (UserInfo* user : data->GetUserMap())
                        user->SetPermission(user->GetPermission() + 1);
                    for (int uid = 1; uid <= 20; uid += 3)
                        data->RemoveMember(uid);
                    if (round % 5 == 0)
                        data->ResetRoomData();
                    rounds = round + 1;
                }
                done = true;
            },
            Qt::QueuedConnection);

        qint64 reads = 0;
        int malformed = 0;
        QElapsedTimer clock;
        clock.start();
        while (!done && clock.elapsed() < 60000) {
            const QMap<int, UserInfo*> members = data->GetUserMap();
            for (auto it = members.cbegin(); it != members.cend(); ++it) {
                UserInfo* user = it.value();
                if (user->GetUid() != it.key() || !user->GetUserName().startsWith("member "))
                    ++malformed;
                reads += user->GetPermission() >= 0 ? 1 : 0;
            }
            if (UserInfo* one = data->GetUserInfoByUid("2"))
                reads += one->GetUid() == 2 ? 1 : 0;
            // Released members are deleted here, between two walks.
            QCoreApplication::processEvents();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
        QVERIFY(done);
        QCOMPARE(rounds.load(), 2000);
        QCOMPARE(malformed, 0);
        QVERIFY(reads > 0);

        // A screen's guarded pointer learns that the member is gone.
        QPointer<UserInfo> kept = data->GetUserInfoByUid("2");
        QVERIFY(kept);
        QMetaObject::invokeMethod(
            data, [data] { data->ResetRoomData(); }, Qt::BlockingQueuedConnection);
        QTRY_VERIFY(!kept);
        profile.reset();
    }
};

PLOVIX_TEST(TestSessionLocking)
#include "tst_SessionLocking.moc"
