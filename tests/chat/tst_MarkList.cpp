#include "ChatFixture.h"
#include "LogCapture.h"
#include "TestRegistry.h"

#include "app/Profile.h"
#include "ui/chatArea/MarkItem.h"
#include "ui/chatArea/MarkList.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTextEdit>
#include <QtTest>

// The lesson-mark tab of the chat panel: tabs by role, the rows' modes,
// plain texts and length limit. The room's answers are driven end to end
// in the session tests.
class TestMarkList : public QObject
{
    Q_OBJECT

    std::unique_ptr<ChatFixture> m_fixture;
    ChatWidget* m_panel = nullptr;
    QWidget m_area;

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
    void Enter(int role)
    {
        Data()->SetRoomRole(role);
        m_panel->UpdateUI(0, &m_area);
    }

private slots:
    void initTestCase()
    {
        m_fixture = std::make_unique<ChatFixture>(320, 42);
        m_panel = m_fixture->panel.get();
        m_area.resize(320, 720);
        m_area.show();
    }
    void cleanup() { m_panel->OnCleanUp(); }
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
        m_panel->OnAddNewMarkItem("m1");
        m_panel->OnRenderMarkList();
        Enter(5);
        QTabWidget* tabs = m_panel->GetTabWidget();
        QVERIFY(tabs && List());
        QCOMPARE(tabs->tabText(1), QString("标记"));
        QCOMPARE(tabs->widget(0), m_panel->GetContentWidget());
        // An empty list holds the hint alone, a first mark goes above it.
        QCOMPARE(List()->GetItems().size(), 1);
        QCOMPARE(List()->GetItems().first()->GetEditorText(), MarkList::PlaceholderText());
        Row("a", 1, "a");
        QCOMPARE(List()->GetItems().last()->GetMarkStatus(), int(MarkItem::Desc));
        // Laid out again behind the chat tab, the list stays behind it.
        QCOMPARE(tabs->currentIndex(), 0);
        m_panel->OnRenderMarkList();
        m_panel->UpdateUI(0, &m_area);
        QVERIFY(m_panel->GetContentWidget()->isVisible() && !List()->isVisible());
        tabs->setCurrentIndex(1);
        m_panel->UpdateUI(0, &m_area);
        QVERIFY(!m_panel->GetContentWidget()->isVisible() && List()->isVisible());
        Data()->SetRoomRole(1);
        m_panel->UpdateUIByStates();
        QVERIFY(!m_panel->GetTabWidget());
        QCOMPARE(m_panel->GetContentWidget()->parentWidget(), m_panel);
    }

    void MarksLaidOutOnlyForANewSize()
    {
        Enter(5);
        for (int i = 0; i < 50; ++i)
            Row(QString("m%1").arg(i), i * 60, "标记");
        // Room layout passes and device toggles at the same size.
        LogCapture log;
        m_panel->UpdateUI(0, &m_area);
        m_panel->UpdateUIByStates();
        QCOMPARE(log.Count("into MarkItem::DrawItem4Mode"), 0);
        QCOMPARE(log.Count("into updateCSS4TabWidget"), 0);
        // A new width: the tabs and every row follow it once.
        m_area.resize(360, 720);
        m_panel->UpdateUI(0, &m_area);
        m_panel->UpdateUI(0, &m_area);
        QCOMPARE(log.Count("into MarkItem::DrawItem4Mode"), 51);
        QCOMPARE(log.Count("into updateCSS4TabWidget"), 1);
        QCOMPARE(List()->GetItems().first()->width(), 360 - 17);
        // An edit lays out the row it opens, not the others.
        log.Clear();
        QTest::mouseClick(List()->GetItems().first()->GetEditButton(), Qt::LeftButton);
        QCOMPARE(log.Count("into MarkItem::DrawItem4Mode"), 1);
        m_area.resize(320, 720);
    }

    void RowModesPlainTextsAndLimit()
    {
        Enter(5);
        m_panel->GetTabWidget()->setCurrentIndex(1);
        const QString markup = "<b>粗体</b><img src=\"file:///etc/passwd\"> &amp;";
        const QString longText = QString("很长的描述").repeated(60);
        QCOMPARE(Row("m", 5, markup)->GetEditor()->toPlainText(), markup);
        // A stored text is shown whole; the limit is the user's typing's.
        MarkItem* row = Row("w", 3725, longText);
        QCOMPARE(row->GetEditorText(), longText);
        QSignalSpy edits(Data(), &DataManager::UserEditMark);
        QSignalSpy deletions(Data(), &DataManager::UserDelMark);
        QTest::mouseClick(row->GetEditButton(), Qt::LeftButton);
        QCOMPARE(List()->item(1)->sizeHint().height(), 120);
        QVERIFY(row->GetEditor()->isEnabled() && row->GetDoneButton()->isVisible());
        // Typing past the box is cut back, a huge paste in one piece.
        row->GetEditor()->setPlainText("旧的");
        row->GetEditor()->moveCursor(QTextCursor::End);
        row->GetEditor()->insertPlainText(QString("长").repeated(100000));
        const double limit = row->GetEditor()->height() + QFontMetrics(row->font()).height();
        QVERIFY(row->GetEditor()->document()->size().height() < limit);
        QVERIFY(row->GetEditorText().startsWith("旧的长"));
        QTest::mouseClick(row->GetDoneButton(), Qt::LeftButton);
        QCOMPARE(row->GetMarkStatus(), int(MarkItem::Read));
        QCOMPARE(row->GetMarkDesc(), row->GetEditorText());
        QCOMPARE(List()->item(1)->sizeHint().height(), 80);
        QCOMPARE(edits.count(), 1);
        // A delete click only asks; the row waits for the room.
        QTest::mouseClick(row->GetDeleteButton(), Qt::LeftButton);
        QCOMPARE(deletions.count(), 1);
        QVERIFY(List()->HasMark("w"));
    }

    // The panel at display scales 1 and 1.5: the teacher's chat, the
    // student's chat tab and the student's marks (Read, Modify, hint).
    void Screenshots()
    {
        for (double scale : { 1.0, 1.5 }) {
            Nexus::GetProfile()->SetScale(scale, scale == 1.0 ? "x1" : "x1.5");
            for (int role : { 4, 5 }) {
                Enter(role);
                m_panel->OnShowChatMsg("王老师", "同学们好，今天复习勾股定理。", 1700000000);
                m_panel->OnShowChatMsg("李明", ":e_smiling", 1700000010);
                QVERIFY(ChatFixture::SaveScaledScreenshot(
                    m_panel, QString("chat-panel-%1-chat").arg(role == 4 ? "teacher" : "student"), scale));
                if (role == 4)
                    m_panel->OnCleanUp();
            }
            Row("r1", 125, "勾股定理的证明");
            Row("r2", 3725, "这一段老师讲了三种方法，回放时再看一遍第二种");
            QTest::mouseClick(Row("r3", 3840, "课后作业第 5 题")->GetEditButton(), Qt::LeftButton);
            m_panel->GetTabWidget()->setCurrentIndex(1);
            QVERIFY(ChatFixture::SaveScaledScreenshot(m_panel, "chat-panel-marks", scale));
            m_panel->OnCleanUp();
        }
        Nexus::GetProfile()->SetScale(1.0, "x1");
    }
};

PLOVIX_TEST(TestMarkList)
#include "tst_MarkList.moc"
