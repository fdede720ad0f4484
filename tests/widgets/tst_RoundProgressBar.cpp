#include "TestRegistry.h"

#include "widgets/RoundProgressBar.h"

#include <QtTest>

namespace {
// How many pixels of the picture have this colour.
int CountColor(const QImage& image, QRgb color)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            count += (image.pixel(x, y) & 0xffffff) == (color & 0xffffff);
    }
    return count;
}
} // namespace

// The round gauge of the course page and media lists: bounds, value, text
// and what it draws.
class TestRoundProgressBar : public QObject
{
    Q_OBJECT

private slots:
    void BoundsAndValue_data()
    {
        QTest::addColumn<double>("min");
        QTest::addColumn<double>("max");
        QTest::addColumn<double>("value");
        QTest::addColumn<double>("low");
        QTest::addColumn<double>("high");
        QTest::addColumn<double>("stored");
        QTest::newRow("swapped range") << 100.0 << 0.0 << 40.0 << 0.0 << 100.0 << 40.0;
        QTest::newRow("above") << 0.0 << 100.0 << 150.0 << 0.0 << 100.0 << 100.0;
        QTest::newRow("below") << 0.0 << 100.0 << -5.0 << 0.0 << 100.0 << 0.0;
    }
    void BoundsAndValue()
    {
        QFETCH(double, min);
        QFETCH(double, max);
        QFETCH(double, value);
        QFETCH(double, low);
        QFETCH(double, high);
        QFETCH(double, stored);
        RoundProgressBar gauge;
        gauge.setRange(min, max);
        gauge.setValue(value);
        QCOMPARE(gauge.minimum(), low);
        QCOMPARE(gauge.maximum(), high);
        QCOMPARE(gauge.value(), stored);
        // A narrower range pulls the value in.
        gauge.setMaximum(low + 10);
        QVERIFY(gauge.value() <= low + 10);
    }

    void TextRoundsToTheDecimals_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QString>("text");
        QTest::newRow("percent, whole") << "%p%" << 0 << "13%";
        QTest::newRow("percent, one decimal") << "%p%" << 1 << "12.6%";
        QTest::newRow("value of range") << "%v/%m" << 0 << "13/101";
        QTest::newRow("negative decimals ignored") << "%p%" << -1 << "12.6%";
    }
    void TextRoundsToTheDecimals()
    {
        QFETCH(QString, format);
        QFETCH(int, decimals);
        QFETCH(QString, text);
        RoundProgressBar gauge;
        gauge.setFormat(format);
        gauge.setDecimalPlaces(decimals);
        gauge.setValue(12.6);
        QCOMPARE(gauge.valueToText(gauge.value()), text);
    }

    void TheLineStyleDrawsTheValueOnlyAboveTheMinimum()
    {
        RoundProgressBar gauge;
        gauge.setStyleSheet("background:rgb(255,255,255);");
        gauge.setDecimalPlaces(0);
        gauge.setStyleMode(RoundProgressBar::StyleLine);
        gauge.setOutlineWidth(9);
        gauge.setArcWidth(6);
        gauge.resize(40, 60);
        const QRgb arc = qRgb(0xff, 0x62, 0x67);
        const QRgb ring = qRgb(0xff, 0xd0, 0xd1);
        QImage empty = gauge.grab().toImage();
        QCOMPARE(CountColor(empty, arc), 0);
        QVERIFY(CountColor(empty, ring) > 0);
        gauge.setValue(50);
        const QImage half = gauge.grab().toImage();
        QVERIFY(CountColor(half, arc) > 0);
        // Square at the top left: nothing below the 40 x 40 image.
        QCOMPARE(CountColor(half.copy(0, 41, 40, 19), arc), 0);
    }
};

PLOVIX_TEST(TestRoundProgressBar)
#include "tst_RoundProgressBar.moc"
