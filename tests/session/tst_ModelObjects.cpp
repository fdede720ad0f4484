#include "TestRegistry.h"

#include "session/CourseWareInfo.h"
#include "session/MarkInfo.h"
#include "session/MediaInfo.h"
#include "session/SchoolInfo.h"
#include "session/SchoolListInfo.h"
#include "session/UserInfo.h"
#include "session/UserRole.h"

#include <QDateTime>
#include <QMetaProperty>
#include <QSignalSpy>
#include <QThread>
#include <QtTest>

namespace {

QStringList PropertyNames(const QMetaObject& meta)
{
    QStringList names;
    for (int i = meta.propertyOffset(); i < meta.propertyCount(); ++i)
        names << QString::fromLatin1(meta.property(i).name());
    return names;
}

QStringList SignalNames(const QMetaObject& meta)
{
    QStringList names;
    for (int i = meta.methodOffset(); i < meta.methodCount(); ++i) {
        if (meta.method(i).methodType() == QMetaMethod::Signal)
            names << QString::fromLatin1(meta.method(i).methodSignature());
    }
    return names;
}

} // namespace

class TestModelObjects : public QObject
{
    Q_OBJECT

private slots:
    void RoleNumbers_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("role");
        for (const char* name : { "TEACHER", "TUTOR", "SUPERVISOR", "SUPPORTER" })
            QTest::newRow(name) << name << 4;
        QTest::newRow("STUDENT") << "STUDENT" << 5;
        QTest::newRow("PUB_STUDENT") << "PUB_STUDENT" << 5;
        QTest::newRow("AUDITOR") << "AUDITOR" << 6;
        QTest::newRow("PUB_GHOST") << "PUB_GHOST" << 6;
        QTest::newRow("LISTENER") << "LISTENER" << 7;
        QTest::newRow("lower case") << "teacher" << 0;
        QTest::newRow("blank around") << " STUDENT" << 0;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("unknown") << "ADMIN" << 0;
    }
    void RoleNumbers()
    {
        QFETCH(QString, name);
        QFETCH(int, role);
        QCOMPARE(int(GetRoleByName(name)), role);
    }

    void MemberPropertiesAndSignalsInTheirOrder()
    {
        QCOMPARE(PropertyNames(UserInfo::staticMetaObject),
            QStringList({ "headPath", "headUrl", "userName", "uid", "permission", "permissionAlterable", "actionStatus",
                "userStatus", "role", "networkSupplier", "networkUserIp", "networkServerIp", "deviceSystem",
                "softwareVersion", "softwareBuild", "deviceVersion", "deviceSystemVersion", "agoraRxQos", "agoraTxQos",
                "hardwareSoundCount", "hardwareMicCount" }));
        QCOMPARE(SignalNames(UserInfo::staticMetaObject),
            QStringList({ "HeadPathChanged()", "UserNameChanged()", "UidChanged()", "PermissionChanged()",
                "PermissionAlterableChanged()", "ActionStatusChanged()" }));
        QCOMPARE(PropertyNames(SchoolInfo::staticMetaObject),
            QStringList({ "courseName", "sessionName", "roomName", "roomNo", "roomType", "roomPwd", "teacherId",
                "teacherName", "courseTypeDesc", "className", "snapShotUrl", "headPath", "recordUrl", "startTm",
                "endTm", "courseType", "leaveStatus", "recordStatus" }));
        QCOMPARE(PropertyNames(SchoolListInfo::staticMetaObject),
            QStringList({ "schoolId", "schoolName", "schoolProfile" }));
        QCOMPARE(PropertyNames(MediaInfo::staticMetaObject), QStringList({ "urlPath", "mediaId" }));
        QCOMPARE(PropertyNames(CourseWareInfo::staticMetaObject),
            QStringList({ "downloadPath", "headPath", "urlPath", "presentationId", "whiteboardId" }));
        QVERIFY(SignalNames(SchoolInfo::staticMetaObject).isEmpty());
    }

    void NewMemberStartsAtZero()
    {
        UserInfo user(this);
        QVERIFY(!user.parent());
        QCOMPARE(user.property("userStatus").toInt(), 0);
        QCOMPARE(user.property("hardwareSoundCount").toInt(), 0);
        QCOMPARE(user.property("hardwareMicCount").toInt(), 0);
        QVERIFY(user.GetUserName().isEmpty());
        QVERIFY(user.GetNetworkLocation().isEmpty());
    }

    void SettersWithASignalAlwaysEmit()
    {
        UserInfo user;
        QSignalSpy permission(&user, &UserInfo::PermissionChanged);
        QSignalSpy head(&user, &UserInfo::HeadPathChanged);
        user.SetPermission(5);
        user.SetPermission(5);
        QVERIFY(user.setProperty("permission", 5));
        QCOMPARE(permission.size(), 3);
        user.SetHeadPath("a.png");
        QCOMPARE(head.size(), 1);
        // Plain fields are written without a signal.
        QSignalSpy any(&user, &UserInfo::UidChanged);
        QVERIFY(user.setProperty("role", 4));
        QCOMPARE(user.GetRole(), 4);
        QCOMPARE(any.size(), 0);
    }

    // A slot reading the object from inside its change signal would
    // deadlock if the setter emitted under the object's lock.
    void SignalsLeaveTheLockFree()
    {
        UserInfo user;
        int seen = -1;
        connect(&user, &UserInfo::ActionStatusChanged, this, [&] {
            seen = user.GetActionStatus();
            user.SetRole(user.GetRole() + 1);
        });
        user.SetActionStatus(12);
        QCOMPARE(seen, 12);
        QCOMPARE(user.GetRole(), 1);
    }

    void MarkBecomesEditedWhenItsTextChanges()
    {
        MarkInfo mark;
        QCOMPARE(mark.GetStatus(), int(MarkInfo::New));
        mark.SetDescription("first");
        QCOMPARE(mark.GetStatus(), int(MarkInfo::New));
        mark.SetDescription("second");
        QCOMPARE(mark.GetStatus(), int(MarkInfo::Edited));
        QCOMPARE(mark.GetDescription(), QString("second"));
        mark.SetTime(-30);
        QCOMPARE(mark.GetTime(), 0);
    }

    void TimeOfDayIsTheWallClock()
    {
        TimeOfDay now;
        const qint64 before = QDateTime::currentMSecsSinceEpoch() / 1000;
        QCOMPARE(GetTimeOfDay(&now), 0);
        QVERIFY(now.sec >= before && now.sec <= before + 1);
        QVERIFY(now.usec >= 0 && now.usec < 1000000);
        QCOMPARE(now.usec % 1000, 0);
    }

    // One thread writes while another reads: every read is one whole value.
    void FieldsAreReadWholeAcrossThreads()
    {
        UserInfo user;
        const QString a(300, QChar('a'));
        const QString b(300, QChar('b'));
        std::atomic<bool> stop { false };
        QThread* writer = QThread::create([&] {
            for (int i = 0; i < 20000 && !stop; ++i) {
                user.SetNetworkSupplier(i % 2 ? a : b);
                user.SetHardwareMicCount(i);
            }
            stop = true;
        });
        writer->start();
        int torn = 0;
        while (!stop) {
            const QString value = user.GetNetworkSupplier();
            if (!value.isEmpty() && value != a && value != b)
                ++torn;
        }
        QVERIFY(writer->wait(10000));
        delete writer;
        QCOMPARE(torn, 0);
        QCOMPARE(user.GetHardwareMicCount(), 19999);
    }
};

PLOVIX_TEST(TestModelObjects)
#include "tst_ModelObjects.moc"
