#pragma once

#include <QObject>
#include <QString>

// One school of the user.
class SchoolListInfo : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString schoolId MEMBER m_schoolId)
    Q_PROPERTY(QString schoolName MEMBER m_schoolName)
    Q_PROPERTY(QString schoolProfile MEMBER m_schoolProfile)

public:
    explicit SchoolListInfo(QObject* parent = nullptr)
        : QObject(nullptr)
    {
        Q_UNUSED(parent)
    }

    QString m_schoolId;
    QString m_schoolName;
    QString m_schoolProfile;
};
