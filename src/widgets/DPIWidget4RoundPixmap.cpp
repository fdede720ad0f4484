#include "DPIWidget4RoundPixmap.h"

#include "DpiPixmap.h"

#include <QPainter>

DPIWidget4RoundPixmap::DPIWidget4RoundPixmap(QWidget* parent)
    : QLabel(parent)
{ }

void DPIWidget4RoundPixmap::SetPixmapPath(const QString& path)
{
    m_path = path;
    m_backing = DpiPixmap::Load(this, path);
    update();
}

void DPIWidget4RoundPixmap::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    if (DpiPixmap::Outgrown(this, m_backing))
        m_backing = DpiPixmap::Load(this, m_path);
}

void DPIWidget4RoundPixmap::paintEvent(QPaintEvent*)
{
    if (m_path.isEmpty())
        return;
    QPainter painter(this);
    DpiPixmap::Prepare(painter, this, true);
    DpiPixmap::Draw(painter, this, m_backing);
}
