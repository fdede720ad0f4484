#include "MsgNotifyWindow.h"

#include "room/NotifyType.h"

#include <QDebug>
#include <QHBoxLayout>
#include <QLabel>
#include <QTimer>

namespace {
constexpr int kBarHeight = 40;
constexpr int kShowMs = 3000;

// Blue for good news, yellow for the rest.
bool IsGoodNews(int type)
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
} // namespace

MsgNotifyWindow::MsgNotifyWindow(QWidget* parent)
    : QFrame(parent)
{
    setObjectName(QStringLiteral("MsgNotifyWindow"));
    m_text = new QLabel(this);
    m_text->setAlignment(Qt::AlignCenter);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_text);
    connect(this, &MsgNotifyWindow::CleanUp, this, &MsgNotifyWindow::OnCleanUp);
    hide();
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

void MsgNotifyWindow::ShowDialog(int type)
{
    if (isVisible())
        hide();
    if (type == NotifyNoMicrophoneNoSound || type == NotifyNoMicrophone || type == NotifyNoSound)
        return;
    if (type == NotifyKickedOut || type == NotifyDeviceCheck) {
        qDebug() << "into MsgNotifyWindow::ShowDialog, dialog notice:" << type;
        return;
    }
    QWidget* host = parentWidget() != nullptr ? parentWidget()->window() : nullptr;
    if (host == nullptr) {
        qDebug() << "[Error], in MsgNotifyWindow::ShowDialog, no window, type:" << type;
        return;
    }
    if (parentWidget() != host)
        setParent(host);
    setGeometry(0, kBarHeight, host->width(), kBarHeight);

    const QString text = NoticeText(type);
    if (!text.isEmpty()) {
        m_text->setText(text);
        setStyleSheet(IsGoodNews(type) ? QStringLiteral("#MsgNotifyWindow{background-color:#ECF4FF;}")
                                       : QStringLiteral("#MsgNotifyWindow{background-color:#FFF0D0;}"));
        // Each notice hides the strip 3000 ms after it was raised, whatever
        // came after it.
        QTimer::singleShot(kShowMs, this, &MsgNotifyWindow::HideDialog);
    }
    show();
    raise();
}

void MsgNotifyWindow::HideDialog()
{
    hide();
}

void MsgNotifyWindow::OnCleanUp()
{ }

void MsgNotifyWindow::OnDeviceReTest()
{
    qDebug() << "into MsgNotifyWindow::OnDeviceReTest";
    hide();
}
