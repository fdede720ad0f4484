#include "QOptions.h"

#include <QDebug>

namespace {

const QString kLong = QStringLiteral("--");
const QString kShort = QStringLiteral("-");
constexpr int kNameField = 33;

} // namespace

QOptions::Option::Option(OptionType type, const char* names, const QVariant& defaultValue, const QString& description)
    : m_type(type)
    , m_description(description)
    , m_defaultValue(defaultValue)
{
    setNames(QString::fromLatin1(names));
}

void QOptions::Option::setNames(const QString& names)
{
    m_shortName.clear();
    m_longName.clear();
    const int comma = names.indexOf(QLatin1Char(','));
    if (comma <= 0) {
        if (names.startsWith(kLong))
            m_longName = names.mid(2);
        else if (names.startsWith(kShort))
            m_shortName = names.mid(1);
        else
            m_shortName = names;
        return;
    }
    const QString first = names.left(comma);
    const QString second = names.mid(comma + 1);
    if (first.startsWith(kLong)) {
        m_longName = first.mid(2);
        if (!second.startsWith(kLong))
            m_shortName = second.startsWith(kShort) ? second.mid(1) : second;
    } else if (first.startsWith(kShort)) {
        m_shortName = first.mid(1);
        if (second.startsWith(kLong))
            m_longName = second.mid(2);
        else if (!second.startsWith(kShort))
            m_longName = second;
    } else if (second.startsWith(kLong)) {
        m_longName = second.mid(2);
        m_shortName = first;
    } else {
        m_shortName = second.startsWith(kShort) ? second.mid(1) : second;
        m_longName = first;
    }
}

QString QOptions::Option::formatName() const
{
    if (!m_shortName.isEmpty() && !m_longName.isEmpty())
        return QStringLiteral("-%1 [--%2]").arg(m_shortName, m_longName);
    if (!m_longName.isEmpty())
        return kLong + m_longName;
    return kShort + m_shortName;
}

QString QOptions::Option::help() const
{
    QString names = formatName();
    if (m_type == SingleValue)
        names += QStringLiteral(" value");
    else if (m_type == MultiValue)
        names += QStringLiteral(" value1 ... valueN");
    QString line = names.leftJustified(kNameField) + m_description;
    if (m_defaultValue.isValid() && !m_defaultValue.toString().isEmpty())
        line += QStringLiteral(" (default: ") + m_defaultValue.toString() + QLatin1Char(')');
    return line;
}

QOptions& QOptions::setDescription(const QString& description)
{
    m_description = description;
    return *this;
}

QOptions& QOptions::setGroup(const QString& group)
{
    m_currentGroup = group;
    return *this;
}

QOptions& QOptions::add(const char* names, const QVariant& defaultValue, const QString& description)
{
    m_groups.insert(m_options.size(), m_currentGroup);
    m_options.append(Option(SingleValue, names, defaultValue, description));
    return *this;
}

QOptions& QOptions::addFlag(const char* names, const QString& description)
{
    m_groups.insert(m_options.size(), m_currentGroup);
    m_options.append(Option(NoValue, names, QVariant(), description));
    return *this;
}

QOptions::Option QOptions::option(const QString& name) const
{
    if (name.isEmpty())
        return Option();
    for (const Option& candidate : m_options) {
        if (candidate.shortName() == name || candidate.longName() == name)
            return candidate;
    }
    return Option();
}

QString QOptions::help() const
{
    QString text = m_description;
    QStringList groups;
    for (const QString& group : m_groups) {
        if (!groups.contains(group))
            groups.append(group);
    }
    for (const QString& group : qAsConst(groups)) {
        text += QLatin1Char('\n') + group;
        for (auto entry = m_groups.cbegin(); entry != m_groups.cend(); ++entry) {
            if (entry.value() == group)
                text += QStringLiteral("\n  ") + m_options.at(entry.key()).help();
        }
    }
    return text;
}

void QOptions::print() const
{
    qDebug("%s", help().toUtf8().constData());
}
