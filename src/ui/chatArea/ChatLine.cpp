#include "ChatLine.h"

#include "ChatContext.h"
#include "ChatLineContent.h"

#include <QFontMetrics>
#include <QGraphicsScene>

namespace {
// Room kept right of an own item against the panel's right side.
constexpr int kRightReserve = 27;
} // namespace

ChatLine::~ChatLine()
{
    for (ChatLineContent* item : qAsConst(m_items)) {
        if (item->scene())
            item->scene()->removeItem(item);
        delete item;
    }
}

void ChatLine::appendItem(ChatLineContent* item, const ColumnFormat& format)
{
    if (!item)
        return;
    m_formats.append(format);
    m_items.append(item);
}

void ChatLine::setRow(int row)
{
    m_row = row;
    for (int column = 0; column < m_items.size(); ++column)
        m_items.at(column)->setCell(row, column);
}

ChatLineContent* ChatLine::item(int column) const
{
    return column >= 0 && column < m_items.size() ? m_items.at(column) : nullptr;
}

ChatLineContent* ChatLine::itemAt(QPointF scenePos) const
{
    for (ChatLineContent* item : m_items) {
        if (item->sceneBoundingRect().contains(scenePos))
            return item;
    }
    return nullptr;
}

int ChatLine::singleItemType() const
{
    return m_items.size() == 1 ? m_items.first()->type() : 0;
}

QString ChatLine::firstItemText() const
{
    return m_items.isEmpty() ? QString() : m_items.first()->plainText();
}

void ChatLine::attachTo(QGraphicsScene* scene)
{
    if (!scene)
        return;
    // Items off screen stay hidden: a scene without an index walks every
    // item it holds when it paints or looks for the item under the mouse,
    // and a hidden one costs it next to nothing.
    for (ChatLineContent* item : qAsConst(m_items)) {
        item->setVisible(m_onScreen);
        scene->addItem(item);
    }
}

void ChatLine::detachFromScene()
{
    for (ChatLineContent* item : qAsConst(m_items)) {
        if (item->scene())
            item->scene()->removeItem(item);
    }
}

void ChatLine::layoutAt(double width, QPointF origin)
{
    if (m_items.isEmpty())
        return;
    m_width = width;
    m_bounds.moveTopLeft(origin);
    const double panelWidth = ChatContext::PanelWidth(width + 20);

    double fixed = (m_items.size() - 1) * m_columnSpacing;
    double variable = 0;
    for (const ColumnFormat& format : qAsConst(m_formats)) {
        if (format.policy == ColumnFormat::FixedSize)
            fixed += format.size;
        else
            variable += format.size;
    }
    if (m_formats.isEmpty() || variable == 0)
        variable = 1;
    const double leftover = qMax(0.0, width - fixed);

    QVector<double> x(m_items.size());
    double maxAscent = 0;
    for (int i = 0; i < m_items.size(); ++i) {
        ChatLineContent* item = m_items.at(i);
        const ColumnFormat& format = m_formats.at(i);
        const double column
            = format.policy == ColumnFormat::FixedSize ? format.size : format.size / variable * leftover;
        item->fitToWidth(column);
        const double itemWidth = item->boundingRect().width();
        double offset = 0;
        switch (format.align) {
        case AlignLeft:
            break;
        case AlignPanelCenter:
            offset = (panelWidth - itemWidth) * 0.5 - 10;
            break;
        case AlignColumnRight:
            offset = column - itemWidth;
            break;
        case AlignPanelRight: {
            int reserve = int(itemWidth + kRightReserve);
            if (item->type() == 1)
                reserve
                    = QFontMetrics(item->itemFont()).horizontalAdvance(item->plainText() + QStringLiteral("xxxx")) + 4;
            offset = qMax(0.0, panelWidth - reserve);
            break;
        }
        }
        x[i] = origin.x() + offset;
        maxAscent = qMax(maxAscent, item->firstLineAscent());
    }
    // A picture's partner (its spinner) sits right beside the picture.
    if (m_items.size() == 2) {
        ChatLineContent* first = m_items.at(0);
        ChatLineContent* second = m_items.at(1);
        if (second->type() == 2)
            x[0] = panelWidth - (second->boundingRect().width() + kRightReserve) - first->boundingRect().width();
        else if (first->type() == 2)
            x[1] = first->boundingRect().width() + kRightReserve;
    }

    double height = 0;
    for (int i = 0; i < m_items.size(); ++i) {
        ChatLineContent* item = m_items.at(i);
        double extra = 0;
        if (m_items.size() == 2) {
            ChatLineContent* first = m_items.at(0);
            ChatLineContent* second = m_items.at(1);
            if (i == 0 && m_formats.at(1).align == AlignPanelRight && second->type() == 2)
                extra = int(second->boundingRect().height() / 2);
            else if (i == 1 && first->type() == 2)
                extra = int(first->boundingRect().height() / 2);
        }
        item->setPos(x[i], origin.y() + (maxAscent - item->firstLineAscent()) + extra);
    }
    for (ChatLineContent* item : qAsConst(m_items))
        height = qMax(height, item->sceneBoundingRect().top() - m_bounds.top() + item->boundingRect().height());
    m_bounds.setWidth(m_width);
    m_bounds.setHeight(height);
}

void ChatLine::dropSelection()
{
    for (ChatLineContent* item : qAsConst(m_items))
        item->dropSelection();
}

void ChatLine::setSelectionActive(bool active)
{
    for (ChatLineContent* item : qAsConst(m_items))
        item->setSelectionActive(active);
}

void ChatLine::setItemFont(const QFont& font)
{
    for (ChatLineContent* item : qAsConst(m_items))
        item->setItemFont(font);
}

void ChatLine::setOnScreen(bool onScreen)
{
    if (onScreen != m_onScreen) {
        for (ChatLineContent* item : qAsConst(m_items)) {
            item->setVisible(onScreen);
            item->setOnScreen(onScreen);
        }
    }
    m_onScreen = onScreen;
}
