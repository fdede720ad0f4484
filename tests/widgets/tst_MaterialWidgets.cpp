#include "LogCapture.h"
#include "TestRegistry.h"

#include "widgets/QtMaterialBadge.h"
#include "widgets/QtMaterialCircularProgress.h"
#include "widgets/QtMaterialProgress.h"
#include "widgets/QtMaterialStyle.h"
#include "widgets/QtMaterialTheme.h"

#include <QSignalSpy>
#include <QtTest>

namespace {
// A widget that counts the presses it gets.
class PressTarget : public QWidget
{
public:
    int presses = 0;

protected:
    void mousePressEvent(QMouseEvent*) override { ++presses; }
};

bool HasColor(const QImage& image, const QColor& color)
{
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (qAbs(pixel.red() - color.red()) < 4 && qAbs(pixel.green() - color.green()) < 4
                && qAbs(pixel.blue() - color.blue()) < 4)
                return true;
        }
    }
    return false;
}
} // namespace

// The badge, overlay, circular and linear progress and the theme.
class TestMaterialWidgets : public QObject
{
    Q_OBJECT

private slots:
    void ABadgeShowsEitherItsIconOrItsText()
    {
        QtMaterialBadge badge;
        QCOMPARE(badge.text(), QString("+1"));
        QPixmap dot(8, 8);
        dot.fill(Qt::red);
        badge.setIcon(QIcon(dot));
        QVERIFY(!badge.icon().isNull());
        badge.setText("3");
        QVERIFY(badge.icon().isNull());
        // Theme colours until one is set.
        QCOMPARE(badge.backgroundColor(), QColor("#ff4081"));
        badge.setBackgroundColor(Qt::blue);
        QCOMPARE(badge.backgroundColor(), QColor(Qt::blue));
        QCOMPARE(badge.textColor(), QColor("#ffffff"));
    }

    void APressOnTheParentClicksTheOverlayAndStillReachesTheParent()
    {
        PressTarget entry;
        entry.resize(120, 40);
        auto* badge = new QtMaterialBadge(&entry);
        QSignalSpy clicked(badge, &QtMaterialBadge::clicked);
        entry.show();
        QVERIFY(QTest::qWaitForWindowExposed(&entry));
        QCOMPARE(badge->geometry(), entry.rect());
        // Transparent for the mouse: the press lands on the entry.
        QTest::mousePress(&entry, Qt::LeftButton, {}, QPoint(60, 20));
        QCOMPARE(clicked.count(), 1);
        QCOMPARE(entry.presses, 1);
        entry.resize(200, 50);
        QCOMPARE(badge->geometry(), QRect(0, 0, 200, 50));
    }

    void AnUnknownThemeKeyIsInvalidAndLogged()
    {
        LogCapture log;
        QVERIFY(!QtMaterialStyle::instance().colorFor("nope").isValid());
        QCOMPARE(log.Count("A theme color matching the key 'nope' could not be found."), 1);
        QCOMPARE(QtMaterialStyle::instance().colorFor("primary1"), QColor("#00bcd4"));
    }

    void ADisabledLinearBarShowsOnlyItsTrack()
    {
        QtMaterialProgress bar;
        bar.resize(200, 6);
        bar.setProgressColor(QColor("#fc3216"));
        QTRY_VERIFY(HasColor(bar.grab().toImage(), QColor("#fc3216")));
        bar.setEnabled(false);
        const QImage image = bar.grab().toImage();
        QVERIFY(!HasColor(image, QColor("#fc3216")));
        QVERIFY(!HasColor(image, QColor("#e0e0e0")));
    }

    void AStoppedCircularProgressDrawsNoArc()
    {
        QtMaterialCircularProgress spinner;
        spinner.resize(40, 40);
        spinner.setArcWidth(4);
        spinner.startSpinning();
        QVERIFY(spinner.isSpinning());
        QTRY_VERIFY(HasColor(spinner.grab().toImage(), QColor("#4fc8a0"))
            || HasColor(spinner.grab().toImage(), QColor("#ace4d2")));
        spinner.stopSpinning();
        QVERIFY(!spinner.isSpinning());
        const QImage stopped = spinner.grab().toImage();
        QVERIFY(!HasColor(stopped, QColor("#4fc8a0")) && !HasColor(stopped, QColor("#ace4d2")));
        // Going on from where it stood.
        spinner.startSpinning();
        QVERIFY(spinner.isSpinning());
    }
};

PLOVIX_TEST(TestMaterialWidgets)
#include "tst_MaterialWidgets.moc"
