#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QUrl>

// The local classroom service (tests/service) as a child process on
// loopback, for one test class: start it, point requests at it, make paths
// misbehave, read what it received. The control calls are synchronous and
// run no event loop, so they never deliver a test's queued signals.
class ServiceFixture
{
public:
    ServiceFixture() = default;
    ~ServiceFixture();
    ServiceFixture(const ServiceFixture&) = delete;
    ServiceFixture& operator=(const ServiceFixture&) = delete;

    // Starts the service (with its two HTTPS ports when https is set, and
    // extra command-line options) and waits up to 15 s for its ready line;
    // false with ErrorText() otherwise.
    bool Start(bool https = false, const QStringList& extraArgs = {});
    // Uses a service that another process started, given its ReadyInfo();
    // it is never stopped from here.
    bool Attach(const QJsonObject& ready);
    // The service's ports and test CA, for another process's Attach.
    QJsonObject ReadyInfo() const { return m_ready; }
    void Stop();
    bool IsRunning() const { return m_httpPort != 0; }
    QString ErrorText() const { return m_error; }

    // Addresses; path starts with "/".
    QUrl HttpUrl(const QString& path = QStringLiteral("/")) const;
    // Certificate from the test CA (CaPath()).
    QUrl HttpsUrl(const QString& path = QStringLiteral("/")) const;
    // Self-signed certificate that nobody trusts.
    QUrl UntrustedUrl(const QString& path = QStringLiteral("/")) const;
    QString CaPath() const { return m_caPath; }
    int HttpsPort() const { return m_httpsPort; }
    // The extra ports standing for candidate classroom servers (over TLS
    // when tls is set and the service runs with TLS).
    QList<int> CandidatePorts(bool tls) const { return tls ? m_tlsCandidates : m_candidates; }
    // "http://127.0.0.1:<port>", for PLOVIX_CONFIG_HOST and the like.
    QString HttpBase() const;
    // The media server's WebSocket address when the service was started
    // with "--media-server" and could run one, else empty.
    QString MediaUrl() const { return m_ready.value(QLatin1String("media")).toString(); }
    // Stops the media server and starts it again on the same port, with the
    // rooms and keys it had; false when it does not come back.
    bool RestartMediaServer();
    // The media server stopped, and started again at the same address.
    bool StopMediaServer();
    bool StartMediaServer();

    // Makes path misbehave; rule holds "action" and its parameters, and
    // optionally "count" (only the next count requests). Actions:
    // delay {ms}, trickle {chunk, interval_ms}, cut {after}, status {status},
    // redirect {location, status}, stall {after: omitted = no answer at all},
    // body {content, content_type, status}, huge {size}, drop {ms} (served,
    // then cut after ms: a WebSocket accepted and dropped).
    bool SetRule(const QString& path, QJsonObject rule);
    bool ClearRule(const QString& path);
    bool Delay(const QString& path, int ms, int count = -1);
    bool Trickle(const QString& path, int chunk, int intervalMs);
    bool CutAfter(const QString& path, int bytes, int count = -1);
    bool Status(const QString& path, int status, int count = -1);
    bool Redirect(const QString& path, const QString& location);
    bool Stall(const QString& path, int afterBytes = -1);
    bool Body(const QString& path, const QByteArray& content, const QString& contentType = "application/json");
    bool Huge(const QString& path, qint64 bytes);
    // Forgets every rule and every recorded request.
    bool Reset();
    // Replaces the school's data with a fixture (the format of
    // fixtures/demo_school.json); its times count from now.
    bool LoadSchool(const QJsonObject& fixture);

    // Every request received (for path, or all), oldest first: objects with
    // "method", "path", "query" (decoded), "raw_query" (as sent), "headers",
    // "body", "size" and "parts"
    // (each "name", "filename", "content_type", "disposition", "size",
    // "text", "base64").
    QJsonArray Requests(const QString& path = QString()) const;
    int RequestCount(const QString& path) const { return Requests(path).size(); }
    // The paths received that start with one of the prefixes, oldest first.
    QStringList RequestedPaths(const QStringList& prefixes) const;

    // One call of the control API (target starts with "/_control/"); the
    // answer's body, empty when there was none.
    QByteArray ControlCall(const QByteArray& method, const QString& target, const QJsonObject& body = {}) const;

private:
    // One HTTP/1.0 exchange with the control API over a blocking socket.
    QByteArray Control(const QByteArray& method, const QString& target, const QByteArray& body = QByteArray()) const;

    // Takes the ports and CA of a ready line; false when it names no port.
    bool TakeReady(const QJsonObject& ready);

    QProcess m_process;
    QJsonObject m_ready;
    QString m_error;
    QString m_caPath;
    int m_httpPort = 0;
    int m_httpsPort = 0;
    int m_untrustedPort = 0;
    QList<int> m_candidates;
    QList<int> m_tlsCandidates;
};
