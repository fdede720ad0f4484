#include "ChatLineContent.h"

void ChatLineContent::setCell(int row, int column)
{
    m_row = row;
    m_column = column;
}

void ChatLineContent::extendSelectionTo(QPointF)
{ }
void ChatLineContent::beginSelectionAt(QPointF)
{ }
void ChatLineContent::dropSelection()
{ }
void ChatLineContent::selectWordAt(QPointF)
{ }
void ChatLineContent::selectBlockAt(QPointF)
{ }
void ChatLineContent::setSelectionActive(bool)
{ }
bool ChatLineContent::hitsSelection(QPointF) const
{
    return false;
}
QString ChatLineContent::selectedText() const
{
    return QString();
}
void ChatLineContent::setItemFont(const QFont&)
{ }
QFont ChatLineContent::itemFont() const
{
    return m_font;
}
void ChatLineContent::setTag(const QString& tag)
{
    m_tag = tag;
}
QString ChatLineContent::tag() const
{
    return m_tag;
}
bool ChatLineContent::isFinished() const
{
    return m_finished;
}
void ChatLineContent::setFinished(bool finished)
{
    m_finished = finished;
}
QString ChatLineContent::plainText() const
{
    return QString();
}
double ChatLineContent::firstLineAscent() const
{
    return 0;
}
void ChatLineContent::setOnScreen(bool)
{ }
