#include "IceServers.h"

#include <QDebug>
#include <QJsonObject>
#include <QUrl>

namespace rtcnet {

namespace {

// More would only lengthen the gathering.
constexpr int kMostRelays = 8;
constexpr int kLongestText = 512;

bool Text(const QJsonValue& value, QString* out)
{
    if (!value.isString() || value.toString().size() > kLongestText)
        return false;
    *out = value.toString();
    return true;
}

} // namespace

QList<IceRelay> ParseRelays(const QJsonArray& list)
{
    QList<IceRelay> relays;
    for (const QJsonValue& entry : list) {
        const QJsonObject server = entry.toObject();
        QString user;
        QString password;
        if (!Text(server.value(QLatin1String("username")), &user)
            || !Text(server.value(QLatin1String("credential")), &password)) {
            qWarning() << "RTC engine: a relay without a user name and a password is dropped";
            continue;
        }
        QJsonArray urls = server.value(QLatin1String("urls")).toArray();
        if (server.value(QLatin1String("urls")).isString())
            urls.append(server.value(QLatin1String("urls")));
        for (const QJsonValue& url : urls) {
            QString text;
            if (relays.size() >= kMostRelays)
                return relays;
            // "turn:host:port?transport=tcp", as WebRTC writes it.
            const int colon = Text(url, &text) ? text.indexOf(QLatin1Char(':')) : -1;
            const QString scheme = text.left(colon);
            const QUrl address(QStringLiteral("x://") + text.mid(colon + 1), QUrl::StrictMode);
            const QString transport = address.query() == QLatin1String("transport=udp")          ? QStringLiteral("udp")
                : address.query().isEmpty() || address.query() == QLatin1String("transport=tcp") ? QStringLiteral("tcp")
                                                                                                 : QString();
            if ((scheme != QLatin1String("turn") && scheme != QLatin1String("turns")) || !address.isValid()
                || address.host().isEmpty() || !address.path().isEmpty() || !address.userInfo().isEmpty()
                || transport.isEmpty()) {
                qWarning().noquote() << "RTC engine: not a relay address, dropped:" << text.left(80);
                continue;
            }
            IceRelay relay;
            relay.user = user;
            relay.password = password;
            relay.tls = scheme == QLatin1String("turns");
            relay.host = address.host();
            relay.port = quint16(address.port(relay.tls ? 443 : 3478));
            relay.transport = relay.tls ? QStringLiteral("tcp") : transport;
            relays << relay;
        }
    }
    return relays;
}

QString TurnUri(const IceRelay& relay, const QString& host, quint16 port)
{
    // Escaped text holds '%': joined, never through arg().
    return QStringLiteral("turn://") + QString::fromLatin1(QUrl::toPercentEncoding(relay.user)) + QLatin1Char(':')
        + QString::fromLatin1(QUrl::toPercentEncoding(relay.password)) + QLatin1Char('@') + host + QLatin1Char(':')
        + QString::number(port) + QStringLiteral("?transport=") + relay.transport;
}

} // namespace rtcnet
