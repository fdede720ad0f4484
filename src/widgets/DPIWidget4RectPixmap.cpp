#include "DPIWidget4RectPixmap.h"

#include "DpiPixmap.h"

#include <QPainter>
#include <QStyleOption>

DPIWidget4RectPixmap::DPIWidget4RectPixmap(QWidget* parent)
    : QLabel(parent)
{ }

void DPIWidget4RectPixmap::SetPixmapPath(const QString& path)
{
    m_path = path;
    m_backing = DpiPixmap::LoadAtShownSize(this, path);
    update();
}

void DPIWidget4RectPixmap::paintEvent(QPaintEvent* event)
{
    if (m_path.isEmpty())
        return;
    // A file that arrived after the path was set is picked up here, and a
    // picture is decoded again at a new size rather than scaled: a resize
    // alone decodes nothing, however often the layout runs before a paint.
    if (m_backing.isNull() || m_backing.size() != DpiPixmap::ShownSize(this))
        m_backing = DpiPixmap::LoadAtShownSize(this, m_path);
    if (m_backing.isNull()) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    DpiPixmap::Prepare(painter, this, false);
    DpiPixmap::Draw(painter, this, m_backing);
    if (paintStyleOverlay) {
        QStyleOption option;
        option.initFrom(this);
        style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
    }
}
