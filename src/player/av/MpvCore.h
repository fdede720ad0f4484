#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

#include <mpv/client.h>

namespace plxav {

// One libmpv core through the client handle that owns it, with the values
// of its properties and commands as QVariants. The calls are thread-safe in
// libmpv; the owner uses them from the GUI thread.
class MpvCore
{
public:
    // Makes the core with the options every embedded player needs: no
    // configuration files, scripts, key bindings, on-screen controller or
    // terminal, and no web-page extraction for addresses from the room;
    // sound goes nowhere rather than failing where no device opens.
    MpvCore();
    ~MpvCore();
    MpvCore(const MpvCore&) = delete;
    MpvCore& operator=(const MpvCore&) = delete;

    // False when libmpv could not make or start a core; every call then
    // fails with MPV_ERROR_UNINITIALIZED.
    bool isValid() const { return m_handle != nullptr; }
    mpv_handle* handle() const { return m_handle; }

    // Options that must be set before the core starts (initialize()).
    int setOption(const char* name, const QString& value);
    // Starts the core; call once, after the options.
    int initialize();

    // Booleans, integers, reals and texts are sent in their own formats.
    int setProperty(const char* name, const QVariant& value);
    // The property as a QVariant (maps and lists nested); invalid when the
    // property is unavailable, with the error code in error when given.
    QVariant property(const char* name, int* error = nullptr) const;
    double doubleProperty(const char* name, double fallback = 0.0) const;
    qint64 intProperty(const char* name, qint64 fallback = 0) const;
    bool flagProperty(const char* name, bool fallback = false) const;
    QString textProperty(const char* name) const;

    // Runs a command; the libmpv error code (0 on success).
    int command(const QStringList& args);
    // The same without waiting for the core: for what the GUI thread does
    // while a file plays. A synchronous call may wait for the core, and the
    // core for the GUI thread to draw its frame. libmpv may run such a
    // request after a later synchronous call; the reply event carries
    // replyId.
    int commandAsync(const QStringList& args, quint64 replyId = 0);
    int setPropertyAsync(const char* name, const QVariant& value);
    // Runs a command and returns its result node.
    QVariant commandResult(const QStringList& args, int* error = nullptr);
    // Asks for MPV_EVENT_PROPERTY_CHANGE events of the property.
    int observe(const char* name, mpv_format format, quint64 id = 0);

    // The text of a libmpv error code.
    static QString errorText(int error);
    // A libmpv node as a QVariant (byte arrays as QByteArray).
    static QVariant toVariant(const mpv_node& node);

private:
    mpv_handle* m_handle = nullptr;
};

} // namespace plxav
