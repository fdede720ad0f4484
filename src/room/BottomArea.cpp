#include "BottomArea.h"

#include "widgets/Placement.h"

BottomArea::BottomArea(QWidget* parent)
    : QWidget(parent)
    , m_menuBar(this)
{
    connect(this, &BottomArea::CleanUp, this, &BottomArea::OnCleanUp);
}

void BottomArea::SetupLayout(QWidget* window)
{
    if (!Placement::MoveInto(this, window, "[Error], in BottomArea::SetupLayout, _widget is NULL"))
        return;
    m_menuBar.SetupLayout(window);
    m_menuBar.show();
}

void BottomArea::OnCleanUp()
{
    emit m_menuBar.CleanUp();
    m_menuBar.hide();
    hide();
}
