#include "RoomScreens.h"
#include "TestRegistry.h"

#include "app/DownldManager.h"
#include "room/LeftArea.h"
#include "room/UserItem.h"
#include "room/UserList.h"
#include "room/UserNavigation.h"
#include "room/UsrPermissionItem.h"
#include "room/UsrPermissionTable.h"
#include "room/UsrPermissionWidget.h"
#include "widgets/DPIWidget4RoundPixmapV2.h"
#include "widgets/DpiPixmap.h"

#include <QMenu>
#include <QPointer>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>

using RoomScreens::Member;

// The left panel fed as the member handlers feed it: rows under their role
// headers, counts, folding, rights icons, the teacher's permission pop-up
// and what reaches the session from it.
class TestUserList : public QObject
{
    Q_OBJECT

    DataManager* m_data = nullptr;
    QWidget m_window;
    LeftArea* m_left = nullptr;
    UserList* m_list = nullptr;
    QTemporaryDir m_files;

    UserInfo* Login(const Member& member, const QString& headPath = QString())
    {
        UserInfo* info = RoomScreens::AddMember(m_data, member, headPath);
        emit m_list->UserLogin(info);
        return info;
    }
    void Logout(int uid)
    {
        UserInfo* info = m_data->GetUserInfoByUid(QString::number(uid));
        QVERIFY(info);
        emit m_list->UserLogout(info);
        RoomScreens::RemoveMember(m_data, uid);
    }
    // The tree top to bottom: group titles and row ids.
    QString Tree() const
    {
        QStringList parts;
        for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
            QWidget* widget = m_list->itemWidget(m_list->topLevelItem(i), 0);
            if (auto* nav = qobject_cast<UserNavigation*>(widget))
                parts << nav->GetTitle();
            else if (auto* row = qobject_cast<UserItem*>(widget))
                parts << QString::number(row->GetUid()) + (m_list->topLevelItem(i)->isHidden() ? "-" : "");
        }
        return parts.join(' ');
    }
    void BeTeacher(bool teacher)
    {
        m_data->SetUserId(teacher ? 57 : 58);
        m_data->SetRoomRole(teacher ? 4 : 5);
        m_data->SetPermission(teacher ? 0x1ff : 0x95);
        m_left->UpdateModeByRole();
    }
    // The demo class: teacher 57, tutor 56, students 58-61 (58 lacks the
    // camera right, 59 speaks with the camera on), auditor 70, listener 80.
    void FillDemoClass()
    {
        Login({ 58, 5, QString::fromUtf8("张小明"), 0x91, 0x95 });
        Login({ 59, 5, QString::fromUtf8("李华"), 0x95, 0x95, 5 });
        Login({ 56, 4, QString::fromUtf8("周助教"), 0x95, 0 });
        Login({ 57, 4, QString::fromUtf8("王老师"), 0x1ff, 0 });
        Login({ 60, 5, QString(), 0x11, 0x95 });
        Login({ 61, 5, QString(200, QChar(0x540d)), 0x95, 0x95 });
        Login({ 70, 6, QString::fromUtf8("旁听生"), 0, 0 });
        Login({ 80, 7, QString::fromUtf8("体验者一"), 0, 0 });
    }
    // Each header and row stands where the tree placed its item, so none is
    // drawn over another.
    bool EveryRowInItsPlace() const
    {
        for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
            QTreeWidgetItem* item = m_list->topLevelItem(i);
            if (m_list->itemWidget(item, 0)->pos() != m_list->visualItemRect(item).topLeft())
                return false;
        }
        return true;
    }
    void Empty()
    {
        m_left->OnCleanUp();
        for (int uid : m_data->GetUserMap().keys())
            RoomScreens::RemoveMember(m_data, uid);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

private slots:
    void initTestCase()
    {
        m_data = RoomScreens::StartSession();
        m_window.resize(1280, 720);
        m_left = new LeftArea();
        Nexus::SetLeftArea(m_left);
        Nexus::SetUserList(m_left->GetUserList());
        m_list = m_left->GetUserList();
        m_left->SetupLayout(&m_window);
        m_window.show();
    }
    void cleanupTestCase()
    {
        Empty();
        Nexus::SetLeftArea(nullptr);
        Nexus::SetUserList(nullptr);
        delete m_left;
    }
    void init()
    {
        BeTeacher(true);
        Empty();
    }

    void RowsStandUnderTheirRoleInOrder_data()
    {
        QTest::addColumn<int>("self");
        QTest::addColumn<QList<int>>("uids");
        QTest::addColumn<QList<int>>("roles");
        QTest::addColumn<QString>("tree");
        QTest::newRow("groups in role order") << 57 << QList<int> { 80, 58, 57, 70, 59 } << QList<int> { 7, 5, 4, 6, 5 }
                                              << QString::fromUtf8("教学(1) 57 学员(2) 58 59 旁听(1) 70 体验者(1) 80");
        QTest::newRow("local user first though late")
            << 60 << QList<int> { 58, 59, 60 } << QList<int> { 5, 5, 5 } << QString::fromUtf8("学员(3) 60 58 59");
        QTest::newRow("second login ignored")
            << 57 << QList<int> { 58, 58, 57 } << QList<int> { 5, 5, 4 } << QString::fromUtf8("教学(1) 57 学员(1) 58");
        QTest::newRow("unknown role kept in the last group")
            << 57 << QList<int> { 90, 80 } << QList<int> { 0, 7 } << QString::fromUtf8("体验者(2) 90 80");
    }
    void RowsStandUnderTheirRoleInOrder()
    {
        QFETCH(int, self);
        QFETCH(QList<int>, uids);
        QFETCH(QList<int>, roles);
        QFETCH(QString, tree);
        m_data->SetUserId(self);
        for (int i = 0; i < uids.size(); ++i)
            Login({ uids.at(i), roles.at(i), QStringLiteral("n%1").arg(uids.at(i)) });
        QCOMPARE(Tree(), tree);
    }

    void LogoutTakesRowsHeadersAndTheRecord()
    {
        FillDemoClass();
        QPointer<UserInfo> record = m_data->GetUserInfoByUid("70");
        Logout(70);
        QCOMPARE(Tree(), QString::fromUtf8("教学(2) 57 56 学员(4) 58 59 60 61 体验者(1) 80"));
        Logout(59);
        QCOMPARE(Tree(), QString::fromUtf8("教学(2) 57 56 学员(3) 58 60 61 体验者(1) 80"));
        QTRY_VERIFY(record.isNull());
        // Back again: the header returns between its neighbours.
        Login({ 70, 6, "again" });
        QCOMPARE(Tree(), QString::fromUtf8("教学(2) 57 56 学员(3) 58 60 61 旁听(1) 70 体验者(1) 80"));
        // A record the session still holds is not the list's to delete.
        QPointer<UserInfo> kept = m_data->GetUserInfoByUid("80");
        emit m_list->UserLogout(kept);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!kept.isNull());
        QCOMPARE(Tree(), QString::fromUtf8("教学(2) 57 56 学员(3) 58 60 61 旁听(1) 70"));
    }

    void FoldedGroupsHideRowsAndStillCount()
    {
        FillDemoClass();
        m_list->GetNavigationByRole(5)->OnClicked();
        QCOMPARE(Tree(), QString::fromUtf8("教学(2) 57 56 学员(4) 58- 59- 60- 61- 旁听(1) 70 体验者(1) 80"));
        Login({ 62, 5, "late" });
        QCOMPARE(Tree(), QString::fromUtf8("教学(2) 57 56 学员(5) 58- 59- 60- 61- 62- 旁听(1) 70 体验者(1) 80"));
        QTest::mouseClick(m_list->GetNavigationByRole(5), Qt::LeftButton);
        QCOMPARE(Tree(), QString::fromUtf8("教学(2) 57 56 学员(5) 58 59 60 61 62 旁听(1) 70 体验者(1) 80"));
    }

    void RowsShowRightsAndState_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("role");
        QTest::addColumn<int>("permission");
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("icons");
        QTest::addColumn<bool>("cameraOn");
        QTest::addColumn<bool>("speaking");
        const QStringList none;
        QTest::newRow("all rights, idle") << 2 << 5 << 0x15 << 0 << none << false << false;
        QTest::newRow("speaking, camera on") << 2 << 5 << 0x15 << 5 << none << true << true;
        QTest::newRow("no rights") << 2 << 5 << 0 << 0 << QStringList { "camera", "microphone" } << false << false;
        QTest::newRow("whiteboard right")
            << 2 << 5 << 0x80 << 0 << QStringList { "camera", "microphone", "brush" } << false << false;
        QTest::newRow("camera right taken while on")
            << 2 << 5 << 0x11 << 4 << QStringList { "camera" } << false << false;
        QTest::newRow("teacher side shows no brush") << 2 << 4 << 0x95 << 0 << none << false << false;
        QTest::newRow("narrow: no icons") << 1 << 5 << 0 << 5 << none << true << true;
    }
    void RowsShowRightsAndState()
    {
        QFETCH(int, mode);
        QFETCH(int, role);
        QFETCH(int, permission);
        QFETCH(int, status);
        QFETCH(QStringList, icons);
        QFETCH(bool, cameraOn);
        QFETCH(bool, speaking);
        if (m_left->GetMode() != mode)
            m_left->OnZoomInOutUsrArea();
        UserInfo* info = Login({ 58, role, "m", 0x95, 0x95 });
        UserItem* row = m_list->FindItem(58);
        info->SetPermission(permission);
        info->SetActionStatus(status);
        emit m_list->AuthStateChanged(info);
        QCOMPARE(row->GetShownIcons(), icons);
        QCOMPARE(row->IsCameraOn(), cameraOn);
        QCOMPARE(row->IsSpeaking(), speaking);
        QCOMPARE(row->GetAvatar()->GetBlur(), cameraOn);
    }

    void HostileMembersAreShownSafely()
    {
        const QString notPicture = m_files.filePath("61.png");
        QVERIFY(TestSupport::WriteFile(notPicture, "<html>404</html>"));
        QSignalSpy retries(Nexus::GetDownldManager(), &DownldManager::retryDownload);
        FillDemoClass();
        UserInfo* hostile = Login({ 62, 5, QString(200, QChar('W')), 0, 0 }, notPicture);
        UserItem* row = m_list->FindItem(62);
        // A picture that does not decode leaves the default avatar, not a hole.
        QCOMPARE(row->GetAvatar()->GetPixmapPath(), DpiPixmap::DefaultAvatar("x1"));
        QVERIFY(row->GetShownName().endsWith(QChar(0x2026)));
        QVERIFY(row->GetShownName().size() < 60);
        QVERIFY(m_list->FindItem(60)->GetShownName().isEmpty());
        // A picture that never decodes is fetched again once, by member id.
        for (int i = 0; i < 3; ++i)
            m_list->OnDownloadFinished("62");
        QCOMPARE(retries.size(), 1);
        QCOMPARE(retries.at(0), (QList<QVariant> { 1, QString("62") }));
        m_list->OnDownloadFinished("not a number");
        // Names and device details from other clients are text, never markup.
        Login({ 63, 5, "<b>大" });
        m_list->FindItem(63)->GetShownName(); // builds the row
        QCOMPARE(TestSupport::ShownText(m_list->FindItem(63)->findChild<QLabel*>("userName")), QString("<b>大"));
        hostile->SetDeviceSystem("<img src=x>");
        emit m_list->DeviceInfoUpdate(hostile);
        QVERIFY(row->GetAvatar()->toolTip().contains("&lt;img"));
    }

    void TeacherTableSendsWhatWasChosen_data()
    {
        QTest::addColumn<int>("own");
        QTest::addColumn<int>("alterable");
        QTest::addColumn<int>("held");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<int>("clicked");
        QTest::addColumn<QList<int>>("sent");
        const QStringList all { "禁用开麦", "允许视频", "禁用聊天", "允许画板", "设为按键说话", "踢出教室" };
        QTest::newRow("forbid microphone") << 0x1ff << 0x95 << 0x11 << all << 0 << QList<int> { 193, 10001, 1, 58 };
        QTest::newRow("allow camera") << 0x1ff << 0x95 << 0x11 << all << 1 << QList<int> { 193, 10002, 4, 58 };
        QTest::newRow("allow whiteboard") << 0x1ff << 0x95 << 0x11 << all << 3 << QList<int> { 193, 10002, 128, 58 };
        QTest::newRow("push-to-talk") << 0x1ff << 0x95 << 0x11 << all << 4 << QList<int> { 224, 10001, 2048, 58 };
        QTest::newRow("remove") << 0x1ff << 0x95 << 0x11 << all << 5 << QList<int> { 160, 10001, 512, 58 };
        QTest::newRow("camera control only")
            << 0x8 << 0x95 << 0x4 << QStringList { "禁用视频" } << 0 << QList<int> { 193, 10001, 4, 58 };
        QTest::newRow("nothing alterable") << 0x2 << 0 << 0x95 << QStringList { "设为按键说话", "踢出教室" } << 1
                                           << QList<int> { 160, 10001, 512, 58 };
        QTest::newRow("no control") << 0x95 << 0x95 << 0x95 << QStringList() << -1 << QList<int>();
    }
    void TeacherTableSendsWhatWasChosen()
    {
        QFETCH(int, own);
        QFETCH(int, alterable);
        QFETCH(int, held);
        QFETCH(QStringList, texts);
        QFETCH(int, clicked);
        QFETCH(QList<int>, sent);
        FillDemoClass();
        m_data->SetPermission(own);
        UserInfo* info = m_data->GetUserInfoByUid("58");
        info->SetPermissionAlterable(alterable);
        info->SetPermission(held);
        QSignalSpy changes(m_data, &DataManager::LocalUsrPermChange);
        QCursor::setPos(m_window.mapToGlobal(QPoint(40, 200)));
        QTest::mouseClick(m_list->FindItem(58), Qt::RightButton);
        UsrPermissionWidget* popup = m_left->GetUsrPermWidget();
        QCOMPARE(popup->GetTexts(), texts);
        QCOMPARE(popup->isVisible(), !texts.isEmpty());
        if (clicked < 0)
            return;
        QTest::mouseClick(popup->GetTable()->cellWidget(clicked, 0), Qt::LeftButton);
        QVERIFY(!popup->isVisible());
        QCOMPARE(changes.size(), 1);
        QList<int> args;
        for (const QVariant& arg : changes.at(0))
            args << arg.toInt();
        QCOMPARE(args, sent);
    }

    void PopUpNeverReachesSomebodyGone()
    {
        FillDemoClass();
        QSignalSpy changes(m_data, &DataManager::LocalUsrPermChange);
        UserItem* row = m_list->FindItem(59);
        // Gone from the session, the row's removal still on its way.
        RoomScreens::RemoveMember(m_data, 61);
        QTest::mouseClick(m_list->FindItem(61), Qt::RightButton);
        QVERIFY(!m_left->GetUsrPermWidget()->isVisible());
        // Open on 59; 59 leaves: the pop-up closes, and a late click sends
        // nothing.
        QTest::mouseClick(row, Qt::RightButton);
        QVERIFY(m_left->GetUsrPermWidget()->isVisible());
        QPointer<QWidget> cell = m_left->GetUsrPermWidget()->GetTable()->cellWidget(0, 0);
        Logout(59);
        QVERIFY(!m_left->GetUsrPermWidget()->isVisible());
        QTest::mouseClick(cell, Qt::LeftButton);
        QCOMPARE(changes.size(), 0);
        // Own row and students: no pop-up.
        QTest::mouseClick(m_list->FindItem(57), Qt::RightButton);
        QVERIFY(!m_left->GetUsrPermWidget()->isVisible());
        BeTeacher(false);
        QTest::mouseClick(m_list->FindItem(60), Qt::RightButton);
        QVERIFY(!m_left->GetUsrPermWidget()->isVisible());
    }

    void PresenceAndDeviceDetails()
    {
        FillDemoClass();
        QSignalSpy states(m_data, &DataManager::UserStateChangeReq);
        QSignalSpy asked(m_data, &DataManager::DeviceInfoRequestByRoomId);
        UserItem* self = m_list->FindItem(57);
        QVERIFY(self->GetStatusMenu());
        QVERIFY(!m_list->FindItem(58)->GetStatusMenu());
        self->GetStatusMenu()->actions().at(1)->trigger();
        QCOMPARE(states.size(), 1);
        QCOMPARE(states.at(0).at(0).toInt(), 3);
        emit m_list->UserStateChanged(58, 2);
        QCOMPARE(m_list->FindItem(58)->GetUserState(), 2);
        // Hovering asks once while the answer is awaited.
        QEvent enter(QEvent::Enter);
        QCoreApplication::sendEvent(m_list->FindItem(58), &enter);
        QCoreApplication::sendEvent(m_list->FindItem(59), &enter);
        QCOMPARE(asked.size(), 1);
        UserInfo* info = m_data->GetUserInfoByUid("58");
        info->SetHardwareMicCount(2);
        emit m_list->DeviceInfoUpdate(info);
        QVERIFY(m_list->FindItem(58)->GetAvatar()->toolTip().contains(QString::fromUtf8("麦克风&nbsp;2个")));
        QCoreApplication::sendEvent(m_list->FindItem(58), &enter);
        QCOMPARE(asked.size(), 1);
        QCOMPARE(m_list->FindItem(58)->toolTip(), m_list->FindItem(58)->GetAvatar()->toolTip());
    }

    // A member joining a list already on screen gets a row of its own, in
    // the student's narrow list and in the teacher's wide one.
    void AJoinerGetsARowOfItsOwn()
    {
        for (bool teacher : { false, true }) {
            BeTeacher(teacher);
            Empty();
            Login({ 59, 5, "other" });
            QTRY_VERIFY(EveryRowInItsPlace());
            Login({ teacher ? 62 : 57, teacher ? 5 : 4, "late" });
            QTRY_VERIFY2(EveryRowInItsPlace(), qPrintable(Tree()));
        }
    }

    void Screenshots_data() { RoomScreens::ScaleRows(); }
    void Screenshots()
    {
        double factor = 1;
        QString folder;
        RoomScreens::UseRowScale(factor, folder);
        const QString avatar = m_files.filePath("a.png");
        QPixmap face(82, 82);
        face.fill(QColor("#8fb3e0"));
        QVERIFY(face.save(avatar));
        FillDemoClass();
        for (int uid : { 57, 59 }) {
            m_list->FindItem(uid)->SetHeadPath(avatar);
            m_list->FindItem(uid)->OnDownloadFinished();
        }
        m_window.resize(1367, 720);
        m_left->SetupLayout(&m_window);
        RoomScreens::SaveScaled(m_left, "userlist-teacher-wide", factor, folder);
        m_list->GetNavigationByRole(5)->OnClicked();
        RoomScreens::SaveScaled(m_left, "userlist-teacher-folded", factor, folder);
        m_list->GetNavigationByRole(5)->OnClicked();
        QCursor::setPos(m_window.mapToGlobal(QPoint(120, 200)));
        QTest::mouseClick(m_list->FindItem(58), Qt::RightButton);
        QVERIFY(m_left->GetUsrPermWidget()->isVisible());
        RoomScreens::SaveScaled(&m_window, "userlist-permission-table", factor, folder);
        m_left->OnHideUsrPermWidget();
        BeTeacher(false);
        m_data->SetUserId(58);
        m_left->SetupLayout(&m_window);
        RoomScreens::SaveScaled(m_left, "userlist-student-narrow", factor, folder);
    }

    void RowsComingIntoViewShowWhatTheyWereTold()
    {
        // A hidden panel sized for a smaller window, as a class left it.
        m_window.resize(1280, 720);
        m_left->SetupLayout(&m_window);
        m_left->hide();
        // Forty alike students: far more than the panel shows at once.
        for (int uid = 100; uid < 140; ++uid)
            Login({ uid, 5, "same", 0x11, 0x95, 4 });
        // Told before they were ever placed.
        for (int uid : { 100, 139 }) {
            UserInfo* info = m_data->GetUserInfoByUid(QString::number(uid));
            info->SetPermission(0x80);
            info->SetActionStatus(0);
            info->SetHardwareMicCount(2);
            emit m_list->AuthStateChanged(info);
            emit m_list->UserStateChanged(uid, 3);
            emit m_list->DeviceInfoUpdate(info);
        }
        // The panel widens, placing the first rows; the last comes into
        // view by scrolling and must look the same as the first.
        m_window.resize(1367, 720);
        m_left->SetupLayout(&m_window);
        QCoreApplication::processEvents();
        UserItem* last = m_list->FindItem(139);
        QVERIFY(!last->IsBuilt());
        const QImage inView = m_list->FindItem(100)->grab().toImage();
        m_list->verticalScrollBar()->setValue(m_list->verticalScrollBar()->maximum());
        QVERIFY(last->IsBuilt());
        QCOMPARE(last->GetShownIcons(), (QStringList { "camera", "microphone", "brush" }));
        QVERIFY(!last->IsCameraOn());
        QCOMPARE(last->GetUserState(), 3);
        QVERIFY(last->GetAvatar()->toolTip().contains(QString::fromUtf8("麦克风&nbsp;2个")));
        QCOMPARE(last->grab().toImage(), inView);
    }
};

PLOVIX_TEST(TestUserList)
#include "tst_UserList.moc"
