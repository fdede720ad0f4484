#pragma once

#include "ModelObject.h"

#include <QString>

// One school of the user. Fields under the object's own lock.
class SchoolListInfo : public ModelObject
{
    Q_OBJECT
    Q_PROPERTY(QString schoolId READ GetSchoolId WRITE SetSchoolId)
    Q_PROPERTY(QString schoolName READ GetSchoolName WRITE SetSchoolName)
    Q_PROPERTY(QString schoolProfile READ GetSchoolProfile WRITE SetSchoolProfile)

public:
    explicit SchoolListInfo(QObject* parent = nullptr)
        : ModelObject(parent)
    { }

    QString GetSchoolId() const { return Read(m_schoolId); }
    void SetSchoolId(const QString& id) { Write(m_schoolId, id); }
    QString GetSchoolName() const { return Read(m_schoolName); }
    void SetSchoolName(const QString& name) { Write(m_schoolName, name); }
    QString GetSchoolProfile() const { return Read(m_schoolProfile); }
    void SetSchoolProfile(const QString& profile) { Write(m_schoolProfile, profile); }

private:
    QString m_schoolId;
    QString m_schoolName;
    QString m_schoolProfile;
};

Q_DECLARE_METATYPE(SchoolListInfo*)
