#include "TestRegistry.h"

#include "app/AppPaths.h"
#include "platform/ScreenShot.h"

#include <QApplication>
#include <QImage>
#include <QThread>
#include <QtTest>

namespace {
QStringList s_paths;
bool s_onGuiThread = true;

void Received(const char* path)
{
    s_paths << QString::fromLocal8Bit(path);
    s_onGuiThread = s_onGuiThread && QThread::currentThread() == qApp->thread();
}

QWidget* Overlay()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == QLatin1String("ScreenShotOverlay") && widget->isVisible())
            return widget;
    }
    return nullptr;
}
} // namespace

class TestScreenShot : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        s_paths.clear();
        s_onGuiThread = true;
        SetScreenShotSend(&Received);
    }
    void cleanup()
    {
        DestoryScreenShot();
        QTRY_VERIFY(!Overlay());
    }

    void UnknownScaleStepDoesNothing()
    {
        OpenScreenShot(0);
        OpenScreenShot(5);
        QTest::qWait(50);
        QVERIFY(!Overlay());
    }

    void DraggedRegionIsSavedAndDelivered()
    {
        OpenScreenShot(2);
        QTRY_VERIFY(Overlay());
        QWidget* overlay = Overlay();
        QTest::mousePress(overlay, Qt::LeftButton, Qt::NoModifier, QPoint(10, 20));
        QTest::mouseMove(overlay, QPoint(60, 50));
        QTest::mouseRelease(overlay, Qt::LeftButton, Qt::NoModifier, QPoint(110, 80));
        QTRY_COMPARE(s_paths.size(), 1);
        QVERIFY(s_onGuiThread);
        const QString path = s_paths.first();
        QVERIFY(AppPaths::IsInside(AppPaths::DataFolder(), path));
        const QImage image(path);
        QVERIFY(!image.isNull());
        QCOMPARE(image.size(), QSize(100, 60));
        QTRY_VERIFY(!Overlay());
    }

    void EscapeCancels()
    {
        OpenScreenShot(1);
        QTRY_VERIFY(Overlay());
        QTest::keyClick(Overlay(), Qt::Key_Escape);
        QTRY_VERIFY(!Overlay());
        QVERIFY(s_paths.isEmpty());
    }

    void OpenedFromAWorkerThreadRunsOnTheGuiThread()
    {
        QThread* worker = QThread::create([] { OpenScreenShot(4); });
        worker->start();
        QVERIFY(worker->wait(5000));
        delete worker;
        QTRY_VERIFY(Overlay());
        QTest::keyClick(Overlay(), Qt::Key_Return);
        QTRY_COMPARE(s_paths.size(), 1);
        QVERIFY(s_onGuiThread);
    }
};

PLOVIX_TEST(TestScreenShot)
#include "tst_ScreenShot.moc"
