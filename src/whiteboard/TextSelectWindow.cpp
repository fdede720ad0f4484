#include "TextSelectWindow.h"

#include "PaletteWidget.h"
#include "TextEdit.h"
#include "WhiteBoardWidget.h"
#include "app/Nexus.h"
#include "room/MiddleArea.h"

#include <QDebug>
#include <QTableWidget>

namespace {
constexpr int kChosenAtStart = 18;
} // namespace

TextSelectItem::TextSelectItem(const QString& label, int size, QWidget* parent)
    : PickerCell(parent)
    , m_size(size)
    , m_strSizeDesc(label)
{
    m_label = new QLabel(label, this);
    m_label->setGeometry(10, 10, 20, 20);
    m_label->setAlignment(Qt::AlignCenter);
    m_label->setStyleSheet(
        QStringLiteral("QLabel{border:0px;border-radius:5px;background:#ffffff;font: %1px Microsoft YaHei}").arg(size));
    m_label->setCursor(Qt::PointingHandCursor);
    SetSelected(size == kChosenAtStart);
}

void TextSelectItem::mousePressEvent(QMouseEvent* event)
{
    Q_UNUSED(event)
    qDebug() << "TextSelectItem::mousePressEvent, m_strSizeDesc:" << m_strSizeDesc;
    if (m_grid) {
        for (int column = 0; column < m_grid->columnCount(); ++column) {
            if (auto* cell = qobject_cast<TextSelectItem*>(m_grid->cellWidget(0, column)))
                cell->SetSelected(false);
        }
    }
    SetSelected(true);
    if (WhiteBoardWidget* board = Nexus::GetWhiteBoardWidget()) {
        board->SetShape4Text();
        board->GetTextEdit()->SetFontSize(m_size);
    }
    if (MiddleArea* middle = Nexus::GetMiddleArea())
        middle->OnHideTextSelectBox();
    if (PaletteWidget* palette = Nexus::GetPaletteWidget())
        palette->OnShapeBarChanged(4);
}

TextSelectWindow::TextSelectWindow(QWidget* parent)
    : PickerWindow(parent)
{ }

const QMap<int, QString>& TextSelectWindow::Sizes()
{
    static const QMap<int, QString> sizes { { 16, QStringLiteral("小") }, { 18, QStringLiteral("中") },
        { 22, QStringLiteral("大") } };
    return sizes;
}

void TextSelectWindow::InitTextSelectBox()
{
    if (m_TextSelectWidget)
        return;
    m_TextSelectWidget = new TextSelectWidget(this);
    int index = 0;
    for (auto it = Sizes().cbegin(); it != Sizes().cend(); ++it, ++index) {
        auto* cell = new TextSelectItem(it.value(), it.key());
        cell->SetGrid(m_TextSelectWidget);
        m_TextSelectWidget->AddCell(index, it.value(), cell);
    }
    SetGrid(m_TextSelectWidget);
}

void TextSelectWindow::showTextSelectBox(int x, int y)
{
    Q_UNUSED(x)
    Q_UNUSED(y)
    InitTextSelectBox();
    FitToGrid("TextSelectWindow::showTextSelectBox", "m_TextSelectWidget");
}
