// The rule that holds a received video back on a lossy downlink: held after
// lasting loss, asked for again after a back-off that grows while probes
// fail, and only while the sound alone gets through.
#include "TestRegistry.h"
#include "platform/rtc/VideoPause.h"

#include <QTest>
#include <limits>

using rtcnet::VideoPause;

class TestVideoPause : public QObject
{
    Q_OBJECT

private slots:
    void lastingLossHoldsBackAndFailedProbesWaitLonger()
    {
        VideoPause pause;
        QVERIFY(!pause.OnMeasurement(0.3, 0.0)); // one lossy measurement is no verdict
        QVERIFY(!pause.OnMeasurement(0.1, 0.1)); // some loss is no verdict either
        QVERIFY(!pause.OnMeasurement(0.3, 0.0));
        QVERIFY(pause.OnMeasurement(0.3, 0.0));
        QVERIFY(pause.Paused());
        // The back-off runs out: a probe, cut short at its first loss, and
        // a back-off twice as long.
        int waited = 0;
        while (!pause.OnMeasurement(-1, 0.0))
            ++waited;
        QCOMPARE(waited + 1, VideoPause::kFirstBackOff);
        QVERIFY(!pause.Paused());
        QVERIFY(pause.OnMeasurement(0.25, 0.05));
        QCOMPARE(pause.BackOff(), 2 * VideoPause::kFirstBackOff);
        for (int i = 0; i < 10; ++i) {
            while (!pause.OnMeasurement(-1, 0.0)) { }
            pause.OnMeasurement(0.5, 0.0);
        }
        QCOMPARE(pause.BackOff(), VideoPause::kMostBackOff);
    }

    void lostSoundHoldsBackAtOnceAndPostponesTheProbe()
    {
        VideoPause pause;
        QVERIFY(pause.OnMeasurement(0.5, 0.6)); // the link is full
        // Held back, the sound loses much less, but still some: no probe.
        for (int i = 0; i < 3 * VideoPause::kMostBackOff; ++i)
            QVERIFY(!pause.OnMeasurement(-1, 0.2));
        QVERIFY(pause.Paused());
        QVERIFY(!pause.OnMeasurement(-1, std::numeric_limits<double>::quiet_NaN()));
    }

    void aPauseThatDoesNotHelpEndsAndIsNotTriedAgainSoon()
    {
        // The sender's own link loses: holding its pictures back leaves the
        // sound as lossy as it was.
        VideoPause pause;
        QVERIFY(pause.OnMeasurement(0.4, 0.4));
        QVERIFY(!pause.OnMeasurement(-1, 0.4)); // still the time before
        QVERIFY(!pause.OnMeasurement(-1, 0.35));
        QVERIFY(pause.OnMeasurement(-1, 0.32));
        QVERIFY(!pause.Paused());
        for (int i = 0; i < VideoPause::kNotOursHoldOff; ++i)
            QVERIFY(!pause.OnMeasurement(0.4, 0.4));
        QVERIFY(pause.OnMeasurement(0.4, 0.4));
    }

    void aProbeThatStaysCleanForgetsTheBackOff()
    {
        VideoPause pause;
        pause.OnMeasurement(0.5, 0.0);
        pause.OnMeasurement(0.5, 0.0);
        while (!pause.OnMeasurement(-1, -1)) { }
        QVERIFY(pause.OnMeasurement(0.5, 0.0)); // failed: 8
        while (!pause.OnMeasurement(-1, -1)) { }
        for (int i = 0; i < VideoPause::kProbeLength; ++i)
            QVERIFY(!pause.OnMeasurement(0.02, 0.0));
        QCOMPARE(pause.BackOff(), VideoPause::kFirstBackOff);
        // After the probe one lossy measurement is no verdict again.
        QVERIFY(!pause.OnMeasurement(0.5, 0.0));
        QVERIFY(pause.OnMeasurement(0.5, 0.0));
    }
};

PLOVIX_TEST(TestVideoPause)
#include "tst_VideoPause.moc"
