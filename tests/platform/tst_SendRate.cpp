// The sender's rate rule: start low and rise fast on a clean link, cut on
// heavy or lasting loss, hold on some, raise slowly once loss was seen,
// within its floor and ceiling.
#include "TestRegistry.h"
#include "platform/rtc/SendRate.h"

#include <QTest>
#include <limits>

// A rate that rose to its ceiling over a clean link.
static rtcnet::SendRate AtTheCeiling()
{
    rtcnet::SendRate rate;
    rate.OnReport(0.0);
    while (rate.OnReport(0.0)) { }
    return rate;
}

class TestSendRate : public QObject
{
    Q_OBJECT

private slots:
    void aLessonStartsLowAndRisesFastUntilLossIsSeen()
    {
        rtcnet::SendRate rate;
        // A single clean report is no trend: random loss reads clean in
        // one now and then.
        QVERIFY(!rate.OnReport(0.0));
        int reports = 0;
        while (rate.OnReport(0.0))
            ++reports;
        QCOMPARE(rate.Bitrate(), rtcnet::SendRate::kCeilingBps);
        QCOMPARE(reports, 6); // 300 kbit/s to the ceiling in 14 s

        // Once loss was seen the rate rises slowly, even on clean reports.
        rtcnet::SendRate lossy;
        QVERIFY(!lossy.OnReport(0.0));
        QVERIFY(lossy.OnReport(0.0));
        QCOMPARE(lossy.Bitrate(), 375000);
        QVERIFY(!lossy.OnReport(0.05));
        QVERIFY(!lossy.OnReport(0.0)); // the mean still holds
        QVERIFY(lossy.OnReport(0.0));
        QCOMPARE(lossy.Bitrate(), 405000);
    }

    void heavyLossCutsAndACleanLinkWinsItBackSlowly()
    {
        rtcnet::SendRate rate = AtTheCeiling();
        QVERIFY(!rate.OnReport(0.20)); // one report of moderate loss is no trend
        QVERIFY(rate.OnReport(0.20));
        QCOMPARE(rate.Bitrate(), 900000);
        QVERIFY(!rate.OnReport(0.05)); // some loss: held
        QCOMPARE(rate.Bitrate(), 900000);
        for (int i = 0; i < 40; ++i)
            rate.OnReport(0.5);
        QCOMPARE(rate.Bitrate(), rtcnet::SendRate::kFloorBps);
        QVERIFY((rate.PictureShape() == rtcnet::SendRate::Shape { 320, 240, 15 }));
        // Clean reports: not back at once, but back within a minute's
        // reports.
        rate.OnReport(0.0);
        rate.OnReport(0.0);
        QCOMPARE(rate.Bitrate(), 108000);
        for (int i = 0; i < 30; ++i)
            rate.OnReport(0.01);
        QCOMPARE(rate.Bitrate(), rtcnet::SendRate::kCeilingBps);
        QVERIFY((rate.PictureShape() == rtcnet::SendRate::Shape { 640, 480, 30 }));
    }

    void anUnreadableShareChangesNothing()
    {
        rtcnet::SendRate rate = AtTheCeiling();
        QVERIFY(!rate.OnReport(std::numeric_limits<double>::quiet_NaN()));
        QVERIFY(rate.OnReport(7.0)); // more than all: all
        QCOMPARE(rate.Bitrate(), 500000);
    }

    void anEncoderBelowItsTargetIsCutFromWhatItSent()
    {
        rtcnet::SendRate rate = AtTheCeiling();
        QVERIFY(!rate.OnReport(0.12, 600000));
        QVERIFY(rate.OnReport(0.12, 600000));
        QCOMPARE(rate.Bitrate(), 564000);
        QVERIFY((rate.PictureShape() == rtcnet::SendRate::Shape { 640, 480, 30 }));
        QVERIFY(rate.OnReport(0.2, 2000000)); // more sent than aimed at
        QCOMPARE(rate.Bitrate(), 521700);
        rate.OnReport(0.4, 400000);
        QCOMPARE(rate.Bitrate(), 240000); // what got through
        QVERIFY((rate.PictureShape() == rtcnet::SendRate::Shape { 640, 480, 15 }));
    }

    void steadyRandomLossHoldsTheRate()
    {
        // 5 % of random loss, as reports of a hundred packets or so read
        // it: now and then above 10 %, never twice running. The rate holds
        // where it is; only loss that stays above 10 % cuts it.
        rtcnet::SendRate rate = AtTheCeiling();
        const double readings[] = { 0.03, 0.12, 0.04, 0.11, 0.06, 0.13, 0.02, 0.05, 0.07, 0.12, 0.03 };
        for (int round = 0; round < 10; ++round) {
            for (double loss : readings)
                rate.OnReport(loss, 1000000);
        }
        QCOMPARE(rate.Bitrate(), rtcnet::SendRate::kCeilingBps);
        rate.OnReport(0.12, 1000000);
        QVERIFY(rate.OnReport(0.14, 1000000));
        QCOMPARE(rate.Bitrate(), 935000);
        QVERIFY(!rate.OnReport(0.05, 935000)); // that loss is spent
    }

    void anOverloadedLinkIsLeftInOneStep()
    {
        // 1.1 Mbit/s into a link that carries a third of it.
        rtcnet::SendRate rate = AtTheCeiling();
        QVERIFY(rate.OnReport(0.7, 1100000));
        QCOMPARE(rate.Bitrate(), 330000);
        QVERIFY((rate.PictureShape() == rtcnet::SendRate::Shape { 640, 480, 30 }));
    }
};

PLOVIX_TEST(TestSendRate)
#include "tst_SendRate.moc"
