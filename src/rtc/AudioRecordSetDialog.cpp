#include "AudioRecordSetDialog.h"

#include "app/MainWindow.h"
#include "app/Nexus.h"
#include "app/Profile.h"
#include "rtc/CAgoraObject.h"
#include "rtc/Player.h"
#include "rtc/RtcClock.h"
#include "session/DataManager.h"

#include <QCheckBox>
#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryFile>

namespace {

constexpr int kQuality = 2;

AudioRecordSetDialog::FolderChooser& Chooser()
{
    static AudioRecordSetDialog::FolderChooser chooser;
    return chooser;
}

const char kStartTicked[] = "QPushButton{background-color: #f74945;border: 1px solid #ff554d;border-radius: "
                            "5px;color: #ffffff;font:18px Microsoft YaHei;}QPushButton::hover{background-color: "
                            "#ff5459;border: 1px solid #c5c5c5;border-radius: 5px;color: #ffffff;font:18px Microsoft "
                            "YaHei;}";
const char kStartUnticked[] = "QPushButton{background-color: #ff9999;border-radius: 5px;color: #ffffff;font:18px "
                              "Microsoft YaHei;}";

// The folder exists (made when missing) and takes a new file.
bool CanWriteInto(const QString& folder)
{
    if (folder.isEmpty() || !QDir().mkpath(folder))
        return false;
    QTemporaryFile probe(folder + QStringLiteral("/.plovix-XXXXXX"));
    return probe.open();
}

// "yyyyMMddhhmmss.aac" of the start time; a finished recording of the same
// second is never overwritten: the new one gets "-1", "-2"...
QString FreeFileName(const QString& folder)
{
    const QString stamp
        = QDateTime::fromSecsSinceEpoch(RtcClock::NowSeconds()).toString(QStringLiteral("yyyyMMddhhmmss"));
    QString name = stamp + QStringLiteral(".aac");
    for (int i = 1; QFileInfo::exists(folder + QLatin1Char('/') + name); ++i)
        name = QStringLiteral("%1-%2.aac").arg(stamp).arg(i);
    return name;
}

QLabel* MakeLabel(const QString& text, const QString& style, const QRect& geometry, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setStyleSheet(style);
    label->setGeometry(geometry);
    return label;
}

} // namespace

AudioRecordSetDialog::AudioRecordSetDialog(QWidget* parent)
    : RecordFrame(QStringLiteral("AudioRecordSetDialog"), QSize(500, 323), parent)
{
    const QString plain = QStringLiteral("color:#333333;font:16px Microsoft YaHei;border:0px;");
    m_title = MakeLabel(QStringLiteral("请选择录音文件存储位置:"), plain, QRect(23, 27, width() / 2, 23), this);
    m_path = MakeLabel(QString(), QStringLiteral("border:1px solid #afafaf; color:#333333;font: 14px Microsoft YaHei;"),
        QRect(23, 62, 375, 40), this);
    m_path->setTextFormat(Qt::PlainText);
    m_path->setIndent(10);
    m_btnChange = new QPushButton(QStringLiteral("更改"), this);
    m_btnChange->setGeometry(410, 62, 65, 40);
    m_btnChange->setCursor(Qt::PointingHandCursor);
    m_btnChange->setStyleSheet(QStringLiteral(
        "QPushButton{background-color:#ffffff;border:1px solid #afafaf;color:#333333;font:14px Microsoft YaHei;}"
        "QPushButton::hover{border:1px solid #ff554d;color:#ff554d;}"));
    m_reminder = MakeLabel(QStringLiteral("普小维提醒您:"), plain, QRect(23, 115, 130, 23), this);
    m_warning = MakeLabel(QStringLiteral("即使是按键说话状态,课堂外的声音也会被录制哦!"),
        QStringLiteral("color:#ff1515;font: 18px Microsoft YaHei;border:0px;"), QRect(23, 145, 454, 25), this);
    m_consent = new QCheckBox(QStringLiteral("我已知晓并同意"), this);
    m_consent->setGeometry(23, 187, 180, 26);
    m_consent->setCursor(Qt::PointingHandCursor);
    m_consent->setStyleSheet(QStringLiteral("QCheckBox{color:#333333;font:16px Microsoft YaHei;border:0px;}"));
    m_error = MakeLabel(QString(), QStringLiteral("color:#f74945;font:14px Microsoft YaHei;border:0px;"),
        QRect(23, 215, 454, 22), this);
    m_error->setTextFormat(Qt::PlainText);
    m_error->hide();
    m_btnStart = new QPushButton(QStringLiteral("开始录音"), this);
    m_btnStart->setGeometry(101, 243, 125, 45);
    m_btnStart->setCursor(Qt::PointingHandCursor);
    m_btnCancel = new QPushButton(QStringLiteral("取消"), this);
    m_btnCancel->setGeometry(273, 243, 125, 45);
    m_btnCancel->setCursor(Qt::PointingHandCursor);
    m_btnCancel->setStyleSheet(QStringLiteral(
        "QPushButton{background-color:#ffffff;border:1px solid #c5c5c5;border-radius:5px;color:#666666;font:18px "
        "Microsoft YaHei;}QPushButton::hover{border:1px solid #ff554d;color:#ff554d;}"));
    UpdateCheckedStyle(Qt::Unchecked);

    connect(m_btnChange, &QPushButton::clicked, this, &AudioRecordSetDialog::RecordDirBroswer);
    connect(m_btnStart, &QPushButton::clicked, this, &AudioRecordSetDialog::BeginRecord);
    connect(m_btnCancel, &QPushButton::clicked, this, &AudioRecordSetDialog::HideDialog);
    connect(m_consent, &QCheckBox::stateChanged, this, &AudioRecordSetDialog::UpdateCheckedStyle);
}

void AudioRecordSetDialog::SetFolderChooser(FolderChooser chooser)
{
    Chooser() = std::move(chooser);
}

void AudioRecordSetDialog::ShowFolder(const QString& folder)
{
    const QString shown = QDir::toNativeSeparators(folder);
    const int room = m_path->width() - 2 * m_path->indent() - 2;
    m_path->setText(m_path->fontMetrics().elidedText(shown, Qt::ElideMiddle, room));
    m_path->setToolTip(shown);
}

void AudioRecordSetDialog::ShowError(const QString& text)
{
    m_error->setText(text);
    m_error->setVisible(!text.isEmpty());
}

void AudioRecordSetDialog::ShowDialog()
{
    QWidget* window = AttachToMainWindow();
    if (!window)
        return;
    Profile* profile = Nexus::GetProfile();
    ShowFolder(profile ? profile->GetRecordPath() : QString());
    ShowError(QString());
    // Consent is asked for every recording.
    m_consent->setChecked(false);
    UpdateCheckedStyle(m_consent->checkState());
    move((window->width() - width()) / 2, (window->height() - height()) / 2);
    Present();
}

void AudioRecordSetDialog::ShowFailure(const QString& reason)
{
    ShowDialog();
    ShowError(reason);
}

void AudioRecordSetDialog::UpdateCheckedStyle(int state)
{
    m_btnStart->setStyleSheet(QLatin1String(state == Qt::Checked ? kStartTicked : kStartUnticked));
}

void AudioRecordSetDialog::RecordDirBroswer()
{
    Profile* profile = Nexus::GetProfile();
    if (!profile)
        return;
    const QString current = profile->GetRecordPath();
    const QString folder = Chooser()
        ? Chooser()(this, current)
        : QFileDialog::getExistingDirectory(this, QStringLiteral("录音存储目录"), current, QFileDialog::ShowDirsOnly);
    if (folder.isEmpty())
        return;
    qDebug() << "into AudioRecordSetDialog::RecordDirBroswer, and directory:" << folder;
    if (!CanWriteInto(folder)) {
        ShowError(QStringLiteral("该文件夹无法写入,请选择其他文件夹"));
        return;
    }
    ShowError(QString());
    ShowFolder(folder);
    profile->SetRecordPath(folder);
}

bool AudioRecordSetDialog::StartClassRecording(QString* error)
{
    auto fail = [error](const QString& reason) {
        if (error)
            *error = reason;
        return false;
    };
    Profile* profile = Nexus::GetProfile();
    Player* player = Nexus::GetPlayer();
    CAgoraObject* agora = player ? player->GetMediaPlayer()->GetAgoraObject() : nullptr;
    if (!profile || !agora) {
        qDebug() << "[ERROR]in AudioRecordSetDialog::BeginRecord, no RTC engine";
        return fail(QStringLiteral("课堂音频尚未连接,请稍后再试"));
    }
    const QString folder = QDir::cleanPath(profile->GetRecordPath());
    if (!CanWriteInto(folder)) {
        qDebug() << "[ERROR]in AudioRecordSetDialog::BeginRecord, cannot write into:" << folder;
        return fail(QStringLiteral("录音文件夹无法写入,请点击“更改”选择其他文件夹"));
    }
    const QString name = FreeFileName(folder);
    profile->SetRecordFileName(name);
    const QString path = folder + QLatin1Char('/') + name;
    if (!agora->StartAudioRecording(path, kQuality)) {
        qDebug() << "[ERROR]in AudioRecordSetDialog::BeginRecord, recording did not start:" << agora->GetLastResult();
        // The name was free: whatever lies there now is this failed start's.
        QFile::remove(path);
        return fail(QStringLiteral("录音未能开始,请稍后重试"));
    }
    profile->SetClassRecordingFlag(true);
    DataManager* data = Nexus::GetDataManager();
    profile->SetRecordingRoomId(data ? data->GetRoomId() : QString());
    RefreshMenuBar();
    return true;
}

void AudioRecordSetDialog::BeginRecord()
{
    if (!m_consent->isChecked())
        return;
    Profile* profile = Nexus::GetProfile();
    const bool recording = profile && profile->GetClassRecordingFlag();
    qDebug() << "into AudioRecordSetDialog::BeginRecord, and record status:" << recording;
    if (recording)
        return;
    QString error;
    if (!StartClassRecording(&error)) {
        ShowError(error);
        return;
    }
    ShowError(QString());
    HideDialog();
}
