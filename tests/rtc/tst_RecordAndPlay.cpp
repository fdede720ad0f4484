#include "TestRegistry.h"

#include "platform/RtcEngineControl.h"
#include "platform/SystemDevices.h"
#include "rtc/GeneratedDevices.h"
#include "rtc/RecordAndPlay.h"

#include <QSignalSpy>
#include <QtTest>

namespace control = RtcEngineControl;

namespace {
QVector<qint16> Samples(const QByteArray& bytes)
{
    QVector<qint16> samples(bytes.size() / 2);
    for (int i = 0; i < samples.size(); ++i)
        samples[i] = qFromLittleEndian<qint16>(bytes.constData() + 2 * i);
    return samples;
}

} // namespace

Q_DECLARE_METATYPE(QVector<qint16>)

// The microphone played back: smoothing, gain, blocks and failures, on
// devices that record a generated signal.
class TestRecordAndPlay : public QObject
{
    Q_OBJECT

    GeneratedDevices::Devices* m_devices = nullptr;

    GeneratedDevices::Stream* Input(const QString& name = "Mic A") const
    {
        return m_devices->Last(QAudio::AudioInput, name);
    }
    GeneratedDevices::Stream* Output(const QString& name = "Speakers") const
    {
        return m_devices->Last(QAudio::AudioOutput, name);
    }

private slots:
    void initTestCase() { qRegisterMetaType<RecordAndPlay::Failure>(); }
    void init()
    {
        m_devices = GeneratedDevices::Devices::Install();
        control::SetDevices(control::DeviceKind::Recording, { { "Mic A", "in:Mic A" }, { "Mic B", "in:Mic B" } });
        control::SetDevices(
            control::DeviceKind::Playback, { { "Speakers", "out:Speakers" }, { "Headset", "out:Headset" } });
    }
    void cleanup()
    {
        MediaDevices::Set(nullptr);
        control::Reset();
    }

    void SmoothsThenAppliesTheGain_data()
    {
        QTest::addColumn<QVector<qint16>>("in");
        QTest::addColumn<int>("gain");
        QTest::addColumn<QVector<qint16>>("out");
        // 0.667 x the previous result + 0.333 x the own value, toward 0.
        QTest::newRow("unchanged loudness")
            << QVector<qint16> { 300, 0, 900 } << 50 << QVector<qint16> { 300, 200, 433 };
        QTest::newRow("negative toward zero") << QVector<qint16> { -300, 0 } << 50 << QVector<qint16> { -300, -200 };
        QTest::newRow("gain 0 is silence") << QVector<qint16> { 1000, -1000 } << 0 << QVector<qint16> { 0, 0 };
        QTest::newRow("gain 255 amplifies 5.1 times") << QVector<qint16> { 1000 } << 255 << QVector<qint16> { 5100 };
        QTest::newRow("gain 255 saturates, never wraps")
            << QVector<qint16> { 10000, -10000 } << 255 << QVector<qint16> { 32767, 17034 };
        QTest::newRow("saturates below too")
            << QVector<qint16> { -10000, 10000, -32768 } << 255 << QVector<qint16> { -32768, -17034, -32768 };
    }
    void SmoothsThenAppliesTheGain()
    {
        QFETCH(QVector<qint16>, in);
        QFETCH(int, gain);
        QFETCH(QVector<qint16>, out);
        RecordAndPlay::Process(in.data(), in.size(), gain);
        QCOMPARE(in, out);
    }

    void TakesOneBlockAtMostAndKeepsHalfSamples()
    {
        RecordAndPlay play;
        play.SetGain(50);
        play.OnRecordPlayStart();
        QVERIFY(Input() && Output());
        Input()->Hold();
        Output()->Hold();
        // 5000 bytes ready: one block of 4096 goes, the rest waits.
        Input()->Feed(QByteArray(5000, '\0'));
        QCOMPARE(Output()->Written().size(), RecordAndPlay::kMaxBlockBytes);
        QCOMPARE(Input()->bytesReady(), 5000 - RecordAndPlay::kMaxBlockBytes);
        play.ReadMore();
        QCOMPARE(Output()->Written().size(), 5000);

        // A sample split between two reads is played whole, once, in order;
        // each block's first sample passes the smoothing unchanged.
        RecordAndPlay split("Mic B", "Headset");
        split.SetGain(50);
        split.OnRecordPlayStart();
        Input("Mic B")->Hold();
        Output("Headset")->Hold();
        Input("Mic B")->Feed(QByteArray::fromHex("000110"));
        QCOMPARE(Output("Headset")->Written().size(), 2);
        Input("Mic B")->Feed(QByteArray::fromHex("00"));
        QCOMPARE(Output("Headset")->Written().size(), 4);
        Input("Mic B")->Feed(QByteArray::fromHex("0020"));
        QCOMPARE(Samples(Output("Headset")->Written()), (QVector<qint16> { 256, 16, 0x2000 }));
    }

    void FailuresAreReported_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("failure");
        QTest::newRow("no speaker") << "no speaker" << int(RecordAndPlay::OutputFailed);
        QTest::newRow("speaker will not open") << "broken speaker" << int(RecordAndPlay::OutputFailed);
        QTest::newRow("speaker takes no data") << "refusing speaker" << int(RecordAndPlay::OutputFailed);
        QTest::newRow("speaker unplugged") << "unplug speaker" << int(RecordAndPlay::OutputFailed);
        QTest::newRow("microphone unplugged") << "unplug microphone" << int(RecordAndPlay::InputFailed);
        QTest::newRow("only 8-bit samples") << "8-bit" << int(RecordAndPlay::FormatRefused);
    }
    void FailuresAreReported()
    {
        QFETCH(QString, fault);
        QFETCH(int, failure);
        if (fault == "no speaker")
            control::SetDevices(control::DeviceKind::Playback, {});
        if (fault == "broken speaker")
            m_devices->broken << "Speakers";
        if (fault == "refusing speaker")
            m_devices->refusingWrites << "Speakers";
        if (fault == "8-bit") {
            QAudioFormat eightBit = SystemDevices::PcmFormat(8000);
            eightBit.setSampleSize(8);
            eightBit.setSampleType(QAudioFormat::UnSignedInt);
            m_devices->onlyFormat["Mic A"] = eightBit;
        }
        m_devices->recorded["Mic A"] = GeneratedDevices::Tone(0.5);
        RecordAndPlay play("Mic A", m_devices->AudioDevices(QAudio::AudioOutput).value(0));
        play.SetGain(50);
        QSignalSpy failed(&play, &RecordAndPlay::Failed);
        play.OnRecordPlayStart();
        if (fault == "unplug speaker")
            Output()->Unplug();
        if (fault == "unplug microphone")
            Input()->Unplug();
        QTRY_COMPARE(failed.count(), 1);
        QCOMPARE(failed.at(0).at(0).value<RecordAndPlay::Failure>(), RecordAndPlay::Failure(failure));
        // Everything is stopped; nothing more is reported.
        for (GeneratedDevices::Stream* stream : { Input(), Output() }) {
            if (stream)
                QCOMPARE(stream->state(), QAudio::StoppedState);
        }
        if (fault == "8-bit")
            QVERIFY(!Input() && !Output());
        QTest::qWait(100);
        QCOMPARE(failed.count(), 1);
    }
};

PLOVIX_TEST(TestRecordAndPlay)
#include "tst_RecordAndPlay.moc"
