#include "TestRegistry.h"

#include "../app/MainWindowFixture.h"

#include <QFile>
#include <QOpenGLContext>
#include <QtTest>
#include <gst/gst.h>
#include <mpv/client.h>

namespace {
bool Mapped(const char* library)
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains(library);
}
} // namespace

// The media libraries wait for their first call; the login window and the
// course home page make none, and the stand-ins hand calls and GStreamer's variables through.
class TestLazyLibraries : public QObject
{
    Q_OBJECT

private slots:
    void TestLoginWindowMapsNoMediaLibraryAndOpensThemOnFirstCall()
    {
        MainWindow* window = MainWindowFixture::Build();
        window->GetLoginWidget()->ShowLogin();
        QCoreApplication::processEvents();
        for (bool courseHome : { false, true }) {
            if (courseHome) {
                emit window->UpdateLoginProgress(2);
                QCoreApplication::processEvents();
            }
            for (const char* library : { "libmpv.so", "libavformat.so", "libavfilter.so", "libgstreamer-1.0.so" })
                QVERIFY2(!Mapped(library), library);
            // Reserved as the client does, but no OpenGL context is made yet.
            const QOpenGLContext* shared = QOpenGLContext::globalShareContext();
            QVERIFY(shared == nullptr || !shared->isValid());
            // Nor the class room's panels.
            QVERIFY(!window->HasRoomScreens());
        }

        QCOMPARE(mpv_client_api_version() >> 16, 2UL);
        QVERIFY(Mapped("libmpv.so"));

        QVERIFY(gst_init_check(nullptr, nullptr, nullptr));
        QVERIFY(Mapped("libgstreamer-1.0.so"));
        QCOMPARE(GST_TYPE_FRACTION, gst_fraction_get_type());
        // Variadic calls keep their arguments, floating point ones too.
        GstCaps* caps = gst_caps_new_simple("video/x-raw", "width", G_TYPE_INT, 320, "framerate", GST_TYPE_FRACTION, 30,
            1, "scale", G_TYPE_DOUBLE, 1.5, nullptr);
        gchar* text = gst_caps_to_string(caps);
        QCOMPARE(
            QByteArray(text), QByteArray("video/x-raw, width=(int)320, framerate=(fraction)30/1, scale=(double)1.5"));
        g_free(text);
        const GValue* rate = gst_structure_get_value(gst_caps_get_structure(caps, 0), "framerate");
        QVERIFY(GST_VALUE_HOLDS_FRACTION(rate));
        gst_caps_unref(caps);
        delete window;
    }
};

PLOVIX_TEST(TestLazyLibraries)
#include "tst_LazyLibraries.moc"
