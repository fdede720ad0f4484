#pragma once

#include <QString>
#include <QUrl>

class HisSchoolItem;
class SchoolInfo;
class SchoolItem;

// How the course home page's cards show a session: the time line, the
// enter rule, the styles and the course link. GUI thread.
namespace CourseCards {

// The time line's style on every past session's card.
extern const char kHistoryTimeStyle[];

// What every card of one list build shares.
struct Context {
    qint64 now = 0; // seconds since 1970
    int role = 0; // the user's school role (UserRole)
    bool teacherHistory = false; // "course.teacher.history" is configured
    QString siteHost; // the course website, without a trailing "/"
};

// " M月d日(周X)hh:mm-hh:mm" in local time, e.g. " 3月7日(周四)09:00-09:45".
QString TimeLine(qint64 start, qint64 end);
// Too early to enter: more than an hour ahead and before 2020 (the grey
// enter button and its hint).
bool IsEarly(qint64 start, qint64 now);
// The start falls on the local date of now.
bool IsToday(qint64 start, qint64 now);
// The path of the course page by role and course type, with "{session_id}".
QString LinkPath(int role, int courseType, bool teacherHistory);
// The course website: PLOVIX_COURSE_SITE_HOST when set, else the build's.
QString SiteHost();
// A page of the school's web site from one of our link templates: the host
// label "xx" becomes schoolLabel and "{session_id}" the (encoded) session
// id. Invalid, so nothing is opened, unless the result is an http or https
// address and the label is a host-name label.
QUrl SiteUrl(const QString& linkTemplate, const QString& schoolLabel, const QString& sessionId);
// address as it came from the service, valid only when http or https: no
// local file or program is ever opened from a server's text.
QUrl WebUrl(const QString& address);

// An upcoming session's card; first is the first card of the list.
void FillUpcoming(SchoolItem* card, const SchoolInfo& session, bool first, const Context& context);
// A past session's card.
void FillHistory(HisSchoolItem* card, const SchoolInfo& session, qint64 now);

} // namespace CourseCards
