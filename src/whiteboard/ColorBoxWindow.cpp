#include "ColorBoxWindow.h"

#include "PaletteWidget.h"
#include "TextEdit.h"
#include "WhiteBoardWidget.h"
#include "app/Nexus.h"
#include "room/MiddleArea.h"

#include <QDebug>

ColorBoxItemWidget::ColorBoxItemWidget(const QString& name, const QColor& color, QWidget* parent)
    : PickerCell(parent)
    , m_color(color)
    , m_strColorName(name)
{
    m_swatch = new QLabel(this);
    m_swatch->setGeometry(10, 10, 20, 20);
    m_swatch->setStyleSheet(QStringLiteral("QLabel{border:0px;border-radius:5px;background: %1;} ").arg(color.name()));
    m_swatch->setCursor(Qt::PointingHandCursor);
}

void ColorBoxItemWidget::mousePressEvent(QMouseEvent* event)
{
    Q_UNUSED(event)
    qDebug() << "ColorBoxItemWidget::mousePressEvent, m_color:" << m_color;
    if (WhiteBoardWidget* board = Nexus::GetWhiteBoardWidget()) {
        board->SetColor(m_color);
        board->SetColorName(m_strColorName);
        board->GetTextEdit()->SetFontColor(m_strColorName);
    }
    if (MiddleArea* middle = Nexus::GetMiddleArea())
        middle->OnHideColorBox();
    if (PaletteWidget* palette = Nexus::GetPaletteWidget())
        palette->OnColorChanged(m_color);
}

ColorBoxWindow::ColorBoxWindow(QWidget* parent)
    : PickerWindow(parent)
{ }

const QVector<QPair<QString, QColor>>& ColorBoxWindow::Colors()
{
    static const QVector<QPair<QString, QColor>> colors { { QStringLiteral("#000000"), QColor(0, 0, 0) },
        { QStringLiteral("#C5C5C5"), QColor(197, 197, 197) }, { QStringLiteral("#EC2629"), QColor(236, 38, 41) },
        { QStringLiteral("#07A6ED"), QColor(7, 166, 237) }, { QStringLiteral("#23B24D"), QColor(35, 178, 77) },
        { QStringLiteral("#FFE405"), QColor(255, 228, 5) } };
    return colors;
}

void ColorBoxWindow::InitColorBox()
{
    if (m_ColorBoxWidget)
        return;
    m_ColorBoxWidget = new ColorBoxWidget(this);
    for (int i = 0; i < Colors().size(); ++i) {
        const auto& color = Colors().at(i);
        m_ColorBoxWidget->AddCell(i, color.first, new ColorBoxItemWidget(color.first, color.second));
    }
    SetGrid(m_ColorBoxWidget);
}

void ColorBoxWindow::showColorBox(int x, int y)
{
    Q_UNUSED(x)
    Q_UNUSED(y)
    InitColorBox();
    FitToGrid("ColorBoxWindow::showColorBox", "m_ColorBoxWidget");
}
