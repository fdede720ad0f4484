#include "AudioRecordCloseDialog.h"

#include "app/Nexus.h"
#include "app/Profile.h"
#include "room/MenuBar.h"
#include "rtc/AudioRecordBroswerDialog.h"
#include "rtc/CAgoraObject.h"
#include "rtc/Player.h"

#include <QDebug>
#include <QLabel>
#include <QPushButton>

AudioRecordCloseDialog::AudioRecordCloseDialog(QWidget* parent)
    : RecordFrame(QStringLiteral("AudioRecordCloseDialog"), QSize(280, 112), parent)
{
    m_text = new QLabel(QStringLiteral("正在录音中,是否确认停止?"), this);
    m_text->setGeometry(20, 18, 240, 30);
    m_text->setStyleSheet(QStringLiteral("color:#333333;font:16px Microsoft YaHei;border:0px;"));
    m_btnOk = new QPushButton(QStringLiteral("确定"), this);
    m_btnOk->setGeometry(64, 62, 90, 32);
    m_btnOk->setStyleSheet(QStringLiteral(
        "QPushButton{background-color:#f74945;border:1px solid #ff554d;border-radius:5px;color:#ffffff;font:16px "
        "Microsoft YaHei;}QPushButton::hover{background-color:#ff5459;}"));
    m_btnCancel = new QPushButton(QStringLiteral("取消"), this);
    m_btnCancel->setGeometry(170, 62, 90, 32);
    m_btnCancel->setStyleSheet(QStringLiteral(
        "QPushButton{background-color:#ffffff;border:1px solid #c5c5c5;border-radius:5px;color:#666666;font:16px "
        "Microsoft YaHei;}QPushButton::hover{border:1px solid #ff554d;color:#ff554d;}"));
    for (QPushButton* button : { m_btnOk, m_btnCancel })
        button->setCursor(Qt::PointingHandCursor);
    connect(m_btnOk, &QPushButton::clicked, this, &AudioRecordCloseDialog::StopRecord);
    connect(m_btnCancel, &QPushButton::clicked, this, &AudioRecordCloseDialog::HideDialog);
}

void AudioRecordCloseDialog::ShowDialog()
{
    QWidget* window = AttachToMainWindow();
    if (!window)
        return;
    PlaceAboveRecordButton(window);
    Present();
}

void AudioRecordCloseDialog::StopRecord()
{
    Profile* profile = Nexus::GetProfile();
    const bool recording = profile && profile->GetClassRecordingFlag();
    qDebug() << "into AudioRecordSetDialog::StopRecord, and record status:" << recording;
    Player* player = Nexus::GetPlayer();
    CAgoraObject* agora = player ? player->GetMediaPlayer()->GetAgoraObject() : nullptr;
    if (!recording || !agora)
        return;
    agora->StopAudioRecording();
    profile->SetClassRecordingFlag(false);
    profile->SetRecordingRoomId(QString());
    HideDialog();
    MenuBar* bar = Nexus::GetMenuBar();
    if (AudioRecordBroswerDialog* browser = bar ? bar->GetAudioRecordBroswerDialog() : nullptr)
        browser->ShowDialog();
    RefreshMenuBar();
}
