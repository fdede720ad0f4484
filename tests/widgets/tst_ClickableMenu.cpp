#include "TestRegistry.h"

#include "widgets/ClickableMenu.h"

#include <QtTest>

// The menu whose entries can be triggered one after another while it stays
// open.
class TestClickableMenu : public QObject
{
    Q_OBJECT

    ClickableMenu* m_menu = nullptr;
    QAction* m_switch = nullptr;
    QAction* m_separator = nullptr;
    QAction* m_disabled = nullptr;

    void ReleaseOn(QAction* action)
    {
        const QPoint at = m_menu->actionGeometry(action).center();
        QTest::mousePress(m_menu, Qt::LeftButton, {}, at);
        QTest::mouseRelease(m_menu, Qt::LeftButton, {}, at);
    }

private slots:
    void init()
    {
        m_menu = new ClickableMenu("播放");
        m_switch = m_menu->addAction("字幕");
        m_switch->setCheckable(true);
        m_separator = m_menu->addSeparator();
        m_disabled = m_menu->addAction("截图");
        m_disabled->setEnabled(false);
        m_menu->popup(QPoint(100, 100));
        QVERIFY(QTest::qWaitForWindowExposed(m_menu));
    }
    void cleanup() { delete m_menu; }

    void ASwitchTogglesAndTheMenuStaysOpen()
    {
        QSignalSpy triggered(m_switch, &QAction::triggered);
        ReleaseOn(m_switch);
        QVERIFY(m_switch->isChecked());
        QVERIFY(m_menu->isVisible());
        ReleaseOn(m_switch);
        QVERIFY(!m_switch->isChecked());
        QCOMPARE(triggered.count(), 2);
        QVERIFY(m_menu->isVisible());
    }

    void ASeparatorOrADisabledEntryTriggersNothing()
    {
        QSignalSpy menuTriggered(m_menu, &QMenu::triggered);
        ReleaseOn(m_separator);
        ReleaseOn(m_disabled);
        QCOMPARE(menuTriggered.count(), 0);
        QVERIFY(m_menu->isVisible());
    }
};

PLOVIX_TEST(TestClickableMenu)
#include "tst_ClickableMenu.moc"
