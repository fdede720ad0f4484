#include "PlayerFixture.h"
#include "TestRegistry.h"

#include "player/Config.h"
#include "player/PlayerStartup.h"
#include "player/av/AVPlayer.h"
#include "player/av/LibAVFilter.h"
#include "player/av/VideoRenderer.h"
#include "player/settings/VideoEQConfigPage.h"

#include <QComboBox>
#include <QMessageBox>
#include <QOpenGLContext>
#include <QOpenGLWidget>
#include <QSlider>

using namespace PlayerFixture;

// The OpenGL renderer where a display gives OpenGL (the test runs under a
// virtual X server): the picture, full screen and back (a new OpenGL
// context each way), and the user shader. Skipped where there is none.
class TestPlayerOpenGL : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_video;
    std::unique_ptr<QWidget> m_panel;

    // A window drawing with OpenGL, paused on the second second's picture.
    std::unique_ptr<AvPlayer> ShowingSecondTwo()
    {
        auto window = std::make_unique<AvPlayer>(m_panel.get(), 2);
        window->setProperty("rendererId", plxav::VideoRendererId_GLWidget2);
        window->setGeometry(0, 0, 640, 400);
        window->setMediaFile(m_video);
        window->show();
        window->OnPlay();
        if (!WaitStarted(window.get()))
            return nullptr;
        window->GetLibPlayer()->pause(true);
        window->seek(2000, true);
        return QTest::qWaitFor([&window] { return ShowsHue(window.get(), 2 * 47); }, 10000) ? std::move(window)
                                                                                            : nullptr;
    }

private slots:
    void initTestCase()
    {
        if (!plxav::VideoRenderer::isAvailable(plxav::VideoRendererId_GLWidget2))
            QSKIP("no OpenGL on this display");
        QVERIFY(m_dir.isValid());
        m_video = m_dir.filePath(QStringLiteral("lesson.y4m"));
        QVERIFY(TestMedia::WriteVideo(m_video, 6, 10, QSize(320, 240)));
        QVERIFY(ShowPanel(m_panel));
    }

    void drawsFullScreenAndBackAndRunsTheShader()
    {
        QCOMPARE(PlayerStartup::UsableRendererId(plxav::VideoRendererId_GLWidget2), plxav::VideoRendererId_GLWidget2);
        const std::unique_ptr<AvPlayer> owner = ShowingSecondTwo();
        AvPlayer* window = owner.get();
        QVERIFY(window != nullptr);
        QVERIFY(::SaveScaledScreenshots(window, QStringLiteral("player-video-opengl")));
        window->playFullScreen();
        window->seek(3000, true);
        QTRY_VERIFY_WITH_TIMEOUT(ShowsHue(window, 3 * 47), 10000);
        window->playFullScreen();
        QCOMPARE(window->parentWidget(), m_panel.get());
        window->seek(4000, true);
        QTRY_VERIFY_WITH_TIMEOUT(ShowsHue(window, 4 * 47), 10000);
        // The default post-process inverts the colours.
        Config::instance().setUserShaderEnabled(true);
        QTRY_VERIFY_WITH_TIMEOUT(ShowsHue(window, (4 * 47 + 180) % 360), 10000);
        Config::instance().setUserShaderEnabled(false);
        QTRY_VERIFY_WITH_TIMEOUT(ShowsHue(window, 4 * 47), 10000);
    }

    void theEqualiserWorksInEitherEngine()
    {
        const std::unique_ptr<AvPlayer> owner = ShowingSecondTwo();
        AvPlayer* window = owner.get();
        QVERIFY(window != nullptr);
        // The OpenGL renderer adjusts while drawing; the software engine
        // adjusts the frames instead, and the renderer goes back to 0.
        VideoEQConfigPage* equaliser = window->GetEqualiserPage();
        QCOMPARE(equaliser->engine(), 1);
        equaliser->findChildren<QSlider*>().at(3)->setValue(-100);
        QTRY_VERIFY_WITH_TIMEOUT(ShownHue(window) < 0, 10000);
        QCOMPARE(window->GetRenderer()->saturation(), -1.0);
        QCOMPARE(window->GetLibPlayer()->saturation(), 0);
        auto* frames = window->GetLibPlayer()->findChild<plxav::PictureFilter*>();
        QSignalSpy applied(frames, &plxav::LibAVFilter::applied);
        equaliser->findChild<QComboBox*>()->setCurrentIndex(0);
        QCOMPARE(equaliser->engine(), 0);
        QCOMPARE(window->GetRenderer()->saturation(), 0.0);
        QCOMPARE(window->GetLibPlayer()->saturation(), -100);
        QTRY_COMPARE_WITH_TIMEOUT(applied.count(), 1, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(ShownHue(window) < 0, 10000);
        equaliser->findChildren<QSlider*>().at(3)->setValue(0);
        QTRY_VERIFY_WITH_TIMEOUT(ShowsHue(window, 2 * 47), 10000);
    }

    void aFileWaitsForTheFirstOpenGLContext()
    {
        // Hidden, the renderer has no OpenGL context yet; the core would
        // turn the video off for good if the file opened now.
        auto* window = new AvPlayer(m_panel.get(), 2);
        std::unique_ptr<AvPlayer> owner(window);
        window->setProperty("rendererId", plxav::VideoRendererId_GLWidget2);
        window->setGeometry(0, 0, 640, 400);
        window->setMediaFile(m_video);
        QTRY_VERIFY(window->IsReady());
        window->OnPlay();
        window->seek(1000, true);
        QTest::qWait(300);
        QCOMPARE(window->GetLibPlayer()->mediaStatus(), plxav::LoadingMedia);
        window->show();
        QVERIFY(WaitStarted(window));
        QTRY_VERIFY_WITH_TIMEOUT(ShowsHue(window, 47), 10000);
        QVERIFY(window->findChildren<QMessageBox*>().isEmpty());
    }

    void theSettingsChooseTheKindOfOpenGL_data()
    {
        QTest::addColumn<Config::OpenGLType>("setting");
        QTest::addColumn<QSurfaceFormat::RenderableType>("kind");
        QTest::newRow("ES") << Config::OpenGLES << QSurfaceFormat::OpenGLES;
        QTest::newRow("desktop") << Config::Desktop << QSurfaceFormat::OpenGL;
    }
    void theSettingsChooseTheKindOfOpenGL()
    {
        QFETCH(Config::OpenGLType, setting);
        QFETCH(QSurfaceFormat::RenderableType, kind);
        const QSurfaceFormat before = QSurfaceFormat::defaultFormat();
        Config::instance().setOpenGLType(setting);
        PlayerStartup::set_opengl_backend(QString(), QStringLiteral("/usr/bin/plovix"));
        QCOMPARE(PlayerStartup::UsableRendererId(plxav::VideoRendererId_GLWidget2), plxav::VideoRendererId_GLWidget2);
        const std::unique_ptr<AvPlayer> window = ShowingSecondTwo();
        QSurfaceFormat::setDefaultFormat(before);
        QVERIFY(window != nullptr);
        auto* drawing = dynamic_cast<QOpenGLWidget*>(window->GetRenderer()->widget());
        QVERIFY(drawing != nullptr && drawing->context() != nullptr);
        QCOMPARE(drawing->context()->format().renderableType(), kind);
    }
};

PLOVIX_TEST(TestPlayerOpenGL)
#include "tst_PlayerOpenGL.moc"
