#pragma once

#include <QString>

// Role numbers of the class room, from the web service's role names.
enum UserRole : unsigned char {
    RoleNone = 0,
    RoleTeacher = 4, // teacher, tutor, supervisor, supporter
    RoleStudent = 5,
    RoleAuditor = 6,
    RoleListener = 7,
};

// Permission bits of a member and of the local user.
enum UserPermission {
    PermMicrophone = 1,
    PermCamera = 4,
    PermChat = 16,
    PermWhiteboard = 128,
};

unsigned char GetRoleByName(const QString& name);

struct TimeOfDay {
    int sec = 0;
    int usec = 0;
};
// Local wall-clock time; always returns 0.
int GetTimeOfDay(TimeOfDay* record);
