#include "RemotePeer.h"

#include "ServiceFixture.h"

#include <QCoreApplication>
#include <QDebug>
#include <QJsonDocument>

RemotePeer::RemotePeer(const ServiceFixture& service, const QString& channel, unsigned uid)
    : RemotePeer(service, channel, uid, Options())
{ }

RemotePeer::RemotePeer(const ServiceFixture& service, const QString& channel, unsigned uid, const Options& options)
    : m_service(service)
    , m_channel(channel)
    , m_uid(uid)
    , m_options(options)
{ }

RemotePeer::~RemotePeer()
{
    Stop();
}

QJsonObject RemotePeer::FetchKeyRoad(const ServiceFixture& service, const QString& channel, unsigned uid)
{
    const QByteArray answer
        = service.ControlCall("GET", QStringLiteral("/api/agora/room/%1/%2/token").arg(channel).arg(uid));
    return QJsonDocument::fromJson(answer).object();
}

QPair<QString, QString> RemotePeer::FetchKey(const ServiceFixture& service, const QString& channel, unsigned uid)
{
    const QJsonObject reply = FetchKeyRoad(service, channel, uid);
    return { reply.value(QLatin1String("channelKey")).toString(), reply.value(QLatin1String("appId")).toString() };
}

bool RemotePeer::Start()
{
    const QJsonObject road = FetchKeyRoad(m_service, m_channel, m_uid);
    const QPair<QString, QString> issued { road.value(QLatin1String("channelKey")).toString(),
        road.value(QLatin1String("appId")).toString() };
    if (issued.second.isEmpty()) {
        m_error = QStringLiteral("the key road gave no media server");
        return false;
    }
    m_key = m_options.key.isEmpty() ? issued.first : m_options.key;
    QStringList args { "--app", issued.second, "--key", m_key, "--channel", m_channel, "--uid",
        QString::number(m_uid) };
    if (m_options.audience)
        args << QStringLiteral("--audience");
    if (m_options.relays)
        args << QStringLiteral("--relays")
             << QString::fromUtf8(
                    QJsonDocument(road.value(QLatin1String("relays")).toArray()).toJson(QJsonDocument::Compact));
    if (m_options.toneHz > 0)
        args << QStringLiteral("--tone") << QString::number(m_options.toneHz);
    if (!m_options.show.isEmpty())
        args << QStringLiteral("--show") << m_options.show;
    if (m_options.cameraOff)
        args << QStringLiteral("--camera-off");
    if (m_options.muted)
        args << QStringLiteral("--muted");
    if (m_options.echo)
        args << QStringLiteral("--echo");
    if (m_options.raw)
        args << QStringLiteral("--raw");
    // Its complaints go to the test's output; its events come back here.
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // Its views are drawn nowhere, also when the test runs on an X server:
    // there its hidden views would become X windows and its GUI thread
    // would wait on a server the whole suite shares.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    m_process.setProcessEnvironment(environment);
    if (m_options.netns.isEmpty()) {
        m_process.start(QStringLiteral(PLOVIX_RTC_PEER), args);
    } else {
        args.prepend(QStringLiteral(PLOVIX_RTC_PEER));
        args.prepend(QStringLiteral("--net=") + m_options.netns);
        m_process.start(QStringLiteral("nsenter"), args);
    }
    if (!m_process.waitForStarted(10000)) {
        m_error = QStringLiteral("rtc_peer did not start: ") + m_process.errorString();
        return false;
    }
    if (WaitFor(QStringLiteral("ready"), {}, 10000).isEmpty()) {
        m_error = QStringLiteral("rtc_peer did not get ready");
        return false;
    }
    return true;
}

void RemotePeer::Stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    Send(QStringLiteral("quit"));
    m_process.closeWriteChannel();
    if (!m_process.waitForFinished(10000)) {
        qWarning() << "rtc_peer" << m_uid << "did not quit; killed";
        m_process.kill();
        m_process.waitForFinished(3000);
    }
    Collect();
}

bool RemotePeer::Send(const QString& command)
{
    if (m_process.state() != QProcess::Running)
        return false;
    const QByteArray line = command.toUtf8() + '\n';
    return m_process.write(line) == line.size() && m_process.waitForBytesWritten(3000);
}

void RemotePeer::Collect()
{
    m_partial += m_process.readAllStandardOutput();
    int end = 0;
    while ((end = m_partial.indexOf('\n')) >= 0) {
        const QByteArray line = m_partial.left(end).trimmed();
        m_partial.remove(0, end + 1);
        const QJsonObject event = QJsonDocument::fromJson(line).object();
        if (event.contains(QLatin1String("event")))
            m_events << event;
        else if (!line.isEmpty())
            qWarning() << "rtc_peer" << m_uid << "printed" << line;
    }
}

void RemotePeer::Idle(int ms)
{
    // The test's own engine posts its callbacks to this thread.
    QCoreApplication::processEvents(QEventLoop::AllEvents, ms);
    m_process.waitForReadyRead(ms);
}
