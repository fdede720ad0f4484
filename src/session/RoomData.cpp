#include "RoomData.h"

RoomFields::RoomFields()
    : m_strUserAvatarPrefix(QStringLiteral("user_avatar_"))
    , m_strTeacherAvatarPrefix(QStringLiteral("teacher_avatar_"))
    , m_praisePhrases(PraisePhrases())
{ }

const QStringList& RoomFields::PraisePhrases()
{
    static const QStringList phrases {
        QStringLiteral("点个赞求不交作业"),
        QStringLiteral("代表逃课同学点赞"),
        QStringLiteral("老师好赞啊!"),
        QStringLiteral("给老师打call!"),
        QStringLiteral("果断pick老师!"),
        QStringLiteral("老师辛苦啦~"),
        QStringLiteral("轻轻的我来了"),
        QStringLiteral("Der Lehrer viel!"),
        QStringLiteral("Потрясающе  !"),
        QStringLiteral("すごいですね"),
        QStringLiteral("¡Maestro!"),
        QStringLiteral("Good teaching"),
        QStringLiteral("unbelievable！赞"),
        QStringLiteral("点赞听课不走神"),
        QStringLiteral("赞一赞，十年少"),
        QStringLiteral("老师要多喝水"),
        QStringLiteral("桃李满天下~"),
        QStringLiteral("丹心热血沃新花"),
        QStringLiteral("随风入夜润物无声"),
        QStringLiteral("仰之弥高钻之弥坚"),
    };
    return phrases;
}
