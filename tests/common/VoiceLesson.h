#pragma once

// A lesson of two through the local service's media server that measures
// the voice processing: the teacher in this process speaks with a
// generated voice, the student is an rtc_peer process whose speaker comes
// back into its microphone through the demo's echo path. What the teacher
// hears of the student is metered at the teacher's speaker. Shared by the
// voice test and the voice benchmark.

#include <QString>

class ServiceFixture;

struct VoiceFigures {
    // Mean power (dB full scale) the teacher hears of the student:
    double echo = 0; // the teacher speaks, the student is silent
    double doubleTalk = 0; // both speak
    double voice = 0; // the student alone speaks
    // The student's voice over a steady noise (teacher silent): the quiet
    // between its words, and the words.
    double noise = 0;
    double speech = 0;
    // CPU share of the student's process (1 = one core) while it sends.
    double studentCpu = 0;
};

// Runs one lesson in room, the student's microphone processed or not;
// empty, or what went wrong. Takes about half a minute.
QString MeasureVoice(const ServiceFixture& service, const QString& room, bool processed, VoiceFigures* figures);
