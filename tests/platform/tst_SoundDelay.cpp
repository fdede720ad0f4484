// The rule for how long received sound waits for late packets: longer at
// once when packets come too late, shorter only slowly once they stop.
#include "TestRegistry.h"
#include "platform/rtc/SoundDelay.h"

#include <QTest>

using rtcnet::SoundDelay;

class TestSoundDelay : public QObject
{
    Q_OBJECT

private slots:
    void lateSoundWaitsLongerAndCalmSoundShorter()
    {
        SoundDelay delay;
        QVERIFY(!delay.OnMeasurement(0));
        QVERIFY(delay.OnMeasurement(3));
        QCOMPARE(delay.WaitMs(), SoundDelay::kLeastMs * 3 / 2);
        // The count is the buffer's running total: the same total again
        // is no new late packet.
        QVERIFY(!delay.OnMeasurement(3));
        for (quint64 late = 4; late < 20; ++late)
            delay.OnMeasurement(late);
        QCOMPARE(delay.WaitMs(), SoundDelay::kMostMs);
        // Calm for a while: one step shorter; a late packet before that
        // starts the count again.
        for (int i = 0; i < SoundDelay::kCalmMeasurements - 2; ++i)
            QVERIFY(!delay.OnMeasurement(19));
        QVERIFY(!delay.OnMeasurement(20));
        for (int i = 0; i < SoundDelay::kCalmMeasurements - 1; ++i)
            QVERIFY(!delay.OnMeasurement(20));
        QVERIFY(delay.OnMeasurement(20));
        QCOMPARE(delay.WaitMs(), SoundDelay::kMostMs - SoundDelay::kShrinkMs);
        // Never below the least wait.
        for (int i = 0; i < 1000; ++i)
            delay.OnMeasurement(20);
        QCOMPARE(delay.WaitMs(), SoundDelay::kLeastMs);
    }
};

PLOVIX_TEST(TestSoundDelay)
#include "tst_SoundDelay.moc"
