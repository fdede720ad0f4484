#include "MpvCore.h"

#include "LogLevel.h"

#include <QDebug>
#include <QVariantList>
#include <QVariantMap>
#include <QVector>
#include <clocale>
#include <limits>

namespace plxav {

MpvCore::MpvCore()
{
    // libmpv refuses to start under a locale whose numbers use a decimal
    // comma; Qt's application object applies the user's locale.
    std::setlocale(LC_NUMERIC, "C");
    m_handle = mpv_create();
    if (m_handle == nullptr) {
        qWarning() << "[player] libmpv could not make a core";
        return;
    }
    static const char* const defaults[][2] = {
        { "config", "no" },
        { "load-scripts", "no" },
        { "ytdl", "no" },
        { "osc", "no" },
        { "input-default-bindings", "no" },
        { "input-vo-keyboard", "no" },
        { "input-cursor", "no" },
        { "terminal", "no" },
        { "idle", "yes" },
        { "keep-open", "no" },
        { "force-window", "no" },
        { "audio-display", "no" },
        // A machine without a working sound device still plays: the clock
        // runs on as with no output, instead of the file ending in error.
        { "audio-fallback-to-null", "yes" },
        // Room files never name other files to play.
        { "load-unsafe-playlists", "no" },
        // The volume slider goes up to four times the original gain.
        { "volume-max", "400" },
        // Frames are drawn in the GUI thread, which must not wait for their
        // display time.
        { "video-timing-offset", "0" },
    };
    for (const auto& option : defaults)
        setOption(option[0], QString::fromLatin1(option[1]));
    if (const QString ffmpeg = ffmpegMessageLevel(); !ffmpeg.isEmpty())
        setOption("msg-level", ffmpeg);
}

MpvCore::~MpvCore()
{
    if (m_handle != nullptr)
        mpv_terminate_destroy(m_handle);
}

int MpvCore::setOption(const char* name, const QString& value)
{
    if (m_handle == nullptr)
        return MPV_ERROR_UNINITIALIZED;
    const int error = mpv_set_option_string(m_handle, name, value.toUtf8().constData());
    if (error < 0)
        qWarning() << "[player] option" << name << "=" << value << "refused:" << errorText(error);
    return error;
}

int MpvCore::initialize()
{
    if (m_handle == nullptr)
        return MPV_ERROR_UNINITIALIZED;
    const int error = mpv_initialize(m_handle);
    if (error < 0) {
        qWarning() << "[player] libmpv could not start:" << errorText(error);
        mpv_terminate_destroy(m_handle);
        m_handle = nullptr;
    }
    return error;
}

namespace {
// Calls set(format, data) with the value in the format of its type.
template <typename Set> int WithFormat(const QVariant& value, Set set)
{
    switch (static_cast<int>(value.type())) {
    case QMetaType::Bool: {
        int flag = value.toBool() ? 1 : 0;
        return set(MPV_FORMAT_FLAG, &flag);
    }
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong: {
        int64_t number = value.toLongLong();
        return set(MPV_FORMAT_INT64, &number);
    }
    case QMetaType::Double:
    case QMetaType::Float: {
        double number = value.toDouble();
        return set(MPV_FORMAT_DOUBLE, &number);
    }
    default: {
        const QByteArray text = value.toString().toUtf8();
        const char* data = text.constData();
        return set(MPV_FORMAT_STRING, &data);
    }
    }
}
} // namespace

int MpvCore::setProperty(const char* name, const QVariant& value)
{
    if (m_handle == nullptr)
        return MPV_ERROR_UNINITIALIZED;
    const int error = WithFormat(
        value, [this, name](mpv_format format, void* data) { return mpv_set_property(m_handle, name, format, data); });
    if (error < 0)
        qDebug() << "[player] property" << name << "=" << value << "refused:" << errorText(error);
    return error;
}

int MpvCore::setPropertyAsync(const char* name, const QVariant& value)
{
    if (m_handle == nullptr)
        return MPV_ERROR_UNINITIALIZED;
    return WithFormat(value, [this, name](mpv_format format, void* data) {
        return mpv_set_property_async(m_handle, 0, name, format, data);
    });
}

QVariant MpvCore::toVariant(const mpv_node& node)
{
    switch (node.format) {
    case MPV_FORMAT_STRING:
        return QString::fromUtf8(node.u.string);
    case MPV_FORMAT_FLAG:
        return node.u.flag != 0;
    case MPV_FORMAT_INT64:
        return static_cast<qint64>(node.u.int64);
    case MPV_FORMAT_DOUBLE:
        return node.u.double_;
    case MPV_FORMAT_BYTE_ARRAY:
        if (node.u.ba == nullptr || node.u.ba->data == nullptr
            || node.u.ba->size > static_cast<size_t>(std::numeric_limits<int>::max()))
            return QByteArray();
        return QByteArray(static_cast<const char*>(node.u.ba->data), static_cast<int>(node.u.ba->size));
    case MPV_FORMAT_NODE_ARRAY: {
        QVariantList list;
        for (int i = 0; node.u.list != nullptr && i < node.u.list->num; ++i)
            list.append(toVariant(node.u.list->values[i]));
        return list;
    }
    case MPV_FORMAT_NODE_MAP: {
        QVariantMap map;
        for (int i = 0; node.u.list != nullptr && i < node.u.list->num; ++i)
            map.insert(QString::fromUtf8(node.u.list->keys[i]), toVariant(node.u.list->values[i]));
        return map;
    }
    default:
        return QVariant();
    }
}

QVariant MpvCore::property(const char* name, int* error) const
{
    mpv_node node;
    const int result
        = m_handle != nullptr ? mpv_get_property(m_handle, name, MPV_FORMAT_NODE, &node) : MPV_ERROR_UNINITIALIZED;
    if (error != nullptr)
        *error = result;
    if (result < 0)
        return QVariant();
    const QVariant value = toVariant(node);
    mpv_free_node_contents(&node);
    return value;
}

double MpvCore::doubleProperty(const char* name, double fallback) const
{
    double value = 0.0;
    if (m_handle == nullptr || mpv_get_property(m_handle, name, MPV_FORMAT_DOUBLE, &value) < 0)
        return fallback;
    return value;
}

qint64 MpvCore::intProperty(const char* name, qint64 fallback) const
{
    int64_t value = 0;
    if (m_handle == nullptr || mpv_get_property(m_handle, name, MPV_FORMAT_INT64, &value) < 0)
        return fallback;
    return value;
}

bool MpvCore::flagProperty(const char* name, bool fallback) const
{
    int value = 0;
    if (m_handle == nullptr || mpv_get_property(m_handle, name, MPV_FORMAT_FLAG, &value) < 0)
        return fallback;
    return value != 0;
}

QString MpvCore::textProperty(const char* name) const
{
    char* value = m_handle != nullptr ? mpv_get_property_string(m_handle, name) : nullptr;
    if (value == nullptr)
        return QString();
    const QString text = QString::fromUtf8(value);
    mpv_free(value);
    return text;
}

namespace {
// The arguments as the C array libmpv takes; the texts live as long as it.
class CommandArgs
{
public:
    explicit CommandArgs(const QStringList& args)
    {
        for (const QString& arg : args)
            m_texts.append(arg.toUtf8());
        for (const QByteArray& text : qAsConst(m_texts))
            m_pointers.append(text.constData());
        m_pointers.append(nullptr);
    }
    const char** data() { return m_pointers.data(); }

private:
    QVector<QByteArray> m_texts;
    QVector<const char*> m_pointers;
};
} // namespace

int MpvCore::command(const QStringList& args)
{
    if (m_handle == nullptr)
        return MPV_ERROR_UNINITIALIZED;
    CommandArgs array(args);
    const int error = mpv_command(m_handle, array.data());
    if (error < 0)
        qDebug() << "[player] command" << loggableText(args) << "failed:" << errorText(error);
    return error;
}

int MpvCore::commandAsync(const QStringList& args, quint64 replyId)
{
    if (m_handle == nullptr)
        return MPV_ERROR_UNINITIALIZED;
    CommandArgs array(args);
    return mpv_command_async(m_handle, replyId, array.data());
}

QVariant MpvCore::commandResult(const QStringList& args, int* error)
{
    if (m_handle == nullptr) {
        if (error != nullptr)
            *error = MPV_ERROR_UNINITIALIZED;
        return QVariant();
    }
    CommandArgs array(args);
    mpv_node result;
    const int code = mpv_command_ret(m_handle, array.data(), &result);
    if (error != nullptr)
        *error = code;
    if (code < 0) {
        qDebug() << "[player] command" << loggableText(args) << "failed:" << errorText(code);
        return QVariant();
    }
    const QVariant value = toVariant(result);
    mpv_free_node_contents(&result);
    return value;
}

int MpvCore::observe(const char* name, mpv_format format, quint64 id)
{
    if (m_handle == nullptr)
        return MPV_ERROR_UNINITIALIZED;
    return mpv_observe_property(m_handle, id, name, format);
}

QString MpvCore::errorText(int error)
{
    return QString::fromUtf8(mpv_error_string(error));
}

} // namespace plxav
