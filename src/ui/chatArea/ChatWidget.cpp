#include "ChatWidget.h"

#include "ui/chatArea/ChatImageStruct.h"

#include <QDateTime>
#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QScrollBar>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace {
constexpr int kPermissionChat = 16;

QString SenderLine(const QString& sender, int sendTime)
{
    const QString time = QDateTime::fromSecsSinceEpoch(sendTime).toString(QStringLiteral("hh:mm"));
    return QStringLiteral("%1 %2").arg(sender.toHtmlEscaped(), time);
}
} // namespace

ChatWidget::ChatWidget(QWidget* parent)
    : QWidget(parent)
{
    m_chatLog = new QTextBrowser(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_chatLog);

    connect(this, &ChatWidget::ShowChatMsg, this, &ChatWidget::OnShowChatMsg);
    connect(this, &ChatWidget::DirectShowChatMsg, this, &ChatWidget::OnDirectShowChatMsg);
    connect(this, &ChatWidget::ShowChatImageMsg, this, &ChatWidget::OnShowChatImageMsg);
    connect(this, &ChatWidget::ShowChatSystemMsg, this, &ChatWidget::OnShowChatSystemMsg);
    connect(this, &ChatWidget::UploadImageSuccess, this, &ChatWidget::OnUploadImageSuccess);
}

void ChatWidget::UpdateUI(int top, QWidget* area)
{
    if (area == nullptr) {
        qDebug() << "[Error], in ChatWidget::UpdateUI, area is NULL";
        return;
    }
    if (parentWidget() != area)
        setParent(area);
    setGeometry(0, top, area->width(), qMax(0, area->height() - top));
    show();
}

void ChatWidget::UpdateUIByStates()
{
    qDebug() << "into ChatWidget::UpdateUIByStates";
}

void ChatWidget::OnUploadChatImage(const QString& path)
{
    QFile file(path);
    if (!file.exists() || !file.open(QIODevice::ReadOnly) || file.isSequential()) {
        qDebug() << "into ChatWidget::OnUploadChatImage, and file is unusable, path:" << path;
        return;
    }
    qDebug() << "into ChatWidget::OnUploadChatImage, path:" << path;
}

void ChatWidget::OnShowChatMsg(QString sender, QString msg, int sendTime)
{
    AppendLine(SenderLine(sender, sendTime));
    AppendLine(msg.toHtmlEscaped());
}

void ChatWidget::OnDirectShowChatMsg(QString sender, QString msg, int sendTime)
{
    OnShowChatMsg(sender, msg, sendTime);
    m_chatLog->verticalScrollBar()->setValue(m_chatLog->verticalScrollBar()->maximum());
}

void ChatWidget::OnShowChatImageMsg(QVariant image)
{
    if (!image.canConvert<chatImageStruct>()) {
        qDebug() << "into ChatWidget::OnShowChatImageMsg, and variant holds no picture message";
        return;
    }
    const chatImageStruct picture = image.value<chatImageStruct>();
    AppendLine(SenderLine(picture.senderName, picture.sendTime));
    qDebug() << "into ChatWidget::OnShowChatImageMsg, imageId:" << picture.imageId;
}

void ChatWidget::OnShowChatSystemMsg(QString text)
{
    AppendLine(QStringLiteral("<i>%1</i>").arg(text.toHtmlEscaped()));
}

void ChatWidget::OnUploadImageSuccess(QString fileName, QString imageId)
{
    qDebug() << "into ChatWidget::OnUploadImageSuccess, fileName:" << fileName << ",imageId:" << imageId;
}

void ChatWidget::OnDownloadImageSuccess(int kind, QString key)
{
    qDebug() << "into ChatWidget::OnDownloadImageSuccess, type:" << kind << ",key:" << key;
}

void ChatWidget::OnAddNewMarkItem(QString uuid)
{
    qDebug() << "into ChatWidget::OnAddNewMarkItem, uuid:" << uuid;
}

void ChatWidget::OnDelMarkItem(QString uuid)
{
    qDebug() << "into ChatWidget::OnDelMarkItem, uuid:" << uuid;
}

void ChatWidget::OnRenderMarkList()
{
    qDebug() << "into ChatWidget::OnRenderMarkList";
}

void ChatWidget::UpdateUIByPermission(int permission)
{
    m_chatAllowed = (permission & kPermissionChat) != 0;
    qDebug() << "into ChatWidget::UpdateUIByPermission, permission:" << permission;
}

void ChatWidget::OnCleanUp()
{
    m_chatLog->clear();
    hide();
}

void ChatWidget::AppendLine(const QString& html)
{
    m_chatLog->append(html);
}
