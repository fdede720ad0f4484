#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QVariant>

// The player's table of options with their defaults, grouped for the usage
// text. Nothing fills it from a command line: an option reports its value
// only when one was given, else its default. A value type.
class QOptions
{
public:
    enum OptionType { NoValue = 0, SingleValue = 1, MultiValue = 2 };

    class Option
    {
    public:
        Option() = default;
        Option(OptionType type, const char* names, const QVariant& defaultValue, const QString& description);

        // The names from a text such as "help,h", "-egl", "decoders,-vd" or
        // "--width": "-" marks a short name, "--" a long one; without marks
        // the part after a comma is the short name.
        void setNames(const QString& names);
        OptionType type() const { return m_type; }
        QString shortName() const { return m_shortName; }
        QString longName() const { return m_longName; }
        QString description() const { return m_description; }
        QVariant defaultValue() const { return m_defaultValue; }
        // The value given, else the default.
        QVariant value() const { return m_value.isValid() ? m_value : m_defaultValue; }
        void setValue(const QVariant& value) { m_value = value; }
        bool isSet() const { return m_value.isValid(); }
        // "-s [--long]", "--long" or "-s".
        QString formatName() const;
        // The option's line of the usage text.
        QString help() const;

    private:
        OptionType m_type = NoValue;
        QString m_shortName;
        QString m_longName;
        QString m_description;
        QVariant m_defaultValue;
        QVariant m_value;
    };

    QOptions& setDescription(const QString& description);
    // The group that the options added from now on join.
    QOptions& setGroup(const QString& group);
    QOptions& add(const char* names, const QVariant& defaultValue, const QString& description);
    QOptions& addFlag(const char* names, const QString& description);

    // A copy of the first option with that short or long name (compared
    // case-sensitively); an empty option, whose value is invalid, when none.
    Option option(const QString& name) const;
    QVariant value(const QString& name) const { return option(name).value(); }

    // The description, then each group with its options' lines.
    QString help() const;
    // Writes the usage text to the log.
    void print() const;

private:
    QString m_description;
    QString m_currentGroup;
    QList<Option> m_options;
    // Option (by its position in m_options) to its group.
    QMap<int, QString> m_groups;
};
