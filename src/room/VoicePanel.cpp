#include "VoicePanel.h"

#include "MenuBar.h"

#include "app/MainWindow.h"
#include "app/Nexus.h"
#include "app/Profile.h"
#include "rtc/Player.h"
#include "session/DataManager.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

VoicePanel::VoicePanel(QWidget* parent)
    : QLabel(parent)
{
    m_btnFree = new QPushButton(this);
    m_btnCmd = new QPushButton(this);
    m_btnFree->setCursor(Qt::PointingHandCursor);
    m_btnCmd->setCursor(Qt::PointingHandCursor);
    connect(m_btnFree, &QPushButton::clicked, this, &VoicePanel::OnButtonWithFreePress);
    connect(m_btnCmd, &QPushButton::clicked, this, &VoicePanel::OnButtonWithCmdPress);
    connect(this, &VoicePanel::ButtonWithCmdPress, this, &VoicePanel::OnButtonWithCmdPress);
    hide();
}

void VoicePanel::InitUI()
{
    if (m_built)
        return;
    m_built = true;
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setFixedSize(150, 102);
    // A pop-up over the class room: its own white card with a hairline.
    setObjectName(QStringLiteral("VoicePanel"));
    setStyleSheet(QStringLiteral("#VoicePanel{background:#FFFFFF;border:1px solid rgb(233,233,233);}"));
    m_btnFree->setFixedSize(130, 50);
    m_btnFree->setStyleSheet(
        QStringLiteral("QPushButton{background-color: rgb(255,255,255);border:1px solid rgb(233,233,233);}"
                       "QPushButton:hover{background-color: rgb(244,244,244);border:1px solid rgb(233,233,233);}"));
    m_btnFree->setText(QStringLiteral("自由说话"));
    m_btnCmd->setFixedSize(130, 50);
    m_btnCmd->setStyleSheet(
        QStringLiteral("QPushButton{border:1px solid rgb(233,233,233);background-color: rgb(255,255,255);}"
                       "QPushButton:hover{background-color: rgb(244,244,244);border:1px solid rgb(233,233,233);}"));
    m_btnCmd->setText(QStringLiteral("按住ALT键说话"));
    m_layout = new QVBoxLayout(this);
    m_layout->setContentsMargins(10, 1, 10, 1);
    m_layout->setSpacing(0);
    m_layout->addWidget(m_btnFree);
    m_layout->addWidget(m_btnCmd);
}

void VoicePanel::ShowPanel()
{
    if (isVisible()) {
        hide();
        lower();
        return;
    }
    DataManager* data = Nexus::GetDataManager();
    Profile* profile = Nexus::GetProfile();
    if (!data || !profile || !(data->GetPermission() & 1) || profile->GetMicrophoneMuted() == 1)
        return;
    if (m_menuBar)
        m_menuBar->ShowVoicePanel();
}

void VoicePanel::showEvent(QShowEvent* event)
{
    QLabel::showEvent(event);
    qApp->installEventFilter(this);
}

void VoicePanel::hideEvent(QHideEvent* event)
{
    qApp->removeEventFilter(this);
    QLabel::hideEvent(event);
}

bool VoicePanel::eventFilter(QObject* watched, QEvent* event)
{
    if ((event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseButtonDblClick)
        || !watched->isWidgetType())
        return false;
    // A press the panel or its parents pass on reaches this filter again:
    // where it happened decides, not who sees it.
    const QPoint at = static_cast<QMouseEvent*>(event)->globalPos();
    if (rect().contains(mapFromGlobal(at)))
        return false;
    // The speaking-mode button toggles the panel itself.
    QWidget* button = m_menuBar ? m_menuBar->GetSpeakModeButton() : nullptr;
    if (button != nullptr && button->isVisible() && button->rect().contains(button->mapFromGlobal(at)))
        return false;
    hide();
    lower();
    return false;
}

bool VoicePanel::Choose(int mode)
{
    hide();
    lower();
    if (!m_menuBar)
        return false;
    const int previous = m_menuBar->GetSpeakMode();
    m_menuBar->SetSpeakMode(mode);
    return previous != mode;
}

void VoicePanel::OnButtonWithFreePress()
{
    if (!Choose(MenuBar::SpeakFree))
        return;
    m_menuBar->SetupLayout(Nexus::GetMainWindow());
    m_menuBar->SetMicMetering(MenuBar::MeterStart);
    if (Player* player = Nexus::GetPlayer())
        emit player->MuteLocalAudio(0);
}

void VoicePanel::OnButtonWithCmdPress()
{
    if (!Choose(MenuBar::SpeakHoldAlt))
        return;
    m_menuBar->SetupLayout(Nexus::GetMainWindow());
    m_menuBar->SetMicMetering(MenuBar::MeterPause);
    if (Player* player = Nexus::GetPlayer())
        emit player->MuteLocalAudio(1);
    if (DataManager* data = Nexus::GetDataManager())
        emit data->LocalMicropStatusNofity(2);
}
