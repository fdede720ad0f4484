#include "../app/MainWindowFixture.h"
#include "RoomPanels.h"
#include "ServiceFixture.h"
#include "TestRegistry.h"

#include "app/DownldManager.h"
#include "room/BottomArea.h"
#include "room/LeftArea.h"
#include "room/MenuBar.h"
#include "room/MiddleArea.h"
#include "room/RightArea.h"
#include "room/RightMiddleArea.h"
#include "room/TeacherInfo.h"
#include "rtc/Player.h"
#include "session/SchoolInfo.h"
#include "ui/chatArea/ChatWidget.h"
#include "widgets/DpiPixmap.h"

#include <QLabel>
#include <QPixmapCache>
#include <QPushButton>
#include <QSignalSpy>

class TestRightColumn : public QObject
{
    Q_OBJECT

    ServiceFixture m_service;
    MainWindow* m_window = nullptr;
    DataManager* m_data = nullptr;
    Player* m_player = nullptr;
    TeacherInfo* m_card = nullptr;

    // The room's teacher card as the service sends it.
    void FetchTeacherCard() { QCOMPARE(m_data->GetTeacherInfo(m_service.HttpUrl("/api/teachers/57").toString()), 0); }

private slots:
    void initTestCase()
    {
        QVERIFY2(m_service.Start(), qPrintable(m_service.ErrorText()));
        m_window = MainWindowFixture::BuildLoggedIn();
        Nexus::GetProfile()->StartThreads();
        m_data = Nexus::GetDataManager();
        // A class of teacher 57.
        auto* session = new SchoolInfo();
        session->SetSessionId("s1");
        session->SetTeacherId("57");
        m_data->AddCurrentSession(session);
        m_data->OnRoomEntry("s1");
        MainWindowFixture::EnterRoom(m_window);
        m_window->show();
        m_player = Nexus::GetPlayer();
        m_card = m_player->GetTeacherInfo();
        m_data->SetUserId(57);
        FetchTeacherCard();
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(m_data->GetRoomFields().m_strTeacherAvatarPath), 15000);
    }
    void cleanupTestCase() { delete m_window; }

    void ColumnSharesVideoAndChatByTiles_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("role");
        QTest::addColumn<int>("tiles");
        QTest::addColumn<QRect>("column");
        QTest::addColumn<int>("videoHeight");
        // 1366 x 768, wide user list, page list shown: x0 170, L 132, R 266, T 199.
        QTest::newRow("teacher 1366 no tile") << QSize(1366, 768) << 4 << 0 << QRect(1100, 40, 266, 728) << 199;
        QTest::newRow("teacher 1366 one tile") << QSize(1366, 768) << 4 << 1 << QRect(1100, 40, 266, 728) << 199;
        QTest::newRow("teacher 1366 two tiles") << QSize(1366, 768) << 4 << 2 << QRect(1100, 40, 266, 728) << 398;
        QTest::newRow("teacher 1366 four tiles") << QSize(1366, 768) << 4 << 4 << QRect(1100, 40, 266, 728) << -1;
        // 1920 x 1080, narrow list, page list collapsed: x0 80, L 0, R 460.
        QTest::newRow("student 1920 no tile") << QSize(1920, 1080) << 5 << 0 << QRect(1460, 40, 460, 1040) << 345;
        QTest::newRow("student 1920 two tiles") << QSize(1920, 1080) << 5 << 2 << QRect(1460, 40, 460, 1040) << 690;
        QTest::newRow("student 1920 four tiles") << QSize(1920, 1080) << 5 << 4 << QRect(1460, 40, 460, 1040) << -1;
    }
    void ColumnSharesVideoAndChatByTiles()
    {
        QFETCH(QSize, size);
        QFETCH(int, role);
        QFETCH(int, tiles);
        QFETCH(QRect, column);
        QFETCH(int, videoHeight);
        LeftArea* left = m_window->GetLeftArea();
        if ((left->GetMode() == LeftArea::ModeWide) != (role == 4))
            left->OnZoomInOutUsrArea();
        emit m_window->GetMiddleArea()->UserRoleGet(role);
        m_window->resize(size);
        m_player->SetCurStreamPlayerNum(tiles);
        RightArea* right = m_window->GetRightArea();
        RightMiddleArea* band = m_window->GetRightMiddleArea();
        right->SetupLayout(m_window);
        band->SetupLayout(m_window);
        QCOMPARE(right->geometry(), column);
        const int h = size.height();
        ChatWidget* chat = right->GetChatWidget();
        if (videoHeight >= 0) {
            QCOMPARE(m_player->parentWidget(), right);
            QCOMPARE(m_player->geometry(), QRect(0, 0, column.width(), videoHeight));
            QCOMPARE(chat->geometry(), QRect(0, videoHeight, column.width(), column.height() - videoHeight - 1));
            QVERIFY(!band->isVisible());
        } else {
            const int x0 = role == 4 ? 170 : 80;
            QCOMPARE(chat->y(), (h - 40) / 4);
            QVERIFY(band->isVisible());
            QCOMPARE(band->geometry(), QRect(x0, 41, size.width() - x0, (h - 40) / 4));
        }
        if (tiles == 0) {
            emit m_player->ShowTeacherInfo();
            QVERIFY(m_card->isVisible());
            QCOMPARE(m_card->geometry(), QRect(QPoint(0, 0), m_player->size()));
        } else {
            emit m_player->HideTeacherInfo();
        }
        const QString name
            = QStringLiteral("right-column-%1-%2-tiles").arg(role == 4 ? "teacher" : "student").arg(tiles);
        QVERIFY(SaveScaledScreenshots(right, name));
    }

    void CardShowsTheTeacherAndFollowsLikes()
    {
        m_window->resize(1366, 768);
        m_player->SetCurStreamPlayerNum(0);
        m_window->GetRightArea()->SetupLayout(m_window);
        emit m_player->ShowTeacherInfo();
        QCOMPARE(m_card->GetNameLabel()->text(), QString("王老师"));
        const QString likes = QString::number(m_data->GetTeacherLikeTotal());
        QCOMPARE(m_card->GetLikeCountButton()->text(), likes);
        QTRY_COMPARE(m_card->GetAvatarPath(), m_data->GetRoomFields().m_strTeacherAvatarPath);
        // A like arrives: the card follows.
        FetchTeacherCard();
        emit m_player->UpdateLikeCnt();
        QCOMPARE(m_card->GetLikeCountButton()->text(), QString::number(likes.toInt() * 2));

        // A long name is cut at half the card and whole in the tool tip.
        const QString longName = QString(60, QChar(0x738B));
        QVERIFY(m_service.Body("/api/teachers/57",
            QStringLiteral(R"({"returncode":"SUCCESS","data":{"teacherName":"%1","likeCount":0}})")
                .arg(longName)
                .toUtf8()));
        FetchTeacherCard();
        emit m_card->UpdateUI();
        QLabel* label = m_card->GetNameLabel();
        QCOMPARE(label->text(), label->fontMetrics().elidedText(longName, Qt::ElideRight, m_card->width() / 2));
        QVERIFY(label->text().endsWith(QChar(0x2026)));
        QCOMPARE(TestSupport::ShownAsText(label->toolTip()), longName);
        QVERIFY(m_service.ClearRule("/api/teachers/57"));
        FetchTeacherCard();
        emit m_card->UpdateUI();
        QVERIFY(SaveScaledScreenshots(m_window->GetRightArea(), "right-column-teacher-card"));
    }

    // At the smallest windows a teacher (wide user list, page list shown) and
    // a student (narrow list, page list collapsed once the room names the
    // role) see a long name cut beside the like count, markup as text, the
    // tool bar and the centre ending where the column begins, as the video
    // panel lays the column out again, and every button whole.
    void SmallWindowsKeepNamesAndButtonsWhole_data()
    {
        QTest::addColumn<int>("role");
        QTest::addColumn<QSize>("size");
        for (int role : { 4, 5 })
            for (QSize size : { QSize(1000, 640), QSize(1024, 700) })
                QTest::addRow("%s-%dx%d", role == 4 ? "teacher" : "student", size.width(), size.height())
                    << role << size;
    }
    void SmallWindowsKeepNamesAndButtonsWhole()
    {
        QFETCH(int, role);
        QFETCH(QSize, size);
        QVERIFY(m_service.Body("/api/teachers/57",
            R"({"returncode":"SUCCESS","data":{"teacherName":"Teacher <b>Wang</b> Xiaoming","likeCount":0}})"));
        FetchTeacherCard();
        m_window->resize(size);
        if ((m_window->GetLeftArea()->GetMode() == LeftArea::ModeWide) != (role == 4))
            m_window->GetLeftArea()->OnZoomInOutUsrArea();
        emit m_window->GetMiddleArea()->UserRoleGet(4);
        emit m_window->GetMiddleArea()->UserRoleGet(role);
        m_player->SetCurStreamPlayerNum(0);
        m_window->GetRightArea()->SetupLayout(m_window);
        const int column = m_window->GetRightArea()->x();
        QCOMPARE(m_window->GetBottomArea()->GetMenuBar()->geometry().right() + 1, column);
        QCOMPARE(m_window->GetMiddleArea()->geometry().right() + 1, column);
        emit m_player->ShowTeacherInfo();
        QLabel* label = m_card->GetNameLabel();
        QVERIFY2(TestSupport::ShownText(label).endsWith(QChar(0x2026)), qPrintable(label->text()));
        QVERIFY(label->geometry().right() < m_card->GetLikeMarkButton()->x());
        QCOMPARE(TestSupport::ShownAsText(label->toolTip()), QString("Teacher <b>Wang</b> Xiaoming"));
        QCOMPARE(TestSupport::CutButton(m_window), QString());
        QVERIFY(SaveScaledScreenshots(m_window, QStringLiteral("room-") + QTest::currentDataTag()));
        QVERIFY(m_service.ClearRule("/api/teachers/57"));
    }

    void ACorruptAvatarIsFetchedAgainOnce()
    {
        const QString path = m_data->GetRoomFields().m_strTeacherAvatarPath;
        QVERIFY(TestSupport::WriteFile(path, "<html>not a picture</html>"));
        QPixmapCache::clear();
        QSignalSpy retry(Nexus::GetDownldManager(), &DownldManager::retryDownload);
        for (int i = 0; i < 3; ++i)
            m_card->OnDownloadFinished();
        QCOMPARE(retry.count(), 1);
        QCOMPARE(retry.at(0).at(0).toInt(), 256);
        // A new class may try again, once the fetch of this one has landed.
        QTRY_VERIFY_WITH_TIMEOUT(!QImage(path).isNull(), 15000);
        QVERIFY(TestSupport::WriteFile(path, "<html>not a picture</html>"));
        m_card->OnCleanUp();
        m_card->OnDownloadFinished();
        QCOMPARE(retry.count(), 2);
    }

    // The next class's teacher card fails: it shows nobody, not the teacher
    // of the class before.
    void AFailedCardShowsNoFormerTeacher()
    {
        FetchTeacherCard();
        QVERIFY(TestSupport::RunIn(m_data, [this] { m_data->OnCleanUp(); }));
        QVERIFY(m_service.SetRule("/api/teachers/57", { { "action", "status" }, { "status", 500 } }));
        m_data->GetTeacherInfo(m_service.HttpUrl("/api/teachers/57").toString());
        emit m_player->ShowTeacherInfo();
        QCOMPARE(m_card->GetNameLabel()->text(), QString());
        QCOMPARE(m_card->GetAvatarPath(), DpiPixmap::DefaultAvatar("x1"));
        QVERIFY(m_service.ClearRule("/api/teachers/57"));
    }
};

PLOVIX_TEST(TestRightColumn)
#include "tst_RightColumn.moc"
