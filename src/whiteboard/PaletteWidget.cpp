#include "PaletteWidget.h"

#include <QDebug>

PaletteWidget::PaletteWidget(QWidget* parent)
    : QLabel(parent)
{
    setObjectName(QStringLiteral("PALETTE_WIDGET"));
    connect(this, &PaletteWidget::ShapeBarChanged, this, &PaletteWidget::OnShapeBarChanged);
    connect(this, &PaletteWidget::ShowPalette, this, &PaletteWidget::OnShowPalette);
    connect(this, &PaletteWidget::ColorChanged, this, &PaletteWidget::OnColorChanged);
}

void PaletteWidget::OnShapeBarChanged(int type)
{
    m_currentShape = type;
}

void PaletteWidget::OnShowPalette()
{
    if (m_anchor == nullptr) {
        qDebug() << "into PaletteWidget::OnShowPalette, anchor is null";
        return;
    }
    // A plain strip along the anchor's bottom edge.
    const int height = 40;
    if (parentWidget() != m_anchor)
        setParent(m_anchor);
    setGeometry(0, m_anchor->height() - height, m_anchor->width(), height);
    show();
    raise();
}

void PaletteWidget::OnColorChanged(QColor color)
{
    qDebug() << "into PaletteWidget::OnColorChanged, color:" << color.name();
}
