#include "ClientUnderX.h"

#include <QElapsedTimer>
#include <QStringList>
#include <QThread>
#include <cstdlib>
#include <xcb/xcb.h>

namespace {

QByteArray Property(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property)
{
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1024), nullptr);
    if (!reply)
        return QByteArray();
    const QByteArray value(
        static_cast<const char*>(xcb_get_property_value(reply)), xcb_get_property_value_length(reply));
    std::free(reply);
    return value;
}

} // namespace

ClientUnderX::~ClientUnderX()
{
    Stop();
}

bool ClientUnderX::StartDisplay()
{
    m_xvfb.start(QStringLiteral("Xvfb"),
        { QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"), QStringLiteral("0"),
            QStringLiteral("1920x1080x24"), QStringLiteral("-nolisten"), QStringLiteral("tcp") });
    QByteArray number;
    while (!number.endsWith('\n') && m_xvfb.waitForReadyRead(20000))
        number += m_xvfb.readAllStandardOutput();
    if (number.trimmed().isEmpty())
        return false;
    m_display = ':' + number.trimmed();
    return true;
}

QProcessEnvironment ClientUnderX::Environment(const QString& home, const QString& serviceBase) const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : { "QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "XDG_SESSION_TYPE", "XDG_CONFIG_HOME",
             "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR" })
        env.remove(QLatin1String(name));
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(m_display));
    for (const char* name :
        { "PLOVIX_CONFIG_HOST", "PLOVIX_IPINFO_HOST", "PLOVIX_COURSE_SITE_HOST", "PLOVIX_PICTURE_HOST" })
        env.insert(QLatin1String(name), serviceBase);
    return env;
}

bool ClientUnderX::Start(const QString& program, const QProcessEnvironment& env)
{
    m_client.setProcessEnvironment(env);
    m_client.setProcessChannelMode(QProcess::MergedChannels);
    m_client.start(program, QStringList());
    return m_client.waitForStarted(10000);
}

bool ClientUnderX::WaitForWindow(const QByteArray& windowClass, int timeoutMs)
{
    int screenNumber = 0;
    xcb_connection_t* connection = xcb_connect(m_display.constData(), &screenNumber);
    if (xcb_connection_has_error(connection) != 0) {
        xcb_disconnect(connection);
        return false;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    bool found = false;
    QElapsedTimer clock;
    clock.start();
    while (!found && clock.elapsed() < timeoutMs && m_client.state() == QProcess::Running) {
        m_client.waitForReadyRead(200);
        m_output += m_client.readAll();
        xcb_query_tree_reply_t* tree = xcb_query_tree_reply(connection, xcb_query_tree(connection, root), nullptr);
        if (!tree)
            break;
        const xcb_window_t* children = xcb_query_tree_children(tree);
        for (int i = 0; i < xcb_query_tree_children_length(tree) && !found; ++i) {
            xcb_get_window_attributes_reply_t* attributes = xcb_get_window_attributes_reply(
                connection, xcb_get_window_attributes(connection, children[i]), nullptr);
            const bool viewable = attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
            std::free(attributes);
            if (viewable) {
                const QList<QByteArray> names = Property(connection, children[i], XCB_ATOM_WM_CLASS).split('\0');
                found = names.size() >= 2 && names.at(1) == windowClass;
            }
        }
        std::free(tree);
    }
    xcb_disconnect(connection);
    return found;
}

QByteArray ClientUnderX::Output()
{
    m_output += m_client.readAll();
    return m_output;
}

void ClientUnderX::Stop()
{
    if (m_client.state() != QProcess::NotRunning) {
        m_client.terminate();
        if (!m_client.waitForFinished(10000)) {
            m_client.kill();
            m_client.waitForFinished(5000);
        }
    }
    if (m_xvfb.state() != QProcess::NotRunning) {
        m_xvfb.terminate();
        m_xvfb.waitForFinished(5000);
    }
}
