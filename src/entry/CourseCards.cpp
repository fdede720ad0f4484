#include "CourseCards.h"

#include "entry/CourseItem.h"
#include "entry/HisSchoolItem.h"
#include "entry/SchoolItem.h"
#include "session/SchoolInfo.h"
#include "session/UserRole.h"

#include <QDateTime>
#include <QDebug>
#include <QRegularExpression>

namespace CourseCards {

const char kHistoryTimeStyle[] = "border:5px;border-left-width: 6px;border-left-color: #6DD4A0; border-left-style: "
                                 "solid; color: #333333;font:14px Microsoft YaHei;";

namespace {

// Sessions starting before this moment (2020-01-01 00:00 +08:00) and more
// than an hour ahead get a grey enter button.
const qint64 kGreyBefore = 1577808000;
const qint64 kOpenAhead = 3600;
const int kEnterableRoomType = 128;

const char kGreyEnterStyle[] = "QPushButton{ background-color: #d7d7d7;border: 1px solid #d7d7d7;border-radius: "
                               "2px;color: #979697;font:18px Microsoft YaHei;}";
const char kTodayStyle[] = "color: #333333;font:14px Microsoft YaHei;";
const char kFirstCardStyle[] = "color: #f74945;font:16px Microsoft YaHei;";
const char kNoRecordStyle[]
    = "QPushButton{ background-color: #ff9290;border: 1px solid #ff9290;border-radius: 2px;color: rgb(255, 255, "
      "255);font:18px Microsoft YaHei;}QPushButton::hover{ background-color: #ff9999;border: 1px solid "
      "#ff9999;border-radius: 2px;color: rgb(255, 255, 255);font:18px Microsoft YaHei;}";

QString TodayMarkup(const QString& timeLine, const char* timeFormat, const char* todayFormat)
{
    return QString::fromUtf8(timeFormat).arg(timeLine)
        + QString::fromUtf8(todayFormat).arg(QStringLiteral(" (今天上课)"));
}

// What both kinds of card show alike.
void FillShared(CourseItem* card, const SchoolInfo& session)
{
    card->SetSessionId(session.GetSessionId());
    card->SetPicturePath(session.GetHeadPath());
    card->SetCourseType(session.GetCourseTypeDesc());
    card->SetTitle(session.GetSessionName());
    card->SetTeacherText(QStringLiteral("老师: ") + session.GetTeacherName());
}

} // namespace

QString TimeLine(qint64 start, qint64 end)
{
    static const char* const weekdays[] = { "(周一)", "(周二)", "(周三)", "(周四)", "(周五)", "(周六)", "(周日)" };
    const QDateTime from = QDateTime::fromSecsSinceEpoch(start);
    const QDateTime to = QDateTime::fromSecsSinceEpoch(end);
    const int day = from.date().dayOfWeek();
    return QStringLiteral(" %1月%2日").arg(from.date().month()).arg(from.date().day())
        + QString::fromUtf8(day >= 1 && day <= 7 ? weekdays[day - 1] : "") + from.toString(QStringLiteral("hh:mm-"))
        + to.toString(QStringLiteral("hh:mm"));
}

bool IsEarly(qint64 start, qint64 now)
{
    return start - now > kOpenAhead && start < kGreyBefore;
}

bool IsToday(qint64 start, qint64 now)
{
    return QDateTime::fromSecsSinceEpoch(start).date() == QDateTime::fromSecsSinceEpoch(now).date();
}

QString LinkPath(int role, int courseType, bool teacherHistory)
{
    if (role == RoleTeacher)
        return courseType == 3 ? QStringLiteral("/teacher/vip/session/{session_id}")
                               : QStringLiteral("/teacher/session/{session_id}");
    if (role == RoleStudent) {
        const int vipType = teacherHistory ? 1 : 3;
        return courseType == vipType ? QStringLiteral("/vip/session/{session_id}")
                                     : QStringLiteral("/student/session/{session_id}/help");
    }
    return QStringLiteral("/session/{session_id}");
}

QString SiteHost()
{
    QString host = qEnvironmentVariable("PLOVIX_COURSE_SITE_HOST");
    if (host.isEmpty())
        host = QStringLiteral(PLOVIX_COURSE_SITE_HOST);
    while (host.endsWith(QLatin1Char('/')))
        host.chop(1);
    return host;
}

QUrl WebUrl(const QString& address)
{
    const QUrl url(address.trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty()
        || (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        if (!address.isEmpty())
            qWarning() << "CourseCards, not a web address, not opened:" << address.left(200);
        return QUrl();
    }
    return url;
}

QUrl SiteUrl(const QString& linkTemplate, const QString& schoolLabel, const QString& sessionId)
{
    QString address = linkTemplate;
    if (address.contains(QLatin1String("xx"))) {
        // The label stands in the host name: anything else there would
        // send the user to another site.
        static const QRegularExpression label(QStringLiteral("^[A-Za-z0-9](?:[A-Za-z0-9-]{0,61}[A-Za-z0-9])?$"));
        if (!label.match(schoolLabel).hasMatch()) {
            qWarning() << "CourseCards, the school label is no host name label:" << schoolLabel.left(80);
            return QUrl();
        }
        address.replace(QLatin1String("xx"), schoolLabel);
    }
    address.replace(QLatin1String("{session_id}"), QString::fromLatin1(QUrl::toPercentEncoding(sessionId)));
    return WebUrl(address);
}

void FillUpcoming(SchoolItem* card, const SchoolInfo& session, bool first, const Context& context)
{
    const qint64 start = session.GetStartTm();
    FillShared(card, session);
    card->SetStartTime(start);
    card->SetDetailsTemplate(
        context.siteHost + LinkPath(context.role, session.GetCourseType(), context.teacherHistory));
    const QString timeLine = TimeLine(start, session.GetEndTm());
    if (IsEarly(start, context.now))
        card->SetEnterStyle(QString::fromUtf8(kGreyEnterStyle));
    if (IsToday(start, context.now)) {
        card->SetTimeText(
            TodayMarkup(timeLine, "<font color = #f74945>%1</font>", "<font color = #1C985A >  %1</font>"),
            QString::fromUtf8(kTodayStyle));
    } else {
        card->SetTimeText(timeLine, first ? QString::fromUtf8(kFirstCardStyle) : QString());
    }
    card->SetDetailsText(QStringLiteral("更多课程操作"));
    if (session.GetLeaveStatus()) {
        card->SetEnterText(QStringLiteral("已请假"));
        card->SetOnLeave(true);
    } else if (session.GetRoomType() == kEnterableRoomType) {
        card->SetEnterText(QStringLiteral("进入教室"));
    }
}

void FillHistory(HisSchoolItem* card, const SchoolInfo& session, qint64 now)
{
    const qint64 start = session.GetStartTm();
    FillShared(card, session);
    card->SetRecordUrl(session.GetRecordUrl());
    card->SetHasRecord(session.GetRecordStatus());
    // Two blanks before the date: the history card's label starts further left.
    const QString timeLine = QLatin1Char(' ') + TimeLine(start, session.GetEndTm());
    const QString text = IsToday(start, now)
        ? TodayMarkup(timeLine, "<font color = #666666>%1</font>", "<font color = #666666 >  %1</font>")
        : timeLine;
    card->SetTimeText(text, QString::fromUtf8(kHistoryTimeStyle));
    card->SetReplayText(QStringLiteral("查看回放"));
    if (!session.GetRecordStatus())
        card->SetReplayStyle(QString::fromUtf8(kNoRecordStyle));
}

} // namespace CourseCards
