#include "TopArea.h"

#include "MainWindow.h"
#include "TitleBar.h"
#include "widgets/Placement.h"

TopArea::TopArea(QWidget* parent)
    : QWidget(parent)
    , m_titleBar(new TitleBar(this))
{
    setObjectName(QStringLiteral("TopArea"));
    setFocusPolicy(Qt::NoFocus);
    connect(this, &TopArea::CleanUp, this, &TopArea::OnCleanUp);
}

TopArea::~TopArea()
{
    delete m_titleBar;
}

TitleBar* TopArea::GetTitleBar() const
{
    return m_titleBar;
}

void TopArea::SetupLayout(MainWindow* window)
{
    if (!Placement::MoveInto(this, window, "[Error], in LeftArea::TopArea, _widget is NULL"))
        return;
    if (m_titleBar) {
        m_titleBar->SetupLayout(window);
        m_titleBar->show();
        resize(m_titleBar->size());
    }
    move(0, 0);
    setFocusPolicy(Qt::NoFocus);
    clearFocus();
    show();
    // The bar lies over the strip, not under it.
    if (m_titleBar)
        m_titleBar->raise();
}

void TopArea::OnCleanUp()
{
    hide();
    if (m_titleBar)
        m_titleBar->hide();
}
