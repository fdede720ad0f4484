// The pace of a sender's video packets: a large picture leaves over time
// instead of in one burst, idle time is not saved up for a later burst, and
// no packet is held back for long when the encoder runs over the pace.
#include "TestRegistry.h"
#include "platform/rtc/Pacer.h"

#include <QTest>

using rtcnet::Pacer;

namespace {

constexpr qint64 kMs = 1000 * 1000;
// 1125 bytes are 20 ms at 450 kbit/s, the pace of a 300 kbit/s video.
constexpr int kPacket = 1125;
constexpr qint64 kPacketNs = 20 * kMs;

} // namespace

class TestPacer : public QObject
{
    Q_OBJECT

private slots:
    void aBurstLeavesAtThePaceAndIdleTimeIsNotSavedUp()
    {
        Pacer pacer(300000);
        const qint64 start = 1000 * kMs;
        // A picture of ten packets handed on at once: the first goes at
        // once, each next one a packet's time later, less the small burst
        // allowed after idle time.
        for (int i = 0; i < 10; ++i)
            QCOMPARE(pacer.Wait(start, kPacket), i == 0 ? 0 : i * kPacketNs - Pacer::kBurstNs);
        // A second later the link has long been free: the next picture goes
        // at once, but a second of silence buys no second-long burst.
        const qint64 later = start + 1000 * kMs;
        QCOMPARE(pacer.Wait(later, kPacket), 0);
        QCOMPARE(pacer.Wait(later, kPacket), kPacketNs - Pacer::kBurstNs);
    }

    void aNewRateAppliesToTheNextPacket()
    {
        Pacer pacer(300000);
        const qint64 start = 1000 * kMs;
        QCOMPARE(pacer.Wait(start, kPacket), 0);
        // Half the rate: the next packet waits twice as long after it.
        pacer.SetVideoRate(150000);
        QCOMPARE(pacer.Wait(start, kPacket), kPacketNs - Pacer::kBurstNs);
        QCOMPARE(pacer.Wait(start, kPacket), 3 * kPacketNs - Pacer::kBurstNs);
    }

    void anEncoderOverThePaceIsHeldBackNoFurtherThanTheMostWait()
    {
        Pacer pacer(300000);
        // Three times the pace, for five seconds: the packets fall behind,
        // but never by more than the most wait.
        qint64 most = 0;
        for (qint64 now = 0; now < 5000 * kMs; now += kPacketNs / 3)
            most = std::max(most, pacer.Wait(now, kPacket));
        QCOMPARE(most, Pacer::kMostWaitNs);
    }
};

PLOVIX_TEST(TestPacer)
#include "tst_Pacer.moc"
