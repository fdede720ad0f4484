#include "EngineLog.h"

#include "app/SharedFunctions.h"

#include <QFile>
#include <QJsonDocument>
#include <QMutex>
#include <QRegularExpression>
#include <QSet>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace rtclog {

namespace {

constexpr mode_t kOwnerOnly = S_IRUSR | S_IWUSR;

// The text with every match of pattern replaced by what shown makes of it.
QString Replaced(const QString& text, const QRegularExpression& pattern,
    const std::function<QString(const QRegularExpressionMatch&)>& shown)
{
    QString result;
    qsizetype last = 0;
    auto match = pattern.globalMatch(text);
    while (match.hasNext()) {
        const QRegularExpressionMatch m = match.next();
        result += text.mid(last, m.capturedStart() - last) + shown(m);
        last = m.capturedEnd();
    }
    return result + text.mid(last);
}

// Opens path for writing with the owner's rights only, whatever rights an
// earlier file there had; -1 when it cannot. A link is never followed.
int OpenPrivate(const QString& path, int flags)
{
    const int fd
        = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW | flags, kOwnerOnly);
    if (fd >= 0 && ::fchmod(fd, kOwnerOnly) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace

QString Hidden(const QString& line)
{
    // A JSON argument (setObject, setParameters) runs to the end of the line.
    QString head = line;
    QString tail;
    static const QRegularExpression jsonStart(QStringLiteral(" [{\\[]"));
    if (const qsizetype at = line.indexOf(jsonStart); at >= 0) {
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(line.mid(at + 1).toUtf8(), &error);
        if (error.error == QJsonParseError::NoError) {
            head = line.left(at + 1);
            tail = LoggableJson(document);
        }
    }
    // String members of JSON under a secret's name, in text that may not
    // parse.
    static const QRegularExpression member(QStringLiteral("(\"([^\"\\\\]*)\"\\s*:\\s*)\"(?:[^\"\\\\]|\\\\.)*\""));
    head = Replaced(head, member, [](const QRegularExpressionMatch& m) {
        return IsSecretName(m.captured(2)) ? m.captured(1) + QStringLiteral("\"***\"") : m.captured(0);
    });

    // "name value": the parameter setters name what they set.
    static const QRegularExpression setter(QStringLiteral("^(set(?:String|Int|Bool|Object) (\\S+) )"));
    const QRegularExpressionMatch named = setter.match(head);
    if (named.hasMatch() && IsSecretName(named.captured(2)))
        return named.captured(1) + QStringLiteral("***");

    // "name=value" fields.
    static const QRegularExpression field(QStringLiteral("(^|\\s)([^\\s=]+)=(\\S+)"));
    return Replaced(head, field, [](const QRegularExpressionMatch& m) {
        const QString value = m.captured(3);
        QString held = value;
        if (IsSecretName(m.captured(2)))
            held = QStringLiteral("***");
        else if (value.contains(QLatin1String("://")))
            held = LoggableUrl(value);
        return m.captured(1) + m.captured(2) + QLatin1Char('=') + held;
    }) + tail;
}

void Begin(const QString& path)
{
    static QMutex mutex;
    static QSet<QString> begun;
    QMutexLocker lock(&mutex);
    const bool first = !begun.contains(path);
    const int fd = OpenPrivate(path, first ? O_TRUNC : O_APPEND);
    if (fd >= 0) {
        ::close(fd);
        begun.insert(path);
    }
}

bool Append(const QString& path, const QByteArray& text)
{
    const int fd = OpenPrivate(path, O_APPEND);
    if (fd < 0)
        return false;
    qsizetype written = 0;
    while (written < text.size()) {
        const ssize_t n = ::write(fd, text.constData() + written, size_t(text.size() - written));
        if (n <= 0)
            break;
        written += n;
    }
    ::close(fd);
    return written == text.size();
}

} // namespace rtclog
