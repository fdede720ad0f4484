#include "TestRegistry.h"

#include "rtc/AudioInfo.h"

#include <QSignalSpy>
#include <QtEndian>
#include <QtTest>

namespace {
QAudioFormat Format(int bits, QAudioFormat::SampleType type, int channels = 1)
{
    QAudioFormat format;
    format.setSampleRate(8000);
    format.setChannelCount(channels);
    format.setSampleSize(bits);
    format.setSampleType(type);
    format.setByteOrder(QAudioFormat::LittleEndian);
    format.setCodec("audio/pcm");
    return format;
}

QByteArray Samples16(std::initializer_list<qint16> values)
{
    QByteArray data;
    for (qint16 value : values) {
        char bytes[2];
        qToLittleEndian(value, bytes);
        data.append(bytes, 2);
    }
    return data;
}
} // namespace

class TestAudioInfo : public QObject
{
    Q_OBJECT

private slots:
    void MeasuresThePeakOfEachBlock_data()
    {
        QTest::addColumn<QByteArray>("block");
        QTest::addColumn<int>("channels");
        QTest::addColumn<double>("level");
        QTest::newRow("half scale") << Samples16({ 100, -16384, 200 }) << 1 << 16384.0 / 32767;
        QTest::newRow("most negative is full scale") << Samples16({ -32768 }) << 1 << 1.0;
        QTest::newRow("stereo peak over both") << Samples16({ 10, 3000, -20, 40 }) << 2 << 3000.0 / 32767;
        QTest::newRow("shorter than a frame") << QByteArray(1, 'x') << 1 << 0.0;
        QTest::newRow("trailing half frame ignored") << Samples16({ 50, 32767 }).left(3) << 1 << 50.0 / 32767;
    }
    void MeasuresThePeakOfEachBlock()
    {
        QFETCH(QByteArray, block);
        QFETCH(int, channels);
        QFETCH(double, level);
        AudioInfo sink(Format(16, QAudioFormat::SignedInt, channels));
        sink.start();
        QSignalSpy update(&sink, &AudioInfo::update);
        QCOMPARE(sink.write(Samples16({ 32767 })), qint64(2));
        QCOMPARE(sink.write(block), qint64(block.size()));
        QCOMPARE(update.count(), 2);
        QCOMPARE(sink.level(), level);
    }

    void UnmeasuredFormatsKeepTheLevel()
    {
        // 24-bit samples are not measured, but every block is announced.
        AudioInfo sink(Format(24, QAudioFormat::SignedInt));
        QCOMPARE(sink.maxAmplitude(), 0u);
        sink.start();
        QSignalSpy update(&sink, &AudioInfo::update);
        sink.write(QByteArray(6, '\x7f'));
        QCOMPARE(update.count(), 1);
        QCOMPARE(sink.level(), 0.0);
        QCOMPARE(AudioInfo(Format(32, QAudioFormat::Float)).maxAmplitude(), 2147483647u);
        QCOMPARE(AudioInfo(Format(8, QAudioFormat::UnSignedInt)).maxAmplitude(), 255u);
    }
};

PLOVIX_TEST(TestAudioInfo)
#include "tst_AudioInfo.moc"
