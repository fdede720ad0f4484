#include "ServiceFixture.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QTcpSocket>
#include <QUrlQuery>

namespace {
const char kReady[] = "PLOVIX-SERVICE READY ";
const int kStartLimitMs = 15000;
const int kControlLimitMs = 10000;
} // namespace

ServiceFixture::~ServiceFixture()
{
    Stop();
}

bool ServiceFixture::Start(bool https, const QStringList& extraArgs)
{
    Stop();
    m_error.clear();
    m_process.setWorkingDirectory(QStringLiteral(PLOVIX_SERVICE_DIR));
    m_process.setReadChannel(QProcess::StandardOutput);
    // The service's complaints go to the test's output.
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QStringList args { QStringLiteral("-m"), QStringLiteral("plovix_service"), QStringLiteral("--exit-with-stdin") };
    if (https)
        args << QStringLiteral("--https");
    args << extraArgs;
    m_process.start(QStringLiteral("/usr/bin/python3"), args);
    if (!m_process.waitForStarted(kStartLimitMs)) {
        m_error = QStringLiteral("the service did not start: ") + m_process.errorString();
        return false;
    }
    QElapsedTimer clock;
    clock.start();
    QByteArray line;
    while (clock.elapsed() < kStartLimitMs) {
        if (!m_process.canReadLine() && !m_process.waitForReadyRead(200)) {
            if (m_process.state() != QProcess::Running)
                break;
            continue;
        }
        while (m_process.canReadLine()) {
            line = m_process.readLine().trimmed();
            if (!line.startsWith(kReady))
                continue;
            if (!TakeReady(QJsonDocument::fromJson(line.mid(int(sizeof(kReady)) - 1)).object())) {
                m_error = QStringLiteral("unreadable ready line: ") + QString::fromUtf8(line);
                Stop();
                return false;
            }
            return true;
        }
    }
    m_error = QStringLiteral("no ready line from the service within 15 s (state %1, last output \"%2\")")
                  .arg(m_process.state())
                  .arg(QString::fromUtf8(line));
    Stop();
    return false;
}

bool ServiceFixture::TakeReady(const QJsonObject& ready)
{
    m_ready = ready;
    m_httpPort = ready.value(QLatin1String("http")).toInt();
    m_httpsPort = ready.value(QLatin1String("https")).toInt();
    m_untrustedPort = ready.value(QLatin1String("untrusted")).toInt();
    m_caPath = ready.value(QLatin1String("ca")).toString();
    m_candidates.clear();
    m_tlsCandidates.clear();
    for (const QJsonValue port : ready.value(QLatin1String("candidates")).toArray())
        m_candidates << port.toInt();
    for (const QJsonValue port : ready.value(QLatin1String("tls_candidates")).toArray())
        m_tlsCandidates << port.toInt();
    return m_httpPort != 0;
}

bool ServiceFixture::Attach(const QJsonObject& ready)
{
    Stop();
    m_error.clear();
    if (TakeReady(ready))
        return true;
    m_error = QStringLiteral("no service to attach to");
    m_httpPort = m_httpsPort = m_untrustedPort = 0;
    return false;
}

void ServiceFixture::Stop()
{
    m_httpPort = m_httpsPort = m_untrustedPort = 0;
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.closeWriteChannel();
    m_process.terminate();
    if (!m_process.waitForFinished(3000)) {
        m_process.kill();
        m_process.waitForFinished(3000);
    }
}

static QUrl Local(const char* scheme, int port, const QString& path)
{
    QUrl url;
    url.setScheme(QLatin1String(scheme));
    url.setHost(QStringLiteral("127.0.0.1"));
    url.setPort(port);
    const int query = path.indexOf(QLatin1Char('?'));
    url.setPath(query < 0 ? path : path.left(query));
    if (query >= 0)
        url.setQuery(path.mid(query + 1));
    return url;
}

QUrl ServiceFixture::HttpUrl(const QString& path) const
{
    return Local("http", m_httpPort, path);
}

QUrl ServiceFixture::HttpsUrl(const QString& path) const
{
    return Local("https", m_httpsPort, path);
}

QUrl ServiceFixture::UntrustedUrl(const QString& path) const
{
    return Local("https", m_untrustedPort, path);
}

QString ServiceFixture::HttpBase() const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(m_httpPort);
}

QByteArray ServiceFixture::Control(const QByteArray& method, const QString& target, const QByteArray& body) const
{
    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), quint16(m_httpPort));
    if (!socket.waitForConnected(kControlLimitMs))
        return QByteArray();
    QByteArray request = method + ' ' + target.toUtf8() + " HTTP/1.0\r\nHost: 127.0.0.1\r\n";
    request += "Content-Type: application/json\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n\r\n";
    socket.write(request + body);
    QByteArray answer;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < kControlLimitMs) {
        if (socket.waitForReadyRead(200))
            answer += socket.readAll();
        else if (socket.state() != QAbstractSocket::ConnectedState)
            break;
    }
    answer += socket.readAll();
    const int split = answer.indexOf("\r\n\r\n");
    if (!answer.startsWith("HTTP/") || split < 0)
        return QByteArray();
    return answer.mid(split + 4);
}

QByteArray ServiceFixture::ControlCall(const QByteArray& method, const QString& target, const QJsonObject& body) const
{
    return Control(method, target, body.isEmpty() ? QByteArray() : QJsonDocument(body).toJson(QJsonDocument::Compact));
}

bool ServiceFixture::SetRule(const QString& path, QJsonObject rule)
{
    rule.insert(QStringLiteral("path"), path);
    const QByteArray answer
        = Control("POST", QStringLiteral("/_control/rules"), QJsonDocument(rule).toJson(QJsonDocument::Compact));
    return QJsonDocument::fromJson(answer).object().value(QLatin1String("ok")).toBool();
}

bool ServiceFixture::ClearRule(const QString& path)
{
    return SetRule(path, QJsonObject { { "action", "none" } });
}

static QJsonObject Counted(QJsonObject rule, int count)
{
    if (count >= 0)
        rule.insert(QStringLiteral("count"), count);
    return rule;
}

bool ServiceFixture::Delay(const QString& path, int ms, int count)
{
    return SetRule(path, Counted({ { "action", "delay" }, { "ms", ms } }, count));
}

bool ServiceFixture::Trickle(const QString& path, int chunk, int intervalMs)
{
    return SetRule(path, { { "action", "trickle" }, { "chunk", chunk }, { "interval_ms", intervalMs } });
}

bool ServiceFixture::CutAfter(const QString& path, int bytes, int count)
{
    return SetRule(path, Counted({ { "action", "cut" }, { "after", bytes } }, count));
}

bool ServiceFixture::Status(const QString& path, int status, int count)
{
    return SetRule(path, Counted({ { "action", "status" }, { "status", status } }, count));
}

bool ServiceFixture::Redirect(const QString& path, const QString& location)
{
    return SetRule(path, { { "action", "redirect" }, { "location", location } });
}

bool ServiceFixture::Stall(const QString& path, int afterBytes)
{
    QJsonObject rule { { "action", "stall" } };
    if (afterBytes >= 0)
        rule.insert(QStringLiteral("after"), afterBytes);
    return SetRule(path, rule);
}

bool ServiceFixture::Body(const QString& path, const QByteArray& content, const QString& contentType)
{
    return SetRule(
        path, { { "action", "body" }, { "content", QString::fromUtf8(content) }, { "content_type", contentType } });
}

bool ServiceFixture::Huge(const QString& path, qint64 bytes)
{
    return SetRule(path, { { "action", "huge" }, { "size", double(bytes) } });
}

bool ServiceFixture::Reset()
{
    const QByteArray answer = Control("POST", QStringLiteral("/_control/reset"));
    return QJsonDocument::fromJson(answer).object().value(QLatin1String("ok")).toBool();
}

bool ServiceFixture::LoadSchool(const QJsonObject& fixture)
{
    const QByteArray answer
        = Control("POST", QStringLiteral("/_control/school"), QJsonDocument(fixture).toJson(QJsonDocument::Compact));
    return QJsonDocument::fromJson(answer).object().value(QLatin1String("ok")).toBool();
}

QJsonArray ServiceFixture::Requests(const QString& path) const
{
    QString target = QStringLiteral("/_control/requests");
    if (!path.isEmpty()) {
        QUrlQuery query;
        query.addQueryItem(QStringLiteral("path"), path);
        target += QLatin1Char('?') + query.toString(QUrl::FullyEncoded);
    }
    return QJsonDocument::fromJson(Control("GET", target)).array();
}

QStringList ServiceFixture::RequestedPaths(const QStringList& prefixes) const
{
    QStringList paths;
    for (const QJsonValue& request : Requests()) {
        const QString path = request.toObject().value(QLatin1String("path")).toString();
        for (const QString& prefix : prefixes) {
            if (path.startsWith(prefix)) {
                paths << path;
                break;
            }
        }
    }
    return paths;
}

bool ServiceFixture::StopMediaServer()
{
    const QByteArray answer = Control("POST", QStringLiteral("/_control/media/stop"));
    return QJsonDocument::fromJson(answer).object().value(QLatin1String("url")).toString() == MediaUrl();
}

bool ServiceFixture::StartMediaServer()
{
    const QByteArray answer = Control("POST", QStringLiteral("/_control/media/start"));
    return QJsonDocument::fromJson(answer).object().value(QLatin1String("url")).toString() == MediaUrl();
}

bool ServiceFixture::RestartMediaServer()
{
    const QByteArray answer = Control("POST", QStringLiteral("/_control/media/restart"));
    return QJsonDocument::fromJson(answer).object().value(QLatin1String("url")).toString() == MediaUrl();
}
