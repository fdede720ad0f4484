// Video of the engine without a media server: a generated picture for the
// local preview, handed to the frame observer on the media thread and
// painted over the bound view in the GUI thread. Received pictures are
// drawn by the media elements; the engine reports the first ones.
#include "EngineState.h"
#include "platform/RtcEngine.h"

#include <QApplication>
#include <QDateTime>
#include <QEvent>
#include <QPainter>
#include <QThread>
#include <QWidget>
#include <vector>

using namespace rtcengine;

namespace {

constexpr int kFrameWidth = 320;
constexpr int kFrameHeight = 240;
constexpr int kLocalFps = 10;

// Paints the latest frame over its view, filling it and cropping what
// overflows; lets the mouse through to the view.
class VideoOverlay : public QWidget
{
public:
    explicit VideoOverlay(QWidget* view)
        : QWidget(view)
    {
        setObjectName(QStringLiteral("RtcVideoOverlay"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        view->installEventFilter(this);
        setGeometry(view->rect());
        hide();
    }
    void SetFrame(const QImage& image)
    {
        m_frame = image;
        if (m_frame.isNull()) {
            hide();
            return;
        }
        setGeometry(parentWidget()->rect());
        raise();
        show();
        update();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == parentWidget() && event->type() == QEvent::Resize)
            setGeometry(parentWidget()->rect());
        return QWidget::eventFilter(watched, event);
    }
    void paintEvent(QPaintEvent*) override
    {
        if (m_frame.isNull())
            return;
        QPainter painter(this);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        const QSize scaled = m_frame.size().scaled(size(), Qt::KeepAspectRatioByExpanding);
        const QRect target(
            (width() - scaled.width()) / 2, (height() - scaled.height()) / 2, scaled.width(), scaled.height());
        painter.drawImage(target, m_frame);
    }

private:
    QImage m_frame;
};

} // namespace

namespace rtcengine {

// GUI thread only.
class ViewRegistry
{
public:
    QMap<unsigned, QPointer<VideoOverlay>> overlays;
};

std::shared_ptr<ViewRegistry> NewViewRegistry()
{
    return std::make_shared<ViewRegistry>();
}

void InGuiThread(std::function<void()> f)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!qobject_cast<QApplication*>(app))
        return;
    if (QThread::currentThread() == app->thread())
        f();
    else
        QMetaObject::invokeMethod(app, std::move(f), Qt::QueuedConnection);
}

void BindView(const std::shared_ptr<ViewRegistry>& views, unsigned uid, QWidget* view)
{
    QPointer<VideoOverlay> old = views->overlays.take(uid);
    if (old && old->parentWidget() == view)
        return void(views->overlays.insert(uid, old));
    delete old.data();
    if (!view)
        return;
    views->overlays.insert(uid, new VideoOverlay(view));
    // A view that goes away is no longer bound.
    QObject::connect(view, &QObject::destroyed, [uid, view] {
        auto engine = EngineCore::Live();
        if (!engine)
            return;
        {
            QMutexLocker lock(&Lock());
            if (engine->boundViews.value(uid) != view)
                return;
            engine->boundViews.remove(uid);
        }
        // Its pictures are no longer received.
        engine->UpdateWanted(uid);
    });
}

void ShowFrame(const std::shared_ptr<ViewRegistry>& views, unsigned uid, const QImage& image)
{
    if (VideoOverlay* overlay = views->overlays.value(uid))
        overlay->SetFrame(image);
}

void ClearFrame(const std::shared_ptr<ViewRegistry>& views, unsigned uid)
{
    ShowFrame(views, uid, QImage());
}

void DropAllViews(const std::shared_ptr<ViewRegistry>& views)
{
    for (const QPointer<VideoOverlay>& overlay : qAsConst(views->overlays))
        delete overlay.data();
    views->overlays.clear();
}

QImage TestPattern(unsigned uid, const QString& label, qint64 ms)
{
    QImage image(kFrameWidth, kFrameHeight, QImage::Format_RGB32);
    const int hue = int((uid * 47u) % 360u);
    image.fill(QColor::fromHsv(hue, 60, 90));
    QPainter painter(&image);
    // Colour bars, then a bar sweeping across once every four seconds.
    for (int i = 0; i < 7; ++i)
        painter.fillRect(
            i * kFrameWidth / 7, 0, kFrameWidth / 7 + 1, kFrameHeight / 3, QColor::fromHsv(i * 51, 150, 200));
    const int x = int((ms % 4000) * (kFrameWidth + 40) / 4000) - 40;
    painter.fillRect(x, kFrameHeight / 3, 40, kFrameHeight * 2 / 3, QColor(255, 255, 255, 90));
    painter.setPen(Qt::white);
    QFont font = painter.font();
    font.setPixelSize(36);
    font.setBold(true);
    painter.setFont(font);
    const QString title = label.isEmpty() ? QString::number(uid) : label + QLatin1Char(' ') + QString::number(uid);
    painter.drawText(QRect(0, kFrameHeight / 3, kFrameWidth, kFrameHeight / 3), Qt::AlignCenter, title);
    font.setPixelSize(18);
    font.setBold(false);
    painter.setFont(font);
    painter.drawText(QRect(0, kFrameHeight * 2 / 3, kFrameWidth, kFrameHeight / 3), Qt::AlignCenter,
        QDateTime::currentDateTime().toString(QStringLiteral("hh:mm:ss.zzz")));
    return image;
}

namespace {

// The picture as the engine hands frames on: I420, with grey chroma.
struct I420 {
    std::vector<uint8_t> y;
    std::vector<uint8_t> chroma;
    rtc::VideoFrame frame;

    explicit I420(const QImage& image)
    {
        const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
        const int w = grey.width();
        const int h = grey.height();
        y.resize(size_t(w * h));
        for (int row = 0; row < h; ++row)
            std::copy_n(grey.constScanLine(row), w, y.begin() + row * w);
        chroma.assign(size_t((w / 2) * (h / 2)), 128);
        frame.width = w;
        frame.height = h;
        frame.yStride = w;
        frame.uStride = frame.vStride = w / 2;
        frame.yBuffer = y.data();
        frame.uBuffer = frame.vBuffer = chroma.data();
        frame.renderTimeMs = QDateTime::currentMSecsSinceEpoch();
    }
};

} // namespace

void EngineCore::RenderTick()
{
    rtc::IVideoFrameObserver* observer = nullptr;
    bool showLocal = false;
    bool clearLocal = false;
    unsigned localUid = 0;
    qint64 now = 0;
    {
        QMutexLocker lock(&Lock());
        if (m_released)
            return;
        now = m_clock.elapsed();
        observer = m_observer;
        localUid = m_uid;
        // With a media server the camera source draws the preview itself.
        const bool local = previewActive() && !m_room;
        if (local && now - m_lastLocalFrameMs >= 1000 / kLocalFps) {
            m_lastLocalFrameMs = now;
            showLocal = true;
        } else if (!local && m_lastLocalFrameMs >= 0) {
            m_lastLocalFrameMs = -1000000;
            clearLocal = true;
        }
    }
    auto views = m_views;
    if (clearLocal)
        InGuiThread([views, localUid] { ClearFrame(views, localUid); });
    if (!showLocal)
        return;
    const QImage image = TestPattern(localUid, QStringLiteral("LOCAL"), now);
    I420 frame(image);
    if (observer)
        observer->onCaptureVideoFrame(frame.frame);
    InGuiThread([views, localUid, image] { ShowFrame(views, localUid, image); });
}

void EngineCore::RemoteVideoDecoded(int session, unsigned uid, int width, int height)
{
    {
        QMutexLocker lock(&Lock());
        if (m_released || !inChannel || m_session != session || m_remote[uid].decoded)
            return;
        m_remote[uid].decoded = true;
    }
    PostInSession(session, QStringLiteral("callback onFirstRemoteVideoDecoded uid=%1").arg(uid),
        [=](rtc::IRtcEngineEventHandler* h) { h->onFirstRemoteVideoDecoded(uid, width, height, 0); });
}

void EngineCore::RemoteVideoDrawn(unsigned uid, int width, int height)
{
    int session = 0;
    {
        QMutexLocker lock(&Lock());
        if (m_released || !inChannel || m_remote[uid].framed)
            return;
        m_remote[uid].framed = true;
        session = m_session;
    }
    PostInSession(session, QStringLiteral("callback onFirstRemoteVideoFrame uid=%1").arg(uid),
        [=](rtc::IRtcEngineEventHandler* h) { h->onFirstRemoteVideoFrame(uid, width, height, 0); });
}

void EngineCore::RemoteUserGone(int session, unsigned uid)
{
    QMutexLocker lock(&Lock());
    if (!m_released && m_session == session)
        m_remote.remove(uid);
}

} // namespace rtcengine
