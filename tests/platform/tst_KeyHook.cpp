#include "TestRegistry.h"

#include "platform/KeyHook.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QWindow>
#include <QtTest>

namespace {

// Counts the key events that reach it, so the test sees that the hook passes
// every event on.
class KeyCounter : public QLineEdit
{
public:
    int presses = 0;
    int releases = 0;

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        ++presses;
        QLineEdit::keyPressEvent(event);
    }
    void keyReleaseEvent(QKeyEvent* event) override
    {
        ++releases;
        QLineEdit::keyReleaseEvent(event);
    }
};

} // namespace

class TestKeyHook : public QObject
{
    Q_OBJECT

    KeyCounter* m_widget = nullptr;
    QStringList m_reports;
    std::unique_ptr<KeyHook> m_hook;

    QWindow* Window() const { return m_widget->windowHandle(); }

    void SendToWindow(QEvent::Type type, int key, bool autoRepeat)
    {
        QKeyEvent event(type, key, Qt::AltModifier, QString(), autoRepeat);
        QCoreApplication::sendEvent(Window(), &event);
    }

    void Deactivate()
    {
        QApplicationStateChangeEvent event(Qt::ApplicationInactive);
        QCoreApplication::sendEvent(qApp, &event);
    }

private slots:
    void init()
    {
        m_reports.clear();
        m_widget = new KeyCounter();
        m_widget->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_widget));
        m_widget->activateWindow();
        m_widget->setFocus();
        QTRY_VERIFY(m_widget->hasFocus());
        m_hook = std::make_unique<KeyHook>(
            [this](KeyHook::Key key) { m_reports << (key == KeyHook::Key::AltDown ? "down" : "up"); });
    }
    void cleanup()
    {
        m_hook.reset();
        delete m_widget;
        m_widget = nullptr;
    }

    void InstallIsKeptAndUninstallForgets()
    {
        QVERIFY(!m_hook->isInstalled());
        QVERIFY(m_hook->install());
        QVERIFY(m_hook->install());
        QVERIFY(m_hook->isInstalled());
        QTest::keyPress(Window(), Qt::Key_Alt);
        QTest::keyRelease(Window(), Qt::Key_Alt);
        // Installed twice, reported once.
        QCOMPARE(m_reports, QStringList({ "down", "up" }));
        m_hook->uninstall();
        QVERIFY(!m_hook->isInstalled());
        QTest::keyPress(Window(), Qt::Key_Alt);
        QTest::keyRelease(Window(), Qt::Key_Alt);
        QCOMPARE(m_reports.size(), 2);
    }

    void EachKeyOnceAndPassedOn()
    {
        m_hook->install();
        QTest::keyPress(Window(), Qt::Key_Alt);
        QTest::keyRelease(Window(), Qt::Key_Alt);
        QCOMPARE(m_reports, QStringList({ "down", "up" }));
        // The widget with the focus still got both.
        QCOMPARE(m_widget->presses, 1);
        QCOMPARE(m_widget->releases, 1);
    }

    void RightAltCounts()
    {
        m_hook->install();
        SendToWindow(QEvent::KeyPress, Qt::Key_AltGr, false);
        SendToWindow(QEvent::KeyRelease, Qt::Key_AltGr, false);
        QCOMPARE(m_reports, QStringList({ "down", "up" }));
    }

    void RepeatsAndOtherKeysAreNotReported()
    {
        m_hook->install();
        SendToWindow(QEvent::KeyPress, Qt::Key_Alt, false);
        for (int i = 0; i < 5; ++i) {
            SendToWindow(QEvent::KeyRelease, Qt::Key_Alt, true);
            SendToWindow(QEvent::KeyPress, Qt::Key_Alt, true);
        }
        QTest::keyClick(Window(), Qt::Key_A);
        QTest::keyClick(Window(), Qt::Key_Control);
        SendToWindow(QEvent::KeyRelease, Qt::Key_Alt, false);
        QCOMPARE(m_reports, QStringList({ "down", "up" }));
    }

    void DeactivationReleasesAHeldAlt()
    {
        m_hook->install();
        QTest::keyPress(Window(), Qt::Key_Alt);
        Deactivate();
        QCOMPARE(m_reports, QStringList({ "down", "up" }));
        // Released already: neither a second deactivation nor the late
        // release of the key reports anything.
        Deactivate();
        QCOMPARE(m_reports.size(), 2);
    }

    void DeactivationWithoutAltSaysNothing()
    {
        m_hook->install();
        Deactivate();
        QTest::keyPress(Window(), Qt::Key_Alt);
        QTest::keyRelease(Window(), Qt::Key_Alt);
        Deactivate();
        QCOMPARE(m_reports, QStringList({ "down", "up" }));
    }

    void EventsSentToWidgetsAloneAreNotCountedTwice()
    {
        m_hook->install();
        QTest::keyPress(Window(), Qt::Key_Alt);
        // A copy handed straight to a widget (as the window passes it on)
        // is the same key.
        QKeyEvent copy(QEvent::KeyPress, Qt::Key_Alt, Qt::AltModifier);
        QCoreApplication::sendEvent(m_widget, &copy);
        QTest::keyRelease(Window(), Qt::Key_Alt);
        QCOMPARE(m_reports, QStringList({ "down", "up" }));
    }
};

PLOVIX_TEST(TestKeyHook)
#include "tst_KeyHook.moc"
