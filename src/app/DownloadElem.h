#pragma once

#include <QMetaType>
#include <QString>

// Transfer kinds: the bit tells the hub which screen waits for the transfer.
enum DownloadType {
    DownloadMemberAvatar = 1,
    DownloadCoursePage = 2,
    DownloadOwnAvatar = 4,
    DownloadCourseListImage = 8,
    DownloadHistoryListImage = 16,
    DownloadChatSmallImage = 32,
    DownloadChatFullImage = 64,
    DownloadServerProperties = 128,
    DownloadTeacherAvatar = 256,
};

// One transfer request. Travels by value through queued signals.
struct DownloadElem {
    DownloadElem(int type = 0, const QString& url = QString(), const QString& relatePath = QString(),
        const QString& key = QString(), int retryLimit = 0)
        : url(url)
        , relatePath(relatePath)
        , key(key)
        , type(type)
        , retryLimit(retryLimit)
    { }

    QString url;
    QString relatePath; // target folder
    QString key; // names the transfer in de-duplication and in the end signals
    int type; // one DownloadType bit
    int retryLimit; // 0 or less keeps the default of 3
};

Q_DECLARE_METATYPE(DownloadElem)
Q_DECLARE_METATYPE(DownloadElem*)
