#pragma once

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>

// The client as a user starts it: a program of its own on an X server of
// the test's own, with a home of its own, against the local classroom
// service; what it shows is read from the X server.
class ClientUnderX
{
public:
    ~ClientUnderX();
    // Starts the X server; false when it cannot.
    bool StartDisplay();
    QByteArray Display() const { return m_display; }
    // The user's environment: home, X display, the service's address; no
    // platform chosen for Qt.
    QProcessEnvironment Environment(const QString& home, const QString& serviceBase) const;
    // Starts program with env; false when it does not start.
    bool Start(const QString& program, const QProcessEnvironment& env);
    // Waits up to timeoutMs for a mapped top-level window whose class (the
    // second half of "WM_CLASS") is windowClass; false when none shows or
    // the client ends first.
    bool WaitForWindow(const QByteArray& windowClass, int timeoutMs);
    // Everything the client printed.
    QByteArray Output();
    void Stop();

private:
    QProcess m_xvfb;
    QProcess m_client;
    QByteArray m_display;
    QByteArray m_output;
};
