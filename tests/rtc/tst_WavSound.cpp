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

// A chunk; its declared size is the body's unless given.
QByteArray Chunk(const char* id, const QByteArray& body, qint64 declared = -1)
{
    const QByteArray chunk = id + Le(declared < 0 ? body.size() : quint32(declared), 4) + body;
    return body.size() % 2 ? chunk + '\0' : chunk;
}

QByteArray Wave(int codec, int channels, int bits, const QByteArray& rest)
{
    const QByteArray format = Le(codec, 2) + Le(channels, 2) + Le(22050, 4) + Le(0, 4) + Le(0, 2) + Le(bits, 2);
    const QByteArray chunks = Chunk("fmt ", format) + rest;
    return "RIFF" + Le(4 + chunks.size(), 4) + "WAVE" + chunks;
}
} // namespace

// The samples of a WAVE file without its header, in the file's format; a
// malformed file is refused, never read past its end.
class TestWavSound : public QObject
{
    Q_OBJECT

private slots:
    void ReadsOnlyTheSamples_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArray>("samples"); // "-" when refused
        const QByteArray data = Chunk("data", QByteArray::fromHex("01000200030004ff"));
        QTest::newRow("other chunk first, half frame last")
            << Wave(1, 2, 16, Chunk("LIST", "abc") + Chunk("data", QByteArray::fromHex("0100020003000400ff")))
            << QByteArray::fromHex("0100020003000400");
        QTest::newRow("not RIFF") << Wave(1, 1, 16, data).replace(0, 4, "RIFX") << QByteArray("-");
        QTest::newRow("compressed") << Wave(85, 1, 16, data) << QByteArray("-");
        QTest::newRow("no channels") << Wave(1, 0, 16, data) << QByteArray("-");
        QTest::newRow("no data") << Wave(1, 1, 16, QByteArray()) << QByteArray("-");
        QTest::newRow("data past the end") << Wave(1, 1, 16, Chunk("data", "ab", 0x7FFFFFF0)) << QByteArray("-");
    }
    void ReadsOnlyTheSamples()
    {
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, samples);
        const std::optional<WavSound> sound = WavSound::Parse(file);
        QCOMPARE(sound ? sound->data : QByteArray("-"), samples);
        if (sound)
            QCOMPARE(sound->format.sampleRate(), 22050);
    }
};

PLOVIX_TEST(TestWavSound)
#include "tst_WavSound.moc"
