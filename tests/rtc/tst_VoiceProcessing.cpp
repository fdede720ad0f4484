// The lesson's voice through the echo canceller, the noise suppressor and
// the gain control: two participants through the local service's media
// server, the student's speaker coming back into its microphone through
// the demo's echo path; the same lesson without processing is the
// measure.
#include "ServiceFixture.h"
#include "TestRegistry.h"
#include "VoiceLesson.h"

#include <QTest>
#include <cmath>

class TestVoiceProcessing : public QObject
{
    Q_OBJECT

    ServiceFixture m_service;
    VoiceFigures m_raw;
    VoiceFigures m_processed;

private slots:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty("PLOVIX_MEDIA_ADDR"))
            QSKIP("needs the media network namespace: run through tools/netns.sh");
        qputenv("PLOVIX_MEDIA_DEMO", "1");
        QVERIFY2(m_service.Start(false, { QStringLiteral("--media-server") }), qPrintable(m_service.ErrorText()));
        const QString raw = MeasureVoice(m_service, QStringLiteral("R101"), false, &m_raw);
        QVERIFY2(raw.isEmpty(), qPrintable(raw));
        const QString processed = MeasureVoice(m_service, QStringLiteral("R102"), true, &m_processed);
        QVERIFY2(processed.isEmpty(), qPrintable(processed));
        qInfo("raw: echo %.1f, double talk %.1f, voice %.1f, noise %.1f, speech %.1f dB", m_raw.echo, m_raw.doubleTalk,
            m_raw.voice, m_raw.noise, m_raw.speech);
        qInfo("processed: echo %.1f, double talk %.1f, voice %.1f, noise %.1f, speech %.1f dB", m_processed.echo,
            m_processed.doubleTalk, m_processed.voice, m_processed.noise, m_processed.speech);
    }

    void cleanupTestCase() { m_service.Stop(); }

    void theEchoDoesNotComeBack()
    {
        // Without processing the teacher hears the own voice come back
        // loudly; the canceller takes at least 25 dB of it away.
        QVERIFY2(m_raw.echo > -50, qPrintable(QString::number(m_raw.echo)));
        const double taken = m_raw.echo - m_processed.echo;
        QVERIFY2(taken >= 25, qPrintable(QStringLiteral("only %1 dB of the echo taken away").arg(taken)));
    }

    void theStudentIsHeardWhileBothSpeak()
    {
        QVERIFY2(std::abs(m_processed.doubleTalk - m_raw.voice) <= 6,
            qPrintable(QStringLiteral("%1 dB against %2 dB").arg(m_processed.doubleTalk).arg(m_raw.voice)));
    }

    void theNoiseIsSuppressedAndTheWordsKept()
    {
        QVERIFY2(std::abs(m_processed.speech - m_raw.speech) <= 3,
            qPrintable(QStringLiteral("words %1 dB against %2 dB").arg(m_processed.speech).arg(m_raw.speech)));
        QVERIFY2(m_raw.noise - m_processed.noise >= 10,
            qPrintable(QStringLiteral("noise %1 dB against %2 dB").arg(m_processed.noise).arg(m_raw.noise)));
    }
};

PLOVIX_TEST(TestVoiceProcessing)
#include "tst_VoiceProcessing.moc"
