// What the speaker played, read back at the microphone's pace: the echo
// canceller's far end and the demo's echo path read the same sound with
// different margins, and the distance between them must not move however
// unevenly the sound arrives, or the canceller loses the echo's path.
#include "TestRegistry.h"

#include "platform/rtc/RtcMediaInner.h"

#include <QTest>
#include <gst/gst.h>
#include <vector>

namespace {

using rtcmedia::inner::PlayedReader;

constexpr size_t kChunk = 960; // 20 ms, as a received stream's buffers
constexpr size_t kTake = 480; // 10 ms, as the microphone's

} // namespace

class TestPlayedSound : public QObject
{
    Q_OBJECT

    qint16 m_next = 1;

    // The next count samples of a sound whose every sample tells its place.
    void Play(size_t count)
    {
        std::vector<qint16> samples(count);
        for (qint16& sample : samples) {
            sample = m_next;
            m_next = qint16(m_next % 30000 + 1);
        }
        GstBuffer* buffer = gst_buffer_new_memdup(samples.data(), count * sizeof(qint16));
        rtcmedia::inner::Played(5, buffer, 1);
        gst_buffer_unref(buffer);
    }

private slots:
    void initTestCase() { gst_init(nullptr, nullptr); }

    void twoMarginsStayApartThroughStallsAndBursts()
    {
        PlayedReader farEnd(2400);
        PlayedReader echo(3840);
        std::vector<qint16> heardFar;
        std::vector<qint16> heardEcho;
        // Per 10 ms of the microphone, the 20 ms buffers that arrive: a
        // burst at the start, even, late by a little, a stall the readers
        // run dry in, a burst after it, silence told afterwards.
        const std::vector<int> arrivals = { 12, 0, 1, 0, 1, 0, 1, 0, 0, 2, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
            0, 6, 0, 1, 0, 1, 0, 3, 0, 0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, -12, 1, 0, 1, 0, 1, 0, 1 };
        for (int round = 0; round < 3; ++round) {
            for (int arriving : arrivals) {
                if (arriving < 0)
                    rtcmedia::inner::PlayedQuiet(5, kChunk * size_t(-arriving));
                for (int i = 0; i < arriving; ++i)
                    Play(kChunk);
                for (auto [reader, heard] : { std::pair(&farEnd, &heardFar), std::pair(&echo, &heardEcho) }) {
                    heard->resize(heard->size() + kTake);
                    reader->Take(heard->data() + heard->size() - kTake, kTake);
                }
            }
        }
        // What the echo path plays, the far end played 30 ms before. Both
        // readers are set back onto their margins at once, where the echo
        // of the far end's skip would come 30 ms later: those 30 ms after
        // each stall differ, and nothing else.
        int compared = 0;
        int apart = 0;
        for (size_t i = 1440; i < heardEcho.size(); ++i) {
            if (heardEcho[i] == 0 || heardFar[i - 1440] == 0)
                continue;
            ++compared;
            apart += heardEcho[i] != heardFar[i - 1440];
        }
        QVERIFY2(compared > int(heardEcho.size()) / 4, qPrintable(QString::number(compared)));
        QVERIFY2(apart <= compared / 5, qPrintable(QStringLiteral("%1 of %2 apart").arg(apart).arg(compared)));
    }
};

PLOVIX_TEST(TestPlayedSound)
#include "tst_PlayedSound.moc"
