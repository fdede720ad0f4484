#include "MenuBar.h"

#include "app/MainWindow.h"
#include "app/Nexus.h"
#include "room/LeftArea.h"
#include "room/RightArea.h"
#include "widgets/QMeter.h"

#include <QDebug>
#include <QPushButton>

namespace {
constexpr int kBarHeight = 40;
} // namespace

MenuBar::MenuBar(QWidget* parent)
    : QLabel(parent)
{
    setObjectName(QStringLiteral("MENUAREA"));
    m_meter = new QMeter(this);
    m_meter->setFixedSize(60, 16);
    m_btnRecord = new QPushButton(this);
    m_btnRecord->setFixedSize(24, 24);
    m_btnRecord->setFocusPolicy(Qt::NoFocus);
    m_btnRecord->setCursor(Qt::PointingHandCursor);

    connect(this, &MenuBar::UpdateVolumInfo, this, &MenuBar::OnUpdateVolumInfo);
    connect(this, &MenuBar::CleanUp, this, &MenuBar::OnCleanUp);
    connect(this, &MenuBar::UpdateMacphone, this, &MenuBar::OnUpdateMacphone);
}

void MenuBar::InitUI()
{
    qDebug() << "into  MenuBar::InitUI";
    SetSpeakMode(SpeakHoldAlt);
    connect(this, &MenuBar::UpdateUIByPermission, this, &MenuBar::OnUpdateUIByPermission, Qt::UniqueConnection);
    connect(this, &MenuBar::ButtonWithCmdPress, this, &MenuBar::OnButtonWithCmdPress, Qt::UniqueConnection);
    // Hold Alt to talk.
    if (MainWindow* window = Nexus::GetMainWindow())
        window->OnRegisterKeyHook();
}

void MenuBar::SetupLayout(QWidget* window)
{
    if (window == nullptr) {
        qDebug() << "[Error], in MenuBar::SetupLayout, win is NULL";
        return;
    }
    m_mainWindow = window;
    if (parentWidget() != window)
        setParent(window);
    LeftArea* left = Nexus::GetLeftArea();
    RightArea* right = Nexus::GetRightArea();
    const int leftWidth = left != nullptr ? left->width() : 0;
    const int rightWidth = right != nullptr ? right->width() : 0;
    setGeometry(leftWidth, window->height() - kBarHeight, window->width() - leftWidth - rightWidth, kBarHeight);
    m_meter->move(200, (kBarHeight - m_meter->height()) / 2);
    m_btnRecord->move(width() - 39, (kBarHeight - m_btnRecord->height()) / 2);
    OnUpdateAudioRecordStatus();
    show();
}

void MenuBar::OnAltKeyPress()
{
    qDebug() << "into MenuBar::OnAltKeyPress";
}

void MenuBar::OnAltKeyRelease()
{
    qDebug() << "into MenuBar::OnAltKeyRelease";
    m_meter->setValue(0);
}

void MenuBar::UpdateUIByStates(int status)
{
    qDebug() << "into MenuBar::UpdateUIByStates, status:" << status;
}

void MenuBar::OnCleanUp()
{
    disconnect(this, &MenuBar::UpdateUIByPermission, this, &MenuBar::OnUpdateUIByPermission);
    disconnect(this, &MenuBar::ButtonWithCmdPress, this, &MenuBar::OnButtonWithCmdPress);
    m_meter->setValue(0);
    m_currentPeak = 0;
    m_speaking = 0;
}

void MenuBar::OnUpdateVolumInfo()
{
    qDebug() << "into MenuBar::OnUpdateVolumInfo";
}

void MenuBar::OnUpdateUIByPermission(int permission)
{
    qDebug() << "into MenuBar::OnUpdateUIByPermission, permission:" << permission;
}

void MenuBar::OnUpdateMacphone(int type)
{
    qDebug() << "into OnUpdateMacphone, and type:" << type;
}

void MenuBar::OnUpdateAudioRecordStatus()
{
    // No class recording runs before the recording dialogs exist.
    m_btnRecord->setToolTip(QStringLiteral("录音"));
    m_btnRecord->show();
}

void MenuBar::HidePopUpWidget()
{ }

void MenuBar::GetMicrophonePeakVolum()
{
    // The bar opens no audio input yet, so there is no level to read.
}

void MenuBar::CalcuMicroVolum()
{
    m_peaks[m_peakPos] = m_currentPeak;
    m_peakPos = (m_peakPos + 1) % 3;
    m_currentPeak = 0;
    const int sum = m_peaks[0] + m_peaks[1] + m_peaks[2];
    if (sum <= 10) {
        if (m_speaking == 1)
            qDebug() << "GetAudioInVolum is less than 20 ";
        m_speaking = 0;
        return;
    }
    qDebug() << "GetAudioInVolum is large than 20 ";
    m_speaking = 1;
}

void MenuBar::OnButtonWithCmdPress()
{
    SetSpeakMode(SpeakHoldAlt);
    m_meter->setValue(0);
}
