#include "MsgNotifyWindow.h"

#include "app/MainWindow.h"
#include "app/Nexus.h"
#include "app/Profile.h"
#include "room/NotifyType.h"
#include "room/NotifyUIV2.h"
#include "session/DataManager.h"

#include <QDebug>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int kBarHeight = 40;
constexpr int kShowMs = 3000;
constexpr int kCloseRightMargin = 20;
constexpr int kListenerRole = 7;

QWidget* MainWindowOr(QWidget* fallback)
{
    if (QWidget* main = Nexus::GetMainWindow())
        return main;
    return fallback != nullptr ? fallback->window() : nullptr;
}
} // namespace

MsgNotifyWindow::MsgNotifyWindow(QWidget* parent)
    : QFrame(parent)
    , m_dialog(new NotifyUIV2(this))
{
    setObjectName(QStringLiteral("MsgNotifyBar"));
    m_hideTimer.setSingleShot(true);
    m_hideTimer.setInterval(kShowMs);
    connect(&m_hideTimer, &QTimer::timeout, this, &MsgNotifyWindow::OnShownLongEnough);
    BuildNoticeForm();
    BuildDeviceForm();
    connect(this, &MsgNotifyWindow::CleanUp, this, &MsgNotifyWindow::OnCleanUp);
    hide();
}

MsgNotifyWindow::~MsgNotifyWindow()
{
    // The dialog may have moved into the main window.
    delete m_dialog;
}

void MsgNotifyWindow::BuildNoticeForm()
{
    m_noticeFrame = new QFrame(this);
    m_form = new QFrame(m_noticeFrame);
    m_form->setObjectName(QStringLiteral("MsgNotifyWindow"));
    m_form->setMinimumSize(20, 20);
    m_form->setMaximumHeight(kBarHeight);
    m_form->setStyleSheet(QStringLiteral("#MsgNotifyWindow{border:0px;background-color:#ffffff;}"));
    auto* frame = new QFrame(m_form);
    frame->setObjectName(QStringLiteral("frame"));
    m_btnClose = new QPushButton(m_form);
    m_btnClose->setObjectName(QStringLiteral("btnClose"));
    m_btnClose->setFixedSize(20, 20);
    m_btnClose->setCursor(Qt::PointingHandCursor);
    m_btnIcon = new QPushButton(m_form);
    m_btnIcon->setObjectName(QStringLiteral("btnIcon"));
    m_btnIcon->setFixedSize(20, 20);
    m_btnIcon->setFocusPolicy(Qt::NoFocus);
    m_text = new QLabel(m_form);
    m_text->setObjectName(QStringLiteral("text"));
    m_text->setMinimumSize(1, 17);
    m_text->setAlignment(Qt::AlignCenter);
    m_text->setStyleSheet(QStringLiteral("border:0px;\ncolor:#333333;\nfont:16px Microsoft YaHei;"));
    connect(m_btnClose, &QPushButton::clicked, this, &MsgNotifyWindow::HideDialog);
}

void MsgNotifyWindow::BuildDeviceForm()
{
    m_deviceFrame = new QFrame(this);
    auto* form = new QFrame(m_deviceFrame);
    form->setObjectName(QStringLiteral("AudioDeviceNotify"));
    form->setFixedSize(300, 250);
    form->setStyleSheet(QStringLiteral("#AudioDeviceNotify{background-color:#ffffff;border:1px solid #d4d4d4;}"
                                       "QLabel{color:#333333;font:14px Microsoft YaHei;border:0px;}"));
    auto* layout = new QVBoxLayout(form);
    layout->setContentsMargins(20, 16, 20, 16);
    m_btnDeviceClose = new QPushButton(QStringLiteral("×"), form);
    m_btnDeviceClose->setFlat(true);
    layout->addWidget(m_btnDeviceClose, 0, Qt::AlignRight);
    const char* lines[] = { "●小维没有检测到您的麦克风哦~", "请插入麦克风或在", "设备列表",
        "●小维检测到您的扬声器静音哦~", "开启电脑声音" };
    for (const char* line : lines)
        layout->addWidget(new QLabel(QString::fromUtf8(line), form));
    m_btnReTest = new QPushButton(QStringLiteral("重新检测"), form);
    m_btnReTest->setStyleSheet(QStringLiteral("border:1px solid #f74945;color:#f74945;border-radius:4px;"));
    m_btnSupport = new QPushButton(QStringLiteral("联系普罗维技术支持"), form);
    m_btnSupport->setStyleSheet(QStringLiteral("border:0px;color:#3a8ee6;text-decoration:underline;"));
    layout->addWidget(m_btnReTest);
    layout->addWidget(m_btnSupport);
    m_deviceFrame->resize(form->size());
    m_deviceFrame->hide();
    connect(m_btnSupport, &QPushButton::clicked, this, &MsgNotifyWindow::HideDialog);
    connect(m_btnDeviceClose, &QPushButton::clicked, this, &MsgNotifyWindow::HideDialog);
    connect(m_btnReTest, &QPushButton::clicked, this, &MsgNotifyWindow::OnDeviceReTest);
}

QString MsgNotifyWindow::NoticeText(int type)
{
    switch (type) {
    case NotifyMicrophoneGranted:
        return QStringLiteral("老师打开了您的麦克风权限,您可以按键说话");
    case NotifyMicrophoneWithdrawn:
        return QStringLiteral("老师关闭了您的麦克风权限");
    case NotifyCameraGranted:
        return QStringLiteral("老师打开了您的摄像头权限,您可以开启视频");
    case NotifyCameraWithdrawn:
        return QStringLiteral("老师关闭了您的视频权限");
    case NotifyChatGranted:
        return QStringLiteral("老师打开了您的文字聊天权限");
    case NotifyChatWithdrawn:
        return QStringLiteral("老师关闭了您的说话权限");
    case NotifyWhiteboardGranted:
        return QStringLiteral("老师打开了您的白板权限,您可以写写画画");
    case NotifyWhiteboardWithdrawn:
        return QStringLiteral("老师收回了您的白板权限");
    case NotifyNetworkLost:
        return QStringLiteral("网络连接断了,请刷新或者退出重进");
    case NotifyDeviceRecovered:
        return QStringLiteral("恭喜您设备恢复正常");
    case NotifyUploadRunning:
        return QStringLiteral("课件上传中,请稍侯...");
    case NotifyUploadFailed:
        return QStringLiteral("您有课件上传失败,请检查重传...");
    case NotifyUploadDone:
        return QStringLiteral("课件上传成功");
    case NotifyLikeOncePerLesson:
        return QStringLiteral("目前每个学生每节课只能送一个赞哦~");
    case NotifyLikeStudentsOnly:
        return QStringLiteral("目前只有学生才可以点赞哦~");
    case NotifyMarkLimitReached:
        return QStringLiteral("您的本节课标记已达上限50个哦~");
    case NotifyMarkTooSoon:
        return QStringLiteral("不要过度频繁地标记哦~");
    case NotifyMarkSaved:
        return QStringLiteral("标记成功,可在右侧标记栏查看");
    case NotifyClassTimeOver:
        return QStringLiteral("已达下课时间，课堂将于1小时后关闭~");
    case NotifyRoomClosing:
        return QStringLiteral("警报警报，课堂将于半小时后销毁~");
    default:
        return QString();
    }
}

bool MsgNotifyWindow::IsGoodNews(int type)
{
    switch (type) {
    case NotifyMicrophoneGranted:
    case NotifyCameraGranted:
    case NotifyChatGranted:
    case NotifyWhiteboardGranted:
    case NotifyDeviceRecovered:
    case NotifyUploadRunning:
    case NotifyUploadDone:
    case NotifyMarkSaved:
        return true;
    default:
        return false;
    }
}

QString MsgNotifyWindow::GetText() const
{
    return m_text->text();
}

void MsgNotifyWindow::ShowDialog(int type)
{
    if (isVisible())
        hide();
    QWidget* host = MainWindowOr(parentWidget());
    if (host == nullptr) {
        qDebug() << "[Error], in MsgNotifyWindow::ShowDialog, no window, type:" << type;
        return;
    }
    if (parentWidget() != host)
        setParent(host);
    setGeometry(0, kBarHeight, host->width(), kBarHeight);
    m_noticeFrame->setGeometry(0, 0, width(), kBarHeight);
    m_form->setGeometry(0, 0, width(), kBarHeight);
    m_deviceFrame->move((host->width() - m_deviceFrame->width()) / 2, (host->height() - m_deviceFrame->height()) / 2);

    if (type == NotifyNoMicrophoneNoSound || type == NotifyNoMicrophone || type == NotifyNoSound) {
        m_hideTimer.stop();
        return;
    }
    if (type == NotifyKickedOut || type == NotifyDeviceCheck) {
        // Only the dialog shows: an empty strip would sit over the room and
        // swallow every click under it until the next notice.
        m_hideTimer.stop();
        ShowNoticeDialog(host, type);
        return;
    }
    const QString text = NoticeText(type);
    if (text.isEmpty()) {
        // Not a notice: the strip as it was last filled, until closed.
        m_hideTimer.stop();
    } else {
        m_text->setText(text);
        m_blue = IsGoodNews(type);
        // Hidden 3000 ms after the latest notice, however close they came.
        m_hideTimer.start();
    }
    ApplyColour();
    PlaceNotice();
    m_deviceFrame->hide();
    m_noticeFrame->show();
    if (m_dialog != nullptr && m_dialog->isVisible())
        m_dialog->hide();
    show();
    raise();
}

void MsgNotifyWindow::ShowNoticeDialog(QWidget* host, int type)
{
    if (m_dialog == nullptr)
        return;
    int mode = NotifyUIV2::ModeDeviceCheck;
    if (type == NotifyKickedOut) {
        DataManager* data = Nexus::GetDataManager();
        const bool listener = data != nullptr && data->GetRoomRole() == kListenerRole;
        mode = listener ? NotifyUIV2::ModeTrialOver : NotifyUIV2::ModeRemoved;
    }
    if (m_dialog->parentWidget() != host)
        m_dialog->setParent(host);
    m_dialog->SetMode(mode);
    m_dialog->move((host->width() - m_dialog->width()) / 2, (host->height() - m_dialog->height()) / 2);
    m_dialog->show();
    m_dialog->raise();
    m_deviceFrame->hide();
    m_noticeFrame->hide();
    hide();
}

void MsgNotifyWindow::ApplyColour()
{
    const QString folder = Nexus::GetScaleFolder();
    const QString icon = m_blue ? QStringLiteral("notify_icon_blue") : QStringLiteral("notify_icon_yellow");
    const QString close = m_blue ? QStringLiteral("close_2") : QStringLiteral("close_1");
    m_btnIcon->setStyleSheet(
        QStringLiteral("QPushButton{image: url(:resource/msgNotify/%1/%2.png);border:0px;}").arg(folder, icon));
    m_btnClose->setStyleSheet(QStringLiteral("QPushButton{image: url(:resource/msgNotify/%1/%2_normal.png);border:0px;}"
                                             "QPushButton::hover{image: url(:resource/msgNotify/%1/%2_hover.png);"
                                             "border:0px;}")
                                  .arg(folder, close));
    m_form->setStyleSheet(m_blue ? QStringLiteral("background-color:#ECF4FF;border: solid 1px #ecf4ff;")
                                 : QStringLiteral("background-color:#FFF0D0;border: solid 1px #fff0d0;"));
}

void MsgNotifyWindow::PlaceNotice()
{
    m_text->ensurePolished(); // the font comes from the style sheet
    const QFontMetrics metrics(m_text->font());
    const int textWidth = metrics.horizontalAdvance(m_text->text()) + 20;
    const int frameWidth = m_noticeFrame->width();
    const int frameHeight = m_noticeFrame->height();
    m_text->setGeometry((frameWidth - textWidth) / 2, (frameHeight - 18) / 2, textWidth, 18);
    m_btnIcon->move(m_text->x() - m_btnIcon->width(), (frameHeight - m_btnIcon->height()) / 2);
    m_btnClose->move(frameWidth - m_btnClose->width() - kCloseRightMargin, (frameHeight - m_btnClose->height()) / 2);
}

void MsgNotifyWindow::HideDialog()
{
    hide();
}

void MsgNotifyWindow::OnShownLongEnough()
{
    hide();
    if (m_held != 0)
        HoldNotice(m_held);
}

void MsgNotifyWindow::HoldNotice(int type)
{
    m_held = type;
    ShowDialog(type);
    m_hideTimer.stop();
}

void MsgNotifyWindow::WithdrawNotice(int type)
{
    if (m_held != type)
        return;
    m_held = 0;
    // Another notice shown over it keeps its time.
    if (isVisible() && !m_hideTimer.isActive())
        hide();
}

void MsgNotifyWindow::OnCleanUp()
{ }

void MsgNotifyWindow::OnDeviceReTest()
{
    qDebug() << "into MsgNotifyWindow::OnDeviceReTest";
    hide();
    if (Profile* profile = Nexus::GetProfile()) {
        // The device watcher raises its problem notices again and reports
        // the next recovery.
        profile->SetDeviceFirstCheckDone(false);
        profile->SetDeviceReTestRequested(true);
    }
}
