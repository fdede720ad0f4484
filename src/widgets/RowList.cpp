#include "RowList.h"

RowList::RowList(QWidget* parent)
    : QListWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void RowList::AppendRow(QWidget* widget, const QSize& size)
{
    auto* row = new QListWidgetItem(this);
    row->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    row->setSizeHint(size);
    setItemWidget(row, widget);
}

void RowList::RemoveRow(int index)
{
    delete takeItem(index); // the view releases the row's widget with it
}
