// The sender's rate rule: cut on heavy loss, hold on some, raise slowly on
// a clean link, within its floor and ceiling.
#include "TestRegistry.h"
#include "platform/rtc/SendRate.h"

#include <QTest>
#include <limits>

class TestSendRate : public QObject
{
    Q_OBJECT

private slots:
    void heavyLossCutsAndACleanLinkWinsItBackSlowly()
    {
        rtcnet::SendRate rate;
        QVERIFY(!rate.OnReport(0.0)); // at the ceiling already
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
        QCOMPARE(rate.Bitrate(), 108000);
        for (int i = 0; i < 30; ++i)
            rate.OnReport(0.01);
        QCOMPARE(rate.Bitrate(), rtcnet::SendRate::kCeilingBps);
        QVERIFY((rate.PictureShape() == rtcnet::SendRate::Shape { 640, 480, 30 }));
    }

    void anUnreadableShareChangesNothing()
    {
        rtcnet::SendRate rate;
        QVERIFY(!rate.OnReport(std::numeric_limits<double>::quiet_NaN()));
        QVERIFY(rate.OnReport(7.0)); // more than all: all
        QCOMPARE(rate.Bitrate(), 500000);
    }

    void anEncoderBelowItsTargetIsCutFromWhatItSent()
    {
        rtcnet::SendRate rate;
        QVERIFY(rate.OnReport(0.12, 600000));
        QCOMPARE(rate.Bitrate(), 564000);
        QVERIFY((rate.PictureShape() == rtcnet::SendRate::Shape { 640, 480, 30 }));
        QVERIFY(rate.OnReport(0.2, 2000000)); // more sent than aimed at
        QCOMPARE(rate.Bitrate(), 507600);
        rate.OnReport(0.4, 400000);
        QCOMPARE(rate.Bitrate(), 240000); // what got through
        QVERIFY((rate.PictureShape() == rtcnet::SendRate::Shape { 640, 480, 15 }));
    }

    void anOverloadedLinkIsLeftInOneStep()
    {
        // 1.1 Mbit/s into a link that carries a third of it.
        rtcnet::SendRate rate;
        QVERIFY(rate.OnReport(0.7, 1100000));
        QCOMPARE(rate.Bitrate(), 330000);
        QVERIFY((rate.PictureShape() == rtcnet::SendRate::Shape { 640, 480, 30 }));
    }
};

PLOVIX_TEST(TestSendRate)
#include "tst_SendRate.moc"
