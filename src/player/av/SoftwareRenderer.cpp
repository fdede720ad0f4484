#include "SoftwareRenderer.h"

#include "MpvCore.h"

#include <QDebug>
#include <QPainter>
#include <QResizeEvent>
#include <mpv/render.h>

namespace plxav {

SoftwareRenderer::SoftwareRenderer(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(1, 1);
}

SoftwareRenderer::~SoftwareRenderer()
{
    attachCore(nullptr);
}

void SoftwareRenderer::attachCore(MpvCore* core)
{
    if (m_context != nullptr) {
        // No update arrives once this returns: libmpv calls it under the
        // lock this takes.
        mpv_render_context_set_update_callback(m_context, nullptr, nullptr);
        mpv_render_context_free(m_context);
        m_context = nullptr;
    }
    m_core = core;
    m_frame = QImage();
    if (core == nullptr || !core->isValid()) {
        update();
        return;
    }
    char apiType[] = MPV_RENDER_API_TYPE_SW;
    mpv_render_param params[] = { { MPV_RENDER_PARAM_API_TYPE, apiType }, { MPV_RENDER_PARAM_INVALID, nullptr } };
    const int error = mpv_render_context_create(&m_context, core->handle(), params);
    if (error < 0) {
        qWarning() << "[player] no software render context:" << MpvCore::errorText(error);
        m_context = nullptr;
        return;
    }
    mpv_render_context_set_update_callback(m_context, &SoftwareRenderer::onUpdate, this);
    renderFrame();
    notifyReady();
}

void SoftwareRenderer::onUpdate(void* self)
{
    auto* renderer = static_cast<SoftwareRenderer*>(self);
    // One queued draw at a time; frames that come meanwhile are drawn by it.
    if (!renderer->m_updatePending.exchange(true))
        QMetaObject::invokeMethod(
            renderer, [renderer] { renderer->renderFrame(); }, Qt::QueuedConnection);
}

void SoftwareRenderer::renderFrame()
{
    m_updatePending = false;
    if (m_context == nullptr)
        return;
    // Drawn at every update, a new frame reported or not: a frame this
    // thread was too late for is taken as drawn by the core and reported
    // no more, and after a paused seek no other follows it.
    mpv_render_context_update(m_context);
    const qreal ratio = devicePixelRatioF();
    const QSize target = (QSizeF(size()) * ratio).toSize();
    if (target.isEmpty())
        return;
    if (m_frame.size() != target) {
        m_frame = QImage(target, QImage::Format_RGB32);
        m_frame.fill(Qt::black);
    }
    m_frame.setDevicePixelRatio(ratio);
    int frameSize[2] = { target.width(), target.height() };
    char format[] = "bgr0";
    size_t stride = static_cast<size_t>(m_frame.bytesPerLine());
    mpv_render_param params[] = {
        { MPV_RENDER_PARAM_SW_SIZE, frameSize },
        { MPV_RENDER_PARAM_SW_FORMAT, format },
        { MPV_RENDER_PARAM_SW_STRIDE, &stride },
        { MPV_RENDER_PARAM_SW_POINTER, m_frame.bits() },
        { MPV_RENDER_PARAM_INVALID, nullptr },
    };
    if (mpv_render_context_render(m_context, params) < 0) {
        m_frame.fill(Qt::black);
    } else {
        // "bgr0" leaves the fourth byte undefined, but RGB32 must hold 0xff
        // there: a picture drawn into a translucent one (a grab of the
        // window) would otherwise come out transparent.
        for (int y = 0; y < m_frame.height(); ++y) {
            auto* line = reinterpret_cast<quint32*>(m_frame.scanLine(y));
            for (int x = 0; x < m_frame.width(); ++x)
                line[x] |= 0xff000000u;
        }
    }
    update();
}

void SoftwareRenderer::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (m_frame.isNull()) {
        painter.fillRect(rect(), Qt::black);
        return;
    }
    painter.drawImage(QPoint(0, 0), m_frame);
    const QSize shown = m_frame.size() / m_frame.devicePixelRatio();
    if (shown.width() < width())
        painter.fillRect(shown.width(), 0, width() - shown.width(), height(), Qt::black);
    if (shown.height() < height())
        painter.fillRect(0, shown.height(), width(), height() - shown.height(), Qt::black);
}

void SoftwareRenderer::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    renderFrame();
}

} // namespace plxav
