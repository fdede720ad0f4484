#include "TopArea.h"

#include <QDebug>

TopArea::TopArea(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("TopArea"));
}

void TopArea::SetupLayout(QWidget* window)
{
    if (!window) {
        qDebug() << "[Error], in LeftArea::TopArea, _widget is NULL";
        return;
    }
    setParent(window);
    setGeometry(0, 0, window->width(), 40);
    show();
}
