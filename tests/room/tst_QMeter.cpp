#include "TestRegistry.h"

#include "widgets/QMeter.h"

#include <QImage>
#include <QtTest>

class TestQMeter : public QObject
{
    Q_OBJECT

private slots:
    void BarsTurnGreenUpToTheValue_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("greenBars");
        QTest::newRow("33 on 60 px") << 33.0 << 3;
        QTest::newRow("zero") << 0.0 << 0;
        QTest::newRow("above the maximum clamps") << 250.0 << 10;
        QTest::newRow("below the minimum clamps") << -5.0 << 0;
    }
    void BarsTurnGreenUpToTheValue()
    {
        QFETCH(double, value);
        QFETCH(int, greenBars);
        QMeter meter;
        meter.setFixedSize(60, 16);
        meter.setValue(value);
        const QImage picture = meter.grab().toImage();
        const QColor green(55, 215, 145);
        for (int n = 0; n <= 10; ++n) {
            const bool isGreen = picture.pixelColor(3 + 6 * n, 8) == green;
            QVERIFY2(isGreen == (n < greenBars), qPrintable(QString("bar %1").arg(n)));
        }
    }
};

PLOVIX_TEST(TestQMeter)
#include "tst_QMeter.moc"
