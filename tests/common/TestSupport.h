#pragma once

#include <QList>
#include <QMetaObject>
#include <QObject>
#include <QPair>
#include <QPoint>
#include <QSemaphore>
#include <QString>
#include <QStringList>
#include <QTextDocument>
#include <QtMessageHandler>
#include <memory>

class Profile;
class QComboBox;
class QLabel;
class QWidget;

namespace TestSupport {
// Points HOME and the XDG folders at a temporary home, so no test touches
// the real user's settings, data or log.
void UseHome(const QString& home);
// The same font substitutions as the client, so screenshots show Chinese.
void InstallFonts();

// The whole file, empty when it cannot be read.
QByteArray ReadFile(const QString& path);
// The process's resident memory in KB (VmRSS of /proc/self/status); 0 when
// it cannot be read.
qint64 ResidentKb();
// Writes data as the whole file, making its folder; false when it cannot.
bool WriteFile(const QString& path, const QByteArray& data);

// The hub and its profile with the configuration host at configHost (the
// local service's address), as the client starts them; threads not started.
Profile* StartHub(const QString& configHost);

// The folder screenshots go to: PLOVIX_SCREENSHOT_DIR when set, else
// "screenshots" in the build folder.
QString ScreenshotFolder();
// Writes a picture of widget (with its children) as <name>.png for a person
// to look at; returns the file's path, empty when it could not be written.
QString SaveScreenshot(QWidget* widget, const QString& name);
// A left-button drag along path (widget pixels): press, moves, release.
void Drag(QWidget* widget, const QList<QPoint>& path);

// The texts of a combo box's entries, in order.
QStringList ComboEntries(const QComboBox* combo);

// The text a person reads on the label, or in a tool tip, as Qt renders it:
// markup that is rendered leaves only its text.
QString ShownText(const QLabel* label);
QString ShownAsText(const QString& text, bool rich);
inline QString ShownAsText(const QString& text)
{
    return ShownAsText(text, Qt::mightBeRichText(text));
}
// The first button in root cut off by a parent or the window's edge (rows of
// a scrolled list may stand partly out of view); empty when all are whole.
QString CutButton(QWidget* root);

// Runs f in target's thread and waits up to ms for it; false on time-out.
// The calling thread's events are not delivered meanwhile.
template <typename F> bool RunIn(QObject* target, F f, int ms = 30000)
{
    auto done = std::make_shared<QSemaphore>();
    QMetaObject::invokeMethod(
        target,
        [done, f] {
            f();
            done->release();
        },
        Qt::QueuedConnection);
    return done->tryAcquire(1, ms);
}

// Counts a signal's emissions as the thread of the spy sees them: each is
// delivered queued, so a signal emitted in a worker thread is counted only
// once this thread runs its events (QSignalSpy counts in the emitter's).
class QueuedSpy : public QObject
{
public:
    template <typename Sender, typename Signal> QueuedSpy(Sender* sender, Signal signal)
    {
        connect(
            sender, signal, this, [this] { ++m_count; }, Qt::QueuedConnection);
    }
    int count() const { return m_count; }

private:
    int m_count = 0;
};

// A transfer end as the hub signals it: the DownloadType bit and the key.
using TransferEvent = QPair<int, QString>;

// The hub's DownloadFinish and DownloadFailed as this thread receives them,
// queued behind the hub's own handling. The hub must exist.
class HubTransfers : public QObject
{
public:
    HubTransfers();
    // The finished transfers of one type, in order.
    QList<TransferEvent> Of(int type) const;
    // How many transfers of one type ended, finished or failed.
    int EndsOf(int type) const;

    QList<TransferEvent> finished;
    QList<TransferEvent> failed;
};

// Collects the log lines written while it lives (they still reach the
// previous handler).
class MessageCapture
{
public:
    MessageCapture();
    ~MessageCapture();
    MessageCapture(const MessageCapture&) = delete;
    MessageCapture& operator=(const MessageCapture&) = delete;

    QStringList Lines() const;
    int Count(const QString& text) const;
    void Clear();

private:
    static void Handle(QtMsgType type, const QMessageLogContext& context, const QString& text);
    QtMessageHandler m_previous = nullptr;
};
} // namespace TestSupport
