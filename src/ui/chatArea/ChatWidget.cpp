#include "ChatWidget.h"

#include "ChatContext.h"
#include "ChatDialogs.h"
#include "ChatImageStruct.h"
#include "ChatLog.h"
#include "ChatMessage.h"
#include "ChatTextEdit.h"
#include "EmojiEntry.h"
#include "EmojiWidget.h"
#include "MarkItem.h"
#include "MarkList.h"
#include "app/DownldManager.h"
#include "app/DownloadElem.h"
#include "app/MainWindow.h"
#include "app/Nexus.h"
#include "app/Profile.h"
#include "platform/ScreenShot.h"
#include "session/DataManager.h"

#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QImageReader>
#include <QLayout>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>

namespace {
constexpr int kPermissionChat = 16;
constexpr qint64 kTimeRowGap = 60;
constexpr int kEmojiSize = 36;
const QSize kDefaultPictureSize(70, 52);
const QString kHint = QStringLiteral("说点什么吧~");
const QString kBackground = QStringLiteral("#FAFBFC");
constexpr int kStudentRole = 5;
} // namespace

ChatWidget::ChatWidget(QWidget* parent)
    : GenericChatForm(parent)
{
    setMouseTracking(true);
    m_msgEdit->installEventFilter(this);
    m_chatLog->installEventFilter(this);
    connect(m_msgEdit, &ChatTextEdit::pasteImage, this, &ChatWidget::sendImage);
    connect(this, &ChatWidget::ShowChatMsg, this, &ChatWidget::OnShowChatMsg);
    connect(this, &ChatWidget::DirectShowChatMsg, this, &ChatWidget::OnDirectShowChatMsg);
    connect(this, &ChatWidget::ShowChatImageMsg, this, &ChatWidget::OnShowChatImageMsg);
    connect(this, &ChatWidget::ShowChatSystemMsg, this, &ChatWidget::OnShowChatSystemMsg);
    connect(this, &ChatWidget::MsgInitFlagChanged, this, &ChatWidget::OnMsgInitFlagChanged);
    connect(this, &ChatWidget::UploadImageSuccess, this, &ChatWidget::OnUploadImageSuccess);
    connect(this, &ChatWidget::UploadImageFailed, this, &ChatWidget::OnUploadImageFailed);
    connect(this, &ChatWidget::ChatImageSent, this, &ChatWidget::OnChatImageSent);
    connect(this, &ChatWidget::DragScrollBarToEnd, this, &ChatWidget::OnDragScrollBarToEnd);
}

ChatWidget::~ChatWidget()
{
    DestoryScreenShot();
}

bool ChatWidget::IsOwnName(const QString& sender) const
{
    return !sender.isEmpty() && sender == LocalName();
}

qint64 ChatWidget::Now() const
{
    return m_clock ? m_clock() : QDateTime::currentSecsSinceEpoch();
}

bool ChatWidget::HasChatRight() const
{
    DataManager* data = Nexus::GetDataManager();
    return data && (data->GetPermission() & kPermissionChat) != 0;
}

QString ChatWidget::LocalName() const
{
    DataManager* data = Nexus::GetDataManager();
    return data ? data->GetFullName() : QString();
}

void ChatWidget::SetMsgInitFlag(int flag)
{
    m_dwMsgInitFlag = flag;
    emit MsgInitFlagChanged(flag);
}

void ChatWidget::UpdateUI(int top, QWidget* area)
{
    if (area == nullptr) {
        qDebug() << "[Error], in ChatWidget::UpdateUI, area is NULL";
        return;
    }
    m_area = area;
    m_top = top;
    if (parentWidget() != area)
        setParent(area);
    setGeometry(0, top, area->width(), qMax(0, area->height() - top - 1));
    CreateTabWidgetByRole();
    m_chatLog->show();
    // Inside the tabs the chat is shown by its tab, not over the marks.
    if (!m_tabWidget)
        m_contentWidget->show();
    show();
    m_chatLog->verticalScrollBar()->hide();
    UpdateCSS4BtnLike();
    if (!m_emojiWidget) {
        m_emojiWidget = new EmojiWidget(this);
        m_emojiWidget->hide();
        connect(m_emojiWidget, &EmojiWidget::emojiClicked, this, &ChatWidget::OnEmojiClicked);
    }
}

QString ChatWidget::GetEmojiCodeByPath(const QString& path)
{
    return EmojiEntry::CodeOfPath(path);
}

void ChatWidget::onEmoteButtonClicked()
{
    qDebug() << "into ShowEmoji, m_dwEmojiShowType:" << m_dwEmojiShowType;
    if (!m_area || !m_emojiWidget || !HasChatRight())
        return;
    if (m_dwEmojiShowType == 0) {
        QWidget* host = Nexus::GetMainWindow() ? static_cast<QWidget*>(Nexus::GetMainWindow()) : window();
        m_emojiWidget->setParent(host);
        m_emojiWidget->resize(180, 210);
        m_emojiWidget->Fill();
    } else if (m_emojiWidget->isVisible()) {
        m_emojiWidget->hide();
        m_emojiWidget->lower();
        m_dwEmojiShowType = 2;
        return;
    }
    PlaceEmojiWidget();
    m_emojiWidget->show();
    m_emojiWidget->raise();
    m_dwEmojiShowType = 1;
}

void ChatWidget::PlaceEmojiWidget()
{
    QWidget* host = m_emojiWidget->parentWidget();
    const QPoint button = m_emoteButton->mapToGlobal(QPoint(0, 0));
    const QPoint origin = host ? host->mapToGlobal(QPoint(0, 0)) : QPoint();
    qDebug() << "_pos1:" << button << ",_pos2:" << origin << ",emojiWidget-height:" << m_emojiWidget->height()
             << ",emojiWidget-width:" << m_emojiWidget->width();
    m_emojiWidget->move(
        button.x() - m_emojiWidget->width() / 2 - origin.x(), button.y() - origin.y() - m_emojiWidget->height());
}

void ChatWidget::OnEmojiClicked(QString path)
{
    // Without the chat right the pop-up closes and nothing is shown or sent.
    if (!HasChatRight()) {
        if (m_emojiWidget && m_emojiWidget->isVisible()) {
            m_emojiWidget->hide();
            m_dwEmojiShowType = 2;
        }
        return;
    }
    onEmoteButtonClicked();
    const QString code = GetEmojiCodeByPath(path);
    if (code.isEmpty())
        return;
    AddImageMessage(path, QString(), kEmojiSize, kEmojiSize, false, true);
    m_chatLog->scrollToBottom();
    if (DataManager* data = Nexus::GetDataManager())
        emit data->SendChatMsg(code);
}

void ChatWidget::UpdateUIByStates()
{
    qDebug() << "into ChatWidget::UpdateUIByStates";
    CreateTabWidgetByRole();
}

void ChatWidget::CreateTabWidgetByRole()
{
    qDebug() << "into ChatWidget::CreateTabWidgetByRole";
    DataManager* data = Nexus::GetDataManager();
    if (!data)
        return;
    if (data->GetRoomRole() < kStudentRole) {
        qDebug() << "into ChatWidget::CreateTabWidgetByRole teacher role";
        DropTabWidget();
        return;
    }
    qDebug() << "into ChatWidget::CreateTabWidgetByRole student role";
    const bool made = !m_tabWidget;
    if (made) {
        m_tabWidget = new QTabWidget(this);
        m_markList = new MarkList();
        layout()->removeWidget(m_contentWidget);
        m_tabWidget->addTab(m_contentWidget, QStringLiteral("聊天"));
        m_tabWidget->addTab(m_markList, QStringLiteral("标记"));
        m_tabWidget->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        layout()->addWidget(m_tabWidget);
    }
    // The room lays the panel out on every pass and every device toggle;
    // restyling the tabs and laying every mark out again is for a new size.
    if (!made && m_tabsLaidOutFor == size())
        return;
    m_tabsLaidOutFor = size();
    updateCSS4TabWidget();
    m_markList->RefreshUI();
}

void ChatWidget::updateCSS4TabWidget()
{
    const int half = (width() - 1) / 2;
    qDebug() << "into updateCSS4TabWidget, and width:" << half;
    m_tabWidget->setStyleSheet(
        QStringLiteral("QTabWidget {  border:0px;}QTabWidget::pane {  border:0px;}QTabWidget::tab-bar {left: 0px; "
                       "}QTabBar::tab {width:%1px;height: 30px; background:%2;border-bottom:1px solid "
                       "#ECECEC;min-width: 8ex;padding: 0px;}QTabBar::tab:selected, QTabBar::tab:hover {background: "
                       "%2}QTabBar::tab:selected {background: %2;border-bottom:1px solid #f74945;}")
            .arg(half)
            .arg(kBackground));
    m_tabWidget->show();
}

void ChatWidget::DropTabWidget()
{
    if (m_markList) {
        m_markList->ClearItems();
        delete m_markList;
        m_markList = nullptr;
    }
    if (m_tabWidget) {
        // The chat goes back into the panel itself.
        layout()->removeWidget(m_tabWidget);
        m_tabWidget->removeTab(m_tabWidget->indexOf(m_contentWidget));
        m_contentWidget->setParent(this);
        layout()->addWidget(m_contentWidget);
        m_contentWidget->show();
        m_tabWidget->clear();
        delete m_tabWidget;
        m_tabWidget = nullptr;
    }
    m_tabsLaidOutFor = QSize();
}

void ChatWidget::AddTimeRowIfDue(int sendTime)
{
    qint64 shown = 0;
    if (sendTime == 0) {
        const qint64 now = Now();
        if (qAbs(now - m_lastTimeRow) <= kTimeRowGap)
            return;
        shown = now;
    } else {
        // Taken as unsigned: a message older than the last time row gets a
        // row of its own, and the last time-row time moves back to it.
        if (quint32(sendTime - quint32(m_lastTimeRow)) <= quint32(kTimeRowGap))
            return;
        shown = sendTime;
    }
    m_lastTimeRow = shown;
    const QString text = QDateTime::fromSecsSinceEpoch(shown).toString(QStringLiteral("hh:mm:ss"));
    InsertChatLine(ChatMessage::CreateTimeMessage(text));
}

void ChatWidget::OnShowChatMsg(QString sender, QString msg, int sendTime)
{
    const QString emoji = EmojiEntry::PathOfCode(msg);
    if (!emoji.isEmpty()) {
        AddPictureRows(emoji, sender, QSize(kEmojiSize, kEmojiSize), false, IsOwnName(sender), sendTime);
        return;
    }
    AddTextMessage(msg, sender, sendTime);
}

void ChatWidget::OnDirectShowChatMsg(QString sender, QString msg, int sendTime)
{
    OnShowChatMsg(sender, msg, sendTime);
    m_chatLog->scrollToBottom();
}

void ChatWidget::AddTextMessage(const QString& text, const QString& sender, int sendTime)
{
    // A message without a time is still drawn on its sender's side.
    AddTextRows(text, sender, sendTime, IsOwnName(sender));
}

void ChatWidget::AddTextRows(const QString& text, const QString& sender, int sendTime, bool isSelf)
{
    if (text.isEmpty())
        return;
    AddTimeRowIfDue(sendTime);
    InsertChatLine(ChatMessage::CreateSenderMessage(sender, false, isSelf));
    InsertChatLine(ChatMessage::CreateTextMessage(text, isSelf));
}

void ChatWidget::AddImageMessage(
    const QString& path, const QString& sender, int width, int height, bool sending, bool isSelf)
{
    AddPictureRows(path, sender, QSize(width, height), sending, isSelf, 0);
}

void ChatWidget::AddPictureRows(
    const QString& path, const QString& sender, QSize size, bool sending, bool isSelf, int sendTime)
{
    if (path.isEmpty())
        return;
    AddTimeRowIfDue(sendTime);
    InsertChatLine(ChatMessage::CreateSenderMessage(isSelf ? LocalName() : sender, true, isSelf));
    InsertChatLine(ChatMessage::CreateLocalImageMessage(path, QString(), size.width(), size.height(), sending, isSelf));
}

void ChatWidget::OnShowChatImageMsg(QVariant image)
{
    const chatImageStruct picture
        = image.canConvert<chatImageStruct>() ? image.value<chatImageStruct>() : chatImageStruct();
    // A picture without id or address could only be matched with the
    // wrong rows (own pictures still uploading carry no id).
    if (picture.imageId.isEmpty() || picture.slideUrl.isEmpty()) {
        qDebug() << "into ChatWidget::OnShowChatImageMsg, picture without id or address, and ignore it, imageId:"
                 << picture.imageId;
        return;
    }
    // The time row tells when the picture was sent, not when it came in.
    AddTimeRowIfDue(picture.sendTime);
    const bool isSelf = picture.senderUid != 0 && picture.senderUid == ChatContext::LocalUid();
    InsertChatLine(ChatMessage::CreateSenderMessage(picture.senderName, true, isSelf));
    InsertChatLine(ChatMessage::CreateImageMessage(picture));
    FetchPicture(picture.slideUrl, DownloadChatSmallImage, picture.imageId);
    FetchPicture(picture.normalUrl, DownloadChatFullImage, picture.imageId);
}

void ChatWidget::FetchPicture(const QString& url, int kind, const QString& imageId)
{
    const QString name = ChatContext::PictureFileName(url);
    if (name.isEmpty()) {
        qDebug() << "into ChatWidget::FetchPicture, no usable file name, and skip it, url:" << url;
        return;
    }
    const QString folder = ChatContext::DataFolder() + QStringLiteral("chatImage");
    if (QFileInfo(folder + QLatin1Char('/') + name).isFile()) {
        emit Nexus::Instance()->DownloadFinish(kind, imageId);
        return;
    }
    if (DownldManager* worker = Nexus::GetDownldManager()) {
        DownloadElem elem(kind, url, folder, imageId, 0);
        emit worker->download(elem);
    }
}

void ChatWidget::OnShowChatSystemMsg(QString text)
{
    InsertChatLine(ChatMessage::CreateSystemMessage(QLatin1Char(' ') + text, false));
}

void ChatWidget::onSendTriggered()
{
    // The hint is no message, and an empty text sends nothing.
    if (!HasChatRight() || m_dwMsgInitFlag == 1)
        return;
    const QString text = m_msgEdit->toPlainText();
    if (text.isEmpty())
        return;
    AddTextRows(text, LocalName(), 0, true);
    m_chatLog->scrollToBottom();
    if (DataManager* data = Nexus::GetDataManager())
        emit data->SendChatMsg(text);
    m_msgEdit->clear();
    m_msgEdit->setFocus(Qt::OtherFocusReason);
}

QSize ChatWidget::GetPictureSize(const QString& path)
{
    // The header tells the size; the picture itself is decoded only at the
    // size it is shown.
    const QSize size = ChatContext::PictureSize(path);
    if (size.isEmpty())
        return QSize(0, 0);
    return ChatContext::HundredPixelRule(size.width(), size.height());
}

void ChatWidget::onAttachClicked()
{
    if (!HasChatRight())
        return;
    const QStringList files = ChatDialogs::Instance().getOpenFileNames(
        nullptr, tr("发送一个图片"), QDir::homePath(), tr("Images (*.png *.jpg *.jpeg *.bmp *.gif)"));
    for (const QString& file : files)
        OnUploadChatImage(file);
}

void ChatWidget::onScreenshotClicked()
{
    if (!HasChatRight())
        return;
    Profile* profile = Nexus::GetProfile();
    const double factor = profile ? profile->GetScaleFactor() : 1.0;
    const double factors[] = { 1.0, 1.25, 1.5, 1.75 };
    for (int step = 1; step <= 4; ++step) {
        if (qFuzzyCompare(factor, factors[step - 1])) {
            OpenScreenShot(step);
            return;
        }
    }
}

void ChatWidget::OnUploadChatImage(const QString& path)
{
    if (!HasChatRight()) {
        qDebug() << "into ChatWidget::OnUploadChatImage, no chat right, and ignore it, path:" << path;
        return;
    }
    QFile file(path);
    if (!file.exists() || !file.open(QIODevice::ReadOnly)) {
        qDebug() << "OnUploadChatImage， Unable to open and fileName" << path;
        return;
    }
    if (file.isSequential()) {
        qDebug() << "OnUploadChatImage， ou're trying to send a sequential file, which is not going to work!";
        return;
    }
    file.close();
    if (!QImageReader(path).canRead()) {
        qDebug() << "OnUploadChatImage， not a picture and fileName" << path;
        return;
    }
    ShowAndUpload(path);
}

void ChatWidget::ShowAndUpload(const QString& path)
{
    QSize size = GetPictureSize(path);
    if (size.isEmpty())
        size = kDefaultPictureSize;
    AddImageMessage(path, QString(), size.width(), size.height(), true, true);
    m_chatLog->scrollToBottom();
    if (DownldManager* worker = Nexus::GetDownldManager())
        emit worker->ChatImageUpload(path);
}

void ChatWidget::sendImage(QPixmap pixmap)
{
    if (!HasChatRight())
        return;
    const QString folder = ChatContext::DataFolder() + QStringLiteral("chatImage/");
    QDir().mkpath(folder);
    const QString path
        = QStringLiteral("%1Image_%2.png")
              .arg(folder, QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd-HH-mm-ss.zzz")));
    QFile file(path);
    // A picture that could not be saved whole is never shown or sent.
    if (!file.open(QIODevice::ReadWrite) || !pixmap.save(&file, "PNG")) {
        file.close();
        file.remove();
        ChatDialogs::Instance().warning(this, tr("Failed to open temporary file", "Temporary file for screenshot"),
            tr(" wasn't able to save the screenshot"));
        return;
    }
    file.close();
    ShowAndUpload(path);
}

void ChatWidget::OnUploadImageSuccess(QString fileName, QString imageId)
{
    // The room hears of the picture through the classroom's conversion; it
    // may take as long as an upload may stall.
    if (DownldManager* worker = Nexus::GetDownldManager())
        m_chatLog->SetSendTimeOut(worker->GetUploadCheckInterval());
    m_chatLog->OnUploadSuccess(fileName, imageId);
}

void ChatWidget::OnChatImageSent(QString imageId)
{
    qDebug() << "into ChatWidget::OnChatImageSent, imageId:" << imageId;
    m_chatLog->OnPictureSent(imageId);
}

void ChatWidget::OnUploadImageFailed(QString path)
{
    qDebug() << "into ChatWidget::OnUploadImageFailed, path:" << path;
    m_chatLog->OnUploadFailed(path);
}

void ChatWidget::OnDownloadImageSuccess(int kind, QString key)
{
    qDebug() << "into ChatWidget::OnDownloadImageSuccess, type:" << kind << ",key:" << key;
    m_chatLog->OnDownloadSuccess(kind, key);
}

void ChatWidget::OnDownloadImageFailed(QString imageId)
{
    qDebug() << "into ChatWidget::OnDownloadImageFailed, imageId:" << imageId;
    m_chatLog->OnDownloadFailed(imageId);
}

void ChatWidget::OnDragScrollBarToEnd()
{
    m_chatLog->scrollToBottom();
}

void ChatWidget::OnMsgInitFlagChanged(int flag)
{
    if (flag == 2) {
        m_msgEdit->setStyleSheet(QStringLiteral("QTextEdit{background-color: #ffffff;selection-background-color: "
                                                "#ffffff;color:#333333;border:0px solid rgb(226,226,226);}"));
        m_msgEdit->setText(QString());
        m_contentWidget->setStyleSheet(
            QStringLiteral("#contentWidget{border:0px solid green;background-color:#ffffff;}"));
    } else if (flag == 1) {
        m_msgEdit->setStyleSheet(QStringLiteral("QTextEdit{background-color:%1;selection-background-color: "
                                                "#ffffff;color:#aaaaaa;border:0px solid rgb(226,226,226);}")
                                     .arg(kBackground));
        m_msgEdit->setText(kHint);
        m_contentWidget->setStyleSheet(
            QStringLiteral("#contentWidget{border:0px solid green;background-color:%1;}").arg(kBackground));
    }
}

bool ChatWidget::eventFilter(QObject* object, QEvent* event)
{
    if (object == m_msgEdit && event->type() == QEvent::FocusIn) {
        qDebug() << "into chat widget, focus in";
        if (m_dwMsgInitFlag == 1)
            SetMsgInitFlag(2);
    } else if (object == m_msgEdit && event->type() == QEvent::FocusOut) {
        qDebug() << "into chat widget, focus out, len:" << m_msgEdit->toPlainText().size();
        if (m_msgEdit->toPlainText().isEmpty() && m_msgEdit->isEnabled())
            SetMsgInitFlag(1);
    } else if (object == m_chatLog && event->type() == QEvent::Leave) {
        if (m_chatLog->verticalScrollBar()->isVisible())
            m_chatLog->verticalScrollBar()->hide();
    } else if (object == m_chatLog && event->type() == QEvent::Enter) {
        if (!m_chatLog->verticalScrollBar()->isVisible())
            m_chatLog->verticalScrollBar()->show();
    }
    return GenericChatForm::eventFilter(object, event);
}

void ChatWidget::UpdateUIByPermission(int permission)
{
    const bool allowed = (permission & kPermissionChat) != 0;
    // Only a change of the chat right touches the box, so a draft survives
    // changes of the other rights.
    if (m_appliedChatRight == int(allowed))
        return;
    m_appliedChatRight = int(allowed);
    m_chatAllowed = allowed;
    qDebug() << "into ChatWidget::UpdateUIByPermission, permission:" << permission;
    EnableSending(allowed);
    if (allowed) {
        m_msgEdit->setCursor(Qt::ArrowCursor);
        m_msgEdit->viewport()->unsetCursor();
        m_msgEdit->clear();
        m_msgEdit->setEnabled(true);
        OnMsgInitFlagChanged(m_dwMsgInitFlag);
        // What the user was typing when the right was taken comes back.
        if (m_dwMsgInitFlag == 2 && !m_draft.isEmpty())
            m_msgEdit->setPlainText(m_draft);
        m_draft.clear();
    } else {
        m_draft = m_dwMsgInitFlag == 2 ? m_msgEdit->toPlainText() : QString();
        if (m_emojiWidget && m_emojiWidget->isVisible()) {
            m_emojiWidget->hide();
            m_dwEmojiShowType = 2;
        }
        m_msgEdit->setCursor(Qt::ForbiddenCursor);
        m_msgEdit->viewport()->setCursor(Qt::ForbiddenCursor);
        m_msgEdit->setStyleSheet(
            QStringLiteral("font:15px;color:#999999;border:0px solid rgb(226,226,226);background:#f2f2f2;"));
        m_msgEdit->setText(QStringLiteral("您没有聊天权限"));
        m_msgEdit->setEnabled(false);
    }
}

void ChatWidget::EnableSending(bool enabled)
{
    for (QPushButton* button : { m_sendButton, m_emoteButton, m_fileButton, m_screenshotButton })
        button->setEnabled(enabled);
}

void ChatWidget::AddMarkRow(const QString& uuid, int time, const QString& description)
{
    // A mark is listed once, whatever the room answers again.
    if (m_markList->HasMark(uuid))
        return;
    auto* row = new MarkItem();
    row->SetMarkDesc(description);
    row->SetUuid(uuid);
    row->SetEditorText(description);
    row->SetTime(time);
    m_markList->AddItem(row);
}

void ChatWidget::OnAddNewMarkItem(QString uuid)
{
    qDebug() << "into ChatWidget::OnAddNewMarkItem, uuid:" << uuid;
    DataManager* data = Nexus::GetDataManager();
    if (!m_tabWidget || !m_markList || !data)
        return;
    const MarkRecord record = data->GetMarkItemById(uuid);
    if (record.IsNull())
        return;
    AddMarkRow(record.uuid, record.time, record.description);
    m_markList->scrollToBottom();
    m_tabWidget->setCurrentIndex(1);
}

void ChatWidget::OnDelMarkItem(QString uuid)
{
    qDebug() << "into ChatWidget::OnDelMarkItem, uuid:" << uuid;
    if (!m_tabWidget || !m_markList)
        return;
    m_markList->RemoveItem(uuid);
}

void ChatWidget::OnRenderMarkList()
{
    qDebug() << "into ChatWidget::OnRenderMarkList";
    DataManager* data = Nexus::GetDataManager();
    if (!m_tabWidget || !m_markList || !data)
        return;
    // The list is rebuilt from the session's marks, never appended twice;
    // a mark the user is editing stays open with the text typed so far.
    QHash<QString, QString> editing;
    for (MarkItem* row : m_markList->GetItems()) {
        if (row->GetMarkStatus() == MarkItem::Modify)
            editing.insert(row->GetUuid(), row->GetEditorText());
    }
    m_markList->RemoveMarks();
    for (const MarkRecord& record : data->GetMarkRecords())
        AddMarkRow(record.uuid, record.time, record.description);
    for (MarkItem* row : m_markList->GetItems()) {
        if (editing.contains(row->GetUuid())) {
            row->SetMarkStatus(MarkItem::Modify);
            row->SetEditorText(editing.value(row->GetUuid()));
        }
    }
    m_markList->RefreshUI();
    m_markList->scrollToBottom();
}

void ChatWidget::OnCleanUp()
{
    hide();
    if (m_emojiWidget)
        m_emojiWidget->hide();
    clearChatArea(true);
    DropTabWidget(); // empties the mark list first
    m_draft.clear();
    m_dwMsgInitFlag = 1;
    m_appliedChatRight = -1;
}
