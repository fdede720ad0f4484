#pragma once

#include "Participant.h"
#include "RoomSetup.h"

#include <QJsonDocument>

// The local user 58 in room R100 with the teacher 57 as a participant of
// the service: entered once the room data is complete.
class JoinedRoom : public RoomSetup
{
public:
    // The hub first, so screens can be registered before the entry.
    JoinedRoom() { Nexus::Instance(); }

    std::unique_ptr<Participant> teacher;
    std::unique_ptr<Participant> student; // 59, when asked for

    // Starts the service without the server choice, lets the teacher (and
    // student 59) join and enters the room; the screens are registered
    // before.
    bool Enter(bool withStudent = false)
    {
        if (!Start("1"))
            return false;
        teacher = std::make_unique<Participant>(service, "57", "R100", QString::fromUtf8("王老师"));
        student = std::make_unique<Participant>(service, "59", "R100");
        if (!teacher->Join() || (withStudent && !student->Join()))
            return false;
        AddSession("S100", "R100", "100100");
        data->OnRoomEntry("S100");
        emit data->EnterRoom();
        return QTest::qWaitFor([] { return Nexus::GetDataPrepPhase() == 3; }, 15000);
    }

    // The service sends one message to the local user as if from source.
    bool Push(int type, const QJsonValue& payload, const QString& source = "57") const
    {
        const QJsonObject message { { "type", type }, { "source", source }, { "dest", "58" }, { "data", payload } };
        return room->Push("58", QJsonDocument(message).toJson(QJsonDocument::Compact)) == 1;
    }
};
