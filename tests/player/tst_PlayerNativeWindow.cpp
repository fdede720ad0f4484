#include "PlayerFixture.h"
#include "TestRegistry.h"

#include "player/PlayerStartup.h"
#include "player/av/VideoRenderer.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>

using namespace PlayerFixture;

// The renderers the core draws into a native window of ours with X11's own
// means, on an X11 display (the test runs under a virtual X server): the
// X11 one shows the picture; XV, which the virtual server has no adaptor
// for, is refused. Skipped on other displays.
class TestPlayerNativeWindow : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_video;
    std::unique_ptr<QWidget> m_panel;

    // What the screen shows where the window is: the core draws past Qt.
    static QImage OnScreen(QWidget* window)
    {
        const QPoint at = window->mapToGlobal(QPoint(0, 0));
        return window->screen()->grabWindow(0, at.x(), at.y(), window->width(), window->height()).toImage();
    }
    static bool ScreenShowsSecond(QWidget* window, int second)
    {
        const QImage shown = OnScreen(window);
        const QColor colour(shown.pixel(shown.width() / 2, shown.height() / 6));
        const int off = qAbs(colour.hsvHue() - second * 47 % 360);
        return colour.saturation() > 80 && qMin(off, 360 - off) <= 12;
    }

private slots:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("not an X11 display");
        QVERIFY(m_dir.isValid());
        m_video = m_dir.filePath(QStringLiteral("lesson.y4m"));
        QVERIFY(TestMedia::WriteVideo(m_video, 6, 10, QSize(320, 240)));
        QVERIFY(ShowPanel(m_panel));
    }

    void x11DrawsThePicture()
    {
        QVERIFY(plxav::VideoRenderer::isAvailable(plxav::VideoRendererId_X11));
        QCOMPARE(PlayerStartup::UsableRendererId(plxav::VideoRendererId_X11), plxav::VideoRendererId_X11);
        AvPlayer window(m_panel.get(), 2);
        window.setProperty("rendererId", plxav::VideoRendererId_X11);
        window.setGeometry(0, 0, 640, 400);
        window.setMediaFile(m_video);
        window.show();
        window.OnPlay();
        QVERIFY(WaitStarted(&window));
        QCOMPARE(window.GetRenderer()->id(), plxav::VideoRendererId_X11);
        QCOMPARE(window.GetLibPlayer()->core()->property("current-vo").toString(), QStringLiteral("x11"));
        window.GetLibPlayer()->pause(true);
        window.seek(2000, true);
        QWidget* picture = window.GetRenderer()->widget();
        QTRY_VERIFY_WITH_TIMEOUT(ScreenShowsSecond(picture, 2), 10000);
        window.seek(4000, true);
        QTRY_VERIFY_WITH_TIMEOUT(ScreenShowsSecond(picture, 4), 10000);
        const QString folder = TestSupport::ScreenshotFolder();
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(OnScreen(&window).save(folder + QStringLiteral("/player-video-x11.png")));
        // Another renderer takes the picture over; the core lets go of the
        // window before it goes.
        QAction software(QStringLiteral("Software"));
        software.setData(plxav::VideoRendererId_Widget);
        window.changeVO(&software);
        QCOMPARE(window.GetRenderer()->id(), plxav::VideoRendererId_Widget);
        QTRY_VERIFY_WITH_TIMEOUT(ShowsSecond(&window, 4), 10000);
    }

    void xvIsRefusedWithoutAnAdaptor()
    {
        QVERIFY(!plxav::VideoRenderer::isAvailable(plxav::VideoRendererId_XV));
        QCOMPARE(PlayerStartup::UsableRendererId(plxav::VideoRendererId_XV), plxav::VideoRendererId_Widget);
        AvPlayer window(m_panel.get(), 2);
        window.setProperty("rendererId", plxav::VideoRendererId_XV);
        window.show();
        QTRY_VERIFY(window.IsReady());
        auto* box = window.findChild<QMessageBox*>();
        QVERIFY(box != nullptr);
        QVERIFY(box->text().endsWith(QStringLiteral("not availabe on your platform!")));
    }
};

PLOVIX_TEST(TestPlayerNativeWindow)
#include "tst_PlayerNativeWindow.moc"
