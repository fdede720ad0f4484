#include "TestRegistry.h"

#include "rtc/WavSound.h"

#include <QtTest>

namespace {
QByteArray Le(quint32 value, int size)
{
    QByteArray bytes;
    for (int i = 0; i < size; ++i)
        bytes.append(char((value >> (8 * i)) & 0xFF));
    return bytes;
}

QByteArray Chunk(const char* id, const QByteArray& body, quint32 declared = 0xFFFFFFFF)
{
    QByteArray chunk(id, 4);
    chunk += Le(declared == 0xFFFFFFFF ? quint32(body.size()) : declared, 4) + body;
    return body.size() % 2 ? chunk + '\0' : chunk;
}

QByteArray Format(int codec, int channels, int rate, int bits)
{
    return Le(codec, 2) + Le(channels, 2) + Le(rate, 4) + Le(rate * channels * bits / 8, 4) + Le(channels * bits / 8, 2)
        + Le(bits, 2);
}

QByteArray Riff(const QByteArray& chunks)
{
    return "RIFF" + Le(4 + chunks.size(), 4) + "WAVE" + chunks;
}
} // namespace

// Reading the sound of a WAVE file: the samples without the header, in the
// file's own format; malformed files are refused, never read past.
class TestWavSound : public QObject
{
    Q_OBJECT

private slots:
    void ReadsTheSamplesInTheirFormat()
    {
        // A list chunk of odd size before the data, and half a frame after.
        const QByteArray file = Riff(Chunk("fmt ", Format(1, 2, 22050, 16)) + Chunk("LIST", "abc")
            + Chunk("data", QByteArray::fromHex("0100020003000400ff")));
        const std::optional<WavSound> sound = WavSound::Parse(file);
        QVERIFY(sound);
        QCOMPARE(sound->format.sampleRate(), 22050);
        QCOMPARE(sound->format.channelCount(), 2);
        QCOMPARE(sound->format.sampleSize(), 16);
        QCOMPARE(sound->format.sampleType(), QAudioFormat::SignedInt);
        QCOMPARE(sound->data, QByteArray::fromHex("0100020003000400"));

        // The client's own test sound.
        const std::optional<WavSound> test = WavSound::Read(":resource/avtest/test.wav");
        QVERIFY(test);
        QCOMPARE(test->format.sampleRate(), 16000);
        QCOMPARE(test->data.size(), QFile(":resource/avtest/test.wav").size() - 44);
    }

    void RefusesMalformedFiles_data()
    {
        QTest::addColumn<QByteArray>("file");
        const QByteArray format = Chunk("fmt ", Format(1, 1, 16000, 16));
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("not RIFF") << QByteArray("RIFX") + Riff(format).mid(4);
        QTest::newRow("no data") << Riff(format);
        QTest::newRow("data before format") << Riff(Chunk("data", "abcd") + format);
        QTest::newRow("compressed") << Riff(Chunk("fmt ", Format(85, 1, 16000, 16)) + Chunk("data", "abcd"));
        QTest::newRow("no channels") << Riff(Chunk("fmt ", Format(1, 0, 16000, 16)) + Chunk("data", "abcd"));
        QTest::newRow("12-bit samples") << Riff(Chunk("fmt ", Format(1, 1, 16000, 12)) + Chunk("data", "abcd"));
        QTest::newRow("short format") << Riff(Chunk("fmt ", Format(1, 1, 16000, 16).left(10)) + Chunk("data", "ab"));
        QTest::newRow("data past the end") << Riff(format + Chunk("data", "abcd", 0x7FFFFFF0));
        QTest::newRow("chunk past the end") << Riff(Chunk("LIST", "ab", 0xFFFFFFF0) + format);
    }
    void RefusesMalformedFiles()
    {
        QFETCH(QByteArray, file);
        QVERIFY(!WavSound::Parse(file));
    }
};

PLOVIX_TEST(TestWavSound)
#include "tst_WavSound.moc"
