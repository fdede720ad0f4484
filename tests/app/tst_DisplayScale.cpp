#include "TestRegistry.h"

#include "app/DisplayScale.h"

#include <QtTest>

class TestDisplayScale : public QObject
{
    Q_OBJECT

private slots:
    void ChoosesAndStepsDown_data()
    {
        QTest::addColumn<int>("dpi");
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("factor");
        QTest::addColumn<QString>("folder");

        QTest::newRow("96 on 1366x768") << 96 << QSize(1366, 768) << "1.0" << 1.0 << "x1";
        QTest::newRow("120 on 1920x1080") << 120 << QSize(1920, 1080) << "1.25" << 1.25 << "x1.25";
        QTest::newRow("144 on 1280x800 steps once") << 144 << QSize(1280, 800) << "1.25" << 1.25 << "x1.25";
        QTest::newRow("144 on 1024x768 steps only once") << 144 << QSize(1024, 768) << "1.25" << 1.25 << "x1.25";
        QTest::newRow("150 stays unscaled") << 150 << QSize(1920, 1080) << "1.0" << 1.0 << "x1";
        QTest::newRow("167 stays unscaled") << 167 << QSize(1920, 1080) << "1.0" << 1.0 << "x1";
        QTest::newRow("168 is 1.70") << 168 << QSize(2560, 1440) << "1.70" << 1.75 << "x1.75";
        QTest::newRow("192 on 2560x1440") << 192 << QSize(2560, 1440) << "1.70" << 1.75 << "x1.75";
        QTest::newRow("192 on 1600x900 steps to 1.5") << 192 << QSize(1600, 900) << "1.5" << 1.5 << "x1.5";
        QTest::newRow("1.0 never steps below") << 72 << QSize(800, 600) << "1.0" << 1.0 << "x1";
        QTest::newRow("height alone steps down") << 120 << QSize(1920, 799) << "1.0" << 1.0 << "x1";
        QTest::newRow("exact fit keeps") << 120 << QSize(1250, 800) << "1.25" << 1.25 << "x1.25";
    }
    void ChoosesAndStepsDown()
    {
        QFETCH(int, dpi);
        QFETCH(QSize, screen);
        QFETCH(QString, text);
        QFETCH(double, factor);
        QFETCH(QString, folder);

        const QString chosen = DisplayScale::StepDown(DisplayScale::ChooseText(dpi), screen);
        QCOMPARE(chosen, text);
        const DisplayScale::Scale scale = DisplayScale::FromText(chosen);
        QCOMPARE(scale.factor, factor);
        QCOMPARE(scale.folder, folder);
    }
};

PLOVIX_TEST(TestDisplayScale)
#include "tst_DisplayScale.moc"
