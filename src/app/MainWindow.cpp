#include "MainWindow.h"

#include "Nexus.h"
#include "Profile.h"
#include "TopArea.h"
#include "entry/NewLoginWidget.h"

#include <QDebug>
#include <QResizeEvent>

MainWindow::MainWindow(QWidget* parent)
    : QWidget(parent, Qt::FramelessWindowHint | Qt::Window)
{
    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(QStringLiteral("普罗维客户端"));
    setStyleSheet(QStringLiteral("#MainWindow{background-color: #F5F6F8;}"));
    m_topArea = new TopArea(this);
    m_loginWidget = new NewLoginWidget();
    connect(this, &MainWindow::UpdateLoginProgress, this, &MainWindow::OnLoginProgress);
}

MainWindow::~MainWindow()
{
    // The hub and the workers go first: they may still reach the panels.
    Nexus::Teardown();
    delete m_loginWidget;
}

void MainWindow::RegisterToNexus()
{
    Nexus::SetMainWindow(this);
    Nexus::SetTopArea(m_topArea);
}

void MainWindow::SecondSetup()
{
    show();
    SetupLayout();
}

void MainWindow::SetupLayout()
{
    m_dwMainWinWidth = width();
    m_dwMainWinHeight = height();
    if (m_topArea)
        m_topArea->SetupLayout(this);
}

void MainWindow::OnLoginProgress(int phase)
{
    qDebug() << "into MainWindow::OnLoginProgress, and phase:" << phase;
    if (Profile* profile = Nexus::GetProfile())
        profile->SetLoginPhase(phase);
}

void MainWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (event->size().width() != m_dwMainWinWidth || event->size().height() != m_dwMainWinHeight)
        SetupLayout();
}
