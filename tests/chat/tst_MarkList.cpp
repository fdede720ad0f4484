#include "ChatFixture.h"
#include "TestRegistry.h"
#include "TestSupport.h"

#include "app/Profile.h"
#include "ui/chatArea/MarkItem.h"
#include "ui/chatArea/MarkList.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTabWidget>
#include <QTextEdit>
#include <QtTest>

// The lesson-mark tab of the chat panel: the rows' modes and texts, the
// hint row's place, the length limit and the room's answers.
class TestMarkList : public QObject
{
    Q_OBJECT

    std::unique_ptr<ChatFixture> m_fixture;
    ChatWidget* m_panel = nullptr;
    QWidget m_window;
    QWidget* m_area = nullptr;

    DataManager* Data() const { return Nexus::GetDataManager(); }
    MarkList* List() const { return m_panel->GetMarkList(); }
    // A row as the panel makes it for a mark.
    MarkItem* Row(const QString& uuid, int seconds, const QString& text)
    {
        auto* row = new MarkItem();
        row->SetUuid(uuid);
        row->SetMarkDesc(text);
        row->SetEditorText(text);
        row->SetTime(seconds);
        List()->AddItem(row);
        return row;
    }
    QStringList Uuids() const
    {
        QStringList uuids;
        for (MarkItem* row : List()->GetItems())
            uuids << (row->GetMarkStatus() == MarkItem::Desc ? QString("hint") : row->GetUuid());
        return uuids;
    }
    void Enter(int role)
    {
        Data()->SetRoomRole(role);
        m_panel->UpdateUI(40, m_area);
    }

private slots:
    void initTestCase()
    {
        m_fixture = std::make_unique<ChatFixture>(320, 42);
        m_panel = m_fixture->panel.get();
        m_window.resize(700, 720);
        m_area = new QWidget(&m_window);
        m_area->setGeometry(380, 0, 320, 720);
        m_window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&m_window));
    }
    void cleanup()
    {
        Nexus::GetProfile()->SetScale(1.0, "x1");
        m_panel->OnCleanUp();
    }
    void cleanupTestCase()
    {
        m_panel->setParent(nullptr);
        m_fixture.reset();
    }

    void TimeTexts_data()
    {
        QTest::addColumn<int>("seconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("start") << 0 << "00:00";
        QTest::newRow("minutes go past the hour") << 3725 << "62:05";
        QTest::newRow("three-digit minutes") << 7259 << "120:59";
        QTest::newRow("negative held at the start") << -5 << "00:00";
    }
    void TimeTexts()
    {
        QFETCH(int, seconds);
        QFETCH(QString, text);
        QCOMPARE(MarkItem::TimeText(seconds), text);
    }

    void TabsFollowTheRole()
    {
        Enter(4);
        QVERIFY(!m_panel->GetTabWidget() && !List());
        QCOMPARE(m_panel->GetContentWidget()->parentWidget(), m_panel);
        Enter(5);
        QTabWidget* tabs = m_panel->GetTabWidget();
        QVERIFY(tabs && List());
        QCOMPARE(tabs->tabText(0), QString("聊天"));
        QCOMPARE(tabs->tabText(1), QString("标记"));
        QCOMPARE(tabs->widget(0), m_panel->GetContentWidget());
        // Only the hint, whole and as plain text.
        QCOMPARE(Uuids(), QStringList { "hint" });
        QCOMPARE(List()->GetItems().first()->GetEditorText(), MarkList::PlaceholderText());
        // The marks' slots do nothing without the tabs.
        m_panel->UpdateUIByStates();
        QCOMPARE(m_panel->GetTabWidget(), tabs);
        Data()->SetRoomRole(1);
        m_panel->UpdateUIByStates();
        QVERIFY(!m_panel->GetTabWidget());
        QCOMPARE(m_panel->GetContentWidget()->parentWidget(), m_panel);
        m_panel->OnAddNewMarkItem("m1");
        m_panel->OnDelMarkItem("m1");
        m_panel->OnRenderMarkList();
    }

    void RowsStayAboveTheHintAndLeaveByUuid()
    {
        Enter(5);
        Row("a", 10, "first");
        Row("b", 20, "second");
        Row("a", 30, "again");
        QCOMPARE(Uuids(), (QStringList { "a", "b", "a", "hint" }));
        QVERIFY(List()->HasMark("b"));
        List()->RemoveItem("a");
        QCOMPARE(Uuids(), (QStringList { "b", "hint" }));
        m_panel->OnDelMarkItem("nobody");
        QCOMPARE(Uuids(), (QStringList { "b", "hint" }));
        m_panel->OnDelMarkItem("b");
        QCOMPARE(Uuids(), QStringList { "hint" });
        QVERIFY(!List()->HasMark("b"));
        QCOMPARE(List()->count(), 1);
    }

    void DescriptionsArePlainAndWhole()
    {
        Enter(5);
        const QString markup = "<b>粗体</b><img src=\"file:///etc/passwd\"> &amp;";
        const QString longText = QString("很长的描述").repeated(60);
        MarkItem* marked = Row("m", 5, markup);
        MarkItem* wordy = Row("w", 6, longText);
        QCOMPARE(marked->GetEditor()->toPlainText(), markup);
        QVERIFY(!marked->GetEditor()->toHtml().contains("<img"));
        // A stored text is never cut by the typing limit.
        QCOMPARE(wordy->GetEditorText(), longText);
        QCOMPARE(wordy->GetMarkDesc(), longText);
    }

    void EditDoneAndDeleteGoToTheSession()
    {
        Enter(5);
        MarkItem* row = Row("m7", 3725, "旧的");
        QSignalSpy edits(Data(), &DataManager::UserEditMark);
        QSignalSpy deletions(Data(), &DataManager::UserDelMark);
        QCOMPARE(row->GetTimeText(), QString("62:05"));
        QVERIFY(row->GetEditButton()->isVisible() && !row->GetDoneButton()->isVisible());
        QVERIFY(!row->GetEditor()->isEnabled());
        QTest::mouseClick(row->GetEditButton(), Qt::LeftButton);
        QCOMPARE(row->GetMarkStatus(), int(MarkItem::Modify));
        QCOMPARE(List()->item(0)->sizeHint().height(), 120);
        QVERIFY(row->GetEditor()->isEnabled() && row->GetDoneButton()->isVisible());
        QVERIFY(!row->GetEditButton()->isVisible());
        // Typing past the box is cut back, a huge paste in one piece.
        row->GetEditor()->moveCursor(QTextCursor::End);
        row->GetEditor()->insertPlainText(QString("长").repeated(100000));
        const double limit = row->GetEditor()->height() + QFontMetrics(row->font()).height();
        QVERIFY(row->GetEditor()->document()->size().height() < limit);
        QVERIFY(row->GetEditorText().startsWith("旧的"));
        row->GetEditor()->setPlainText("新的说明");
        QTest::mouseClick(row->GetDoneButton(), Qt::LeftButton);
        QCOMPARE(row->GetMarkStatus(), int(MarkItem::Read));
        QCOMPARE(row->GetMarkDesc(), QString("新的说明"));
        QCOMPARE(List()->item(0)->sizeHint().height(), 80);
        QCOMPARE(edits.count(), 1);
        QCOMPARE(edits.first().first().toString(), QString("m7"));
        // The row stays until the room confirms the deletion.
        QTest::mouseClick(row->GetDeleteButton(), Qt::LeftButton);
        QCOMPARE(deletions.count(), 1);
        QCOMPARE(deletions.first().first().toString(), QString("m7"));
        QCOMPARE(Uuids(), (QStringList { "m7", "hint" }));
    }

    // The panel at display scales 1 and 1.5: the teacher's chat, the
    // student's chat tab and the student's marks (Read, Modify, hint).
    void Screenshots()
    {
        for (const auto& scale : { qMakePair(1.0, QString("x1")), qMakePair(1.5, QString("x1.5")) }) {
            Nexus::GetProfile()->SetScale(scale.first, scale.second);
            for (int role : { 4, 5 }) {
                Enter(role);
                m_panel->OnShowChatMsg("王老师", "同学们好，今天复习勾股定理。", 1700000000);
                m_panel->OnShowChatMsg("李明", ":e_smiling", 1700000010);
                QVERIFY(ChatFixture::SaveScaledScreenshot(
                    m_panel, QString("chat-panel-%1-chat").arg(role == 4 ? "teacher" : "student"), scale.first));
                if (role == 4)
                    m_panel->OnCleanUp();
            }
            Row("r1", 125, "勾股定理的证明");
            Row("r2", 3725, "这一段老师讲了三种方法，回放时再看一遍第二种");
            MarkItem* open = Row("r3", 3840, "课后作业第 5 题");
            QTest::mouseClick(open->GetEditButton(), Qt::LeftButton);
            m_panel->GetTabWidget()->setCurrentIndex(1);
            QVERIFY(ChatFixture::SaveScaledScreenshot(m_panel, "chat-panel-marks", scale.first));
            m_panel->OnCleanUp();
        }
    }
};

PLOVIX_TEST(TestMarkList)
#include "tst_MarkList.moc"
