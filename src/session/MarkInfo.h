#pragma once

#include <QString>

// One lesson mark of the local student.
struct MarkInfo {
    enum Status { New = 1, Edited = 2 };
    int status = New;
    int time = 0; // seconds into the lesson
    QString description;
    QString presentationUrl;
    QString uuid;
};
