#include "TestSupport.h"

#include "app/AppFonts.h"
#include "app/Nexus.h"
#include "app/Profile.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMutex>
#include <QPixmap>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QWidget>

namespace TestSupport {

void UseHome(const QString& home)
{
    const QStringList dirs { "config", "data", "cache", "runtime" };
    for (const QString& d : dirs)
        QDir().mkpath(home + "/" + d);
    QFile::setPermissions(home + "/runtime", QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("HOME", home.toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home + "/config").toLocal8Bit());
    qputenv("XDG_DATA_HOME", (home + "/data").toLocal8Bit());
    qputenv("XDG_CACHE_HOME", (home + "/cache").toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", (home + "/runtime").toLocal8Bit());
}

void InstallFonts()
{
    AppFonts::Install();
}

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WriteFile(const QString& path, const QByteArray& data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(data) == data.size();
}

Profile* StartHub(const QString& configHost)
{
    qputenv("PLOVIX_CONFIG_HOST", configHost.toUtf8());
    Nexus::Instance();
    Nexus::Startup();
    return Nexus::GetProfile();
}

QString ScreenshotFolder()
{
    const QString chosen = qEnvironmentVariable("PLOVIX_SCREENSHOT_DIR");
    return chosen.isEmpty() ? QStringLiteral(PLOVIX_BINARY_DIR "/screenshots") : chosen;
}

QString SaveScreenshot(QWidget* widget, const QString& name)
{
    if (!widget)
        return QString();
    const QString folder = ScreenshotFolder();
    if (!QDir().mkpath(folder))
        return QString();
    const QString path = folder + QLatin1Char('/') + name + QStringLiteral(".png");
    return widget->grab().save(path, "PNG") ? path : QString();
}

namespace {
QString Rendered(const QString& text, bool rich)
{
    return rich ? QTextDocumentFragment::fromHtml(text).toPlainText() : text;
}

// Whether a visible sibling stacked above widget covers part of area
// (in the parent's coordinates); overlays that let the mouse through do
// not count.
bool Covered(const QWidget* widget, const QRect& area)
{
    const QWidget* parent = widget->parentWidget();
    if (parent == nullptr)
        return false;
    const QObjectList& siblings = parent->children();
    for (int i = siblings.indexOf(const_cast<QWidget*>(widget)) + 1; i < siblings.size(); ++i) {
        const auto* sibling = qobject_cast<const QWidget*>(siblings.at(i));
        if (sibling && !sibling->isWindow() && sibling->isVisible()
            && !sibling->testAttribute(Qt::WA_TransparentForMouseEvents) && sibling->geometry().intersects(area))
            return true;
    }
    return false;
}
} // namespace

QString ShownText(const QLabel* label)
{
    const Qt::TextFormat format = label->textFormat();
    const bool rich = format == Qt::RichText || (format == Qt::AutoText && Qt::mightBeRichText(label->text()));
    return Rendered(label->text(), rich);
}

QString ShownToolTip(const QWidget* widget)
{
    return ShownAsText(widget->toolTip());
}

QString ShownAsText(const QString& text)
{
    return Rendered(text, Qt::mightBeRichText(text));
}

bool EveryButtonWhole(QWidget* root, QString* culprit)
{
    for (QAbstractButton* button : root->findChildren<QAbstractButton*>()) {
        if (!button->isVisible() || button->testAttribute(Qt::WA_TransparentForMouseEvents) || button->isWindow())
            continue;
        QRect area = button->rect();
        bool whole = true;
        for (QWidget* widget = button; widget != root && whole; widget = widget->parentWidget()) {
            area.translate(widget->pos());
            const QWidget* parent = widget->parentWidget();
            // Rows of a list may stand partly scrolled out of view.
            if (parent != nullptr && parent->objectName() == QLatin1String("qt_scrollarea_viewport"))
                break;
            whole = parent != nullptr && parent->rect().contains(area) && !Covered(widget, area);
        }
        if (!whole) {
            if (culprit != nullptr) {
                QStringList path;
                for (QWidget* widget = button; widget != root && widget != nullptr; widget = widget->parentWidget())
                    path << QString::fromLatin1(widget->metaObject()->className()) + QLatin1Char('#')
                            + widget->objectName();
                const QRect place = button->geometry();
                *culprit = path.join(QLatin1String(" in "))
                    + QStringLiteral(" \"%1\" at %2,%3 %4x%5")
                          .arg(button->text())
                          .arg(place.x())
                          .arg(place.y())
                          .arg(place.width())
                          .arg(place.height());
            }
            return false;
        }
    }
    return true;
}

HubTransfers::HubTransfers()
{
    connect(
        Nexus::Instance(), &Nexus::DownloadFinish, this,
        [this](int type, QString key) { finished << TransferEvent(type, key); }, Qt::QueuedConnection);
    connect(
        Nexus::Instance(), &Nexus::DownloadFailed, this,
        [this](int type, QString key) { failed << TransferEvent(type, key); }, Qt::QueuedConnection);
}

QList<TransferEvent> HubTransfers::Of(int type) const
{
    QList<TransferEvent> events;
    for (const TransferEvent& event : finished) {
        if (event.first == type)
            events << event;
    }
    return events;
}

int HubTransfers::EndsOf(int type) const
{
    int ends = Of(type).size();
    for (const TransferEvent& event : failed)
        ends += event.first == type ? 1 : 0;
    return ends;
}

namespace {
QMutex s_captureLock;
QStringList s_captured;
QtMessageHandler s_chained = nullptr;
} // namespace

MessageCapture::MessageCapture()
{
    QMutexLocker lock(&s_captureLock);
    s_captured.clear();
    m_previous = qInstallMessageHandler(&MessageCapture::Handle);
    s_chained = m_previous;
}

MessageCapture::~MessageCapture()
{
    qInstallMessageHandler(m_previous);
    QMutexLocker lock(&s_captureLock);
    s_chained = nullptr;
}

void MessageCapture::Handle(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    QtMessageHandler next = nullptr;
    {
        QMutexLocker lock(&s_captureLock);
        s_captured << text;
        next = s_chained;
    }
    if (next)
        next(type, context, text);
}

QStringList MessageCapture::Lines() const
{
    QMutexLocker lock(&s_captureLock);
    return s_captured;
}

int MessageCapture::Count(const QString& text) const
{
    QMutexLocker lock(&s_captureLock);
    int count = 0;
    for (const QString& line : qAsConst(s_captured))
        count += line.contains(text) ? 1 : 0;
    return count;
}

void MessageCapture::Clear()
{
    QMutexLocker lock(&s_captureLock);
    s_captured.clear();
}

} // namespace TestSupport
