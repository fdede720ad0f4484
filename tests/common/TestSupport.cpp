#include "TestSupport.h"

#include "app/AppFonts.h"
#include "app/Nexus.h"
#include "app/Profile.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMouseEvent>
#include <QMutex>
#include <QPixmap>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QWidget>
#include <QtTest>

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

qint64 ResidentKb()
{
    for (const QByteArray& line : ReadFile(QStringLiteral("/proc/self/status")).split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return 0;
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

QStringList ComboEntries(const QComboBox* combo)
{
    QStringList entries;
    for (int i = 0; i < combo->count(); ++i)
        entries << combo->itemText(i);
    return entries;
}

QString ScreenshotFolder()
{
    const QString chosen = qEnvironmentVariable("PLOVIX_SCREENSHOT_DIR");
    return chosen.isEmpty() ? QStringLiteral(PLOVIX_BINARY_DIR "/screenshots") : chosen;
}

void Drag(QWidget* widget, const QList<QPoint>& path)
{
    QTest::mousePress(widget, Qt::LeftButton, Qt::NoModifier, path.first());
    for (const QPoint& point : path.mid(1)) {
        QMouseEvent move(QEvent::MouseMove, point, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(widget, &move);
    }
    QTest::mouseRelease(widget, Qt::LeftButton, Qt::NoModifier, path.last());
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

QString ShownAsText(const QString& text, bool rich)
{
    return rich ? QTextDocumentFragment::fromHtml(text).toPlainText() : text;
}

QString ShownText(const QLabel* label)
{
    const Qt::TextFormat format = label->textFormat();
    return ShownAsText(label->text(), format != Qt::PlainText && Qt::mightBeRichText(label->text()));
}

QString CutButton(QWidget* root)
{
    for (QAbstractButton* button : root->findChildren<QAbstractButton*>()) {
        if (!button->isVisible() || button->testAttribute(Qt::WA_TransparentForMouseEvents))
            continue;
        QRect area = button->rect();
        for (QWidget* widget = button; widget != root; widget = widget->parentWidget()) {
            area.translate(widget->pos());
            const QWidget* parent = widget->parentWidget();
            if (parent->objectName() == QLatin1String("qt_scrollarea_viewport"))
                break;
            if (!parent->rect().contains(area))
                return QStringLiteral("%1 \"%2\" in %3")
                    .arg(button->objectName(), button->text(),
                        QString::fromLatin1(button->parentWidget()->metaObject()->className()));
        }
    }
    return QString();
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
