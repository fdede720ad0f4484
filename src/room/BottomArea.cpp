#include "BottomArea.h"

#include <QDebug>

BottomArea::BottomArea(QWidget* parent)
    : QWidget(parent)
    , m_menuBar(this)
{
    connect(this, &BottomArea::CleanUp, this, &BottomArea::OnCleanUp);
}

void BottomArea::SetupLayout(QWidget* window)
{
    if (window == nullptr) {
        qDebug() << "[Error], in BottomArea::SetupLayout, _widget is NULL";
        return;
    }
    if (parentWidget() != window)
        setParent(window);
    m_menuBar.SetupLayout(window);
    m_menuBar.show();
}

void BottomArea::OnCleanUp()
{
    emit m_menuBar.CleanUp();
    m_menuBar.hide();
    hide();
}
