#include "RtcJson.h"

namespace RtcJson {

QString Quote(const QString& text)
{
    QString quoted;
    quoted.reserve(text.size() + 2);
    quoted += QLatin1Char('"');
    for (const QChar c : text) {
        const ushort u = c.unicode();
        switch (u) {
        case '"':
            quoted += QLatin1String("\\\"");
            break;
        case '\\':
            quoted += QLatin1String("\\\\");
            break;
        case '\n':
            quoted += QLatin1String("\\n");
            break;
        case '\r':
            quoted += QLatin1String("\\r");
            break;
        case '\t':
            quoted += QLatin1String("\\t");
            break;
        default:
            if (u < 0x20 || u > 0x7E)
                quoted += QStringLiteral("\\u%1").arg(u, 4, 16, QLatin1Char('0'));
            else
                quoted += c;
        }
    }
    quoted += QLatin1Char('"');
    return quoted;
}

QString Bool(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

} // namespace RtcJson
