#pragma once

// Shared set-up of the class-room screen tests: the hub with a running
// session worker (no service), members put into the session's map as the
// member handlers do, and pictures at a display scale.

#include "TestSupport.h"

#include "app/Nexus.h"
#include "app/Profile.h"
#include "session/DataManager.h"
#include "session/UserInfo.h"

#include <QDir>
#include <QPixmap>
#include <QWidget>
#include <QtTest>

namespace RoomScreens {

inline DataManager* StartSession()
{
    Profile* profile = TestSupport::StartHub(QStringLiteral("http://127.0.0.1:9"));
    profile->StartThreads();
    return profile->GetDataManager();
}

struct Member {
    int uid;
    int role;
    QString name;
    int permission = 0;
    int alterable = 0;
    int status = 0;
};

// A new record put into the session's member map (in its thread, as the
// member handlers do); the session owns it.
inline UserInfo* AddMember(DataManager* data, const Member& member, const QString& headPath = QString())
{
    auto* info = new UserInfo();
    info->SetUid(member.uid);
    info->SetRole(member.role);
    info->SetUserName(member.name);
    info->SetPermission(member.permission);
    info->SetPermissionAlterable(member.alterable);
    info->SetActionStatus(member.status);
    info->SetUserStatus(1);
    info->SetHeadPath(headPath);
    TestSupport::RunIn(data, [data, info] { data->AddMember(info); });
    return info;
}

inline void RemoveMember(DataManager* data, int uid)
{
    TestSupport::RunIn(data, [data, uid] { data->RemoveMember(uid); });
}

// The two display scales every screenshot is taken at: columns "factor"
// and "folder".
inline void ScaleRows()
{
    QTest::addColumn<double>("factor");
    QTest::addColumn<QString>("folder");
    QTest::newRow("x1") << 1.0 << "x1";
    QTest::newRow("x1.5") << 1.5 << "x1.5";
}

// Switches the profile to the scale of the current row.
inline void UseRowScale(double& factor, QString& folder)
{
    factor = *static_cast<double*>(QTest::qData("factor", qMetaTypeId<double>()));
    folder = *static_cast<QString*>(QTest::qData("folder", qMetaTypeId<QString>()));
    Nexus::GetProfile()->SetScale(factor, folder);
}

// A picture of widget as a display at factor shows it, for a person to
// look at: <name>-<folder>.png.
inline void SaveScaled(QWidget* widget, const QString& name, double factor, const QString& folder)
{
    const QString dir = TestSupport::ScreenshotFolder();
    QDir().mkpath(dir);
    // The chat lays its rows out again on a short timer after a resize.
    QTest::qWait(20);
    QPixmap picture(widget->size() * factor);
    picture.setDevicePixelRatio(factor);
    picture.fill(Qt::white);
    widget->render(&picture);
    QVERIFY(picture.save(dir + QLatin1Char('/') + name + QLatin1Char('-') + folder + QStringLiteral(".png")));
}

} // namespace RoomScreens
