#include "EmojiEntry.h"

#include <QStringList>

namespace {
const QString kScaleFolder = QStringLiteral("x1.5");
}

const QVector<EmojiEntry>& EmojiEntry::Table()
{
    static const QVector<EmojiEntry> table = [] {
        const QStringList names { "e_angry", "e_beaming", "e_blowing_kiss", "e_confused", "e_crying",
            "e_disappointed_but_relieved", "e_downcast_sweat", "e_fearful", "e_grimacing", "e_grinning",
            "e_grinning_squinting", "e_grinning_sweat", "e_kissing", "e_loudly_crying", "e_neutral", "e_pensive",
            "e_pouting", "e_savoring_food", "e_sleepy", "e_slightly_smiling", "e_smiling", "e_smiling_heart_eyes",
            "e_smiling_sunglasses", "e_smirking", "e_steam_from_nose", "e_tears", "e_unamused", "e_winking",
            "e_winking_tongue" };
        QVector<EmojiEntry> entries;
        for (const QString& name : names)
            entries.append({ QLatin1Char(':') + name, QStringLiteral(":/resource/emoji/%1/") + name + ".png" });
        return entries;
    }();
    return table;
}

QString EmojiEntry::PathOfCode(const QString& text)
{
    for (const EmojiEntry& entry : Table()) {
        if (entry.code == text)
            return entry.pathTemplate.arg(kScaleFolder);
    }
    return QString();
}

QString EmojiEntry::CodeOfPath(const QString& path)
{
    for (const EmojiEntry& entry : Table()) {
        if (entry.pathTemplate.arg(kScaleFolder) == path)
            return entry.code;
    }
    return QString();
}
