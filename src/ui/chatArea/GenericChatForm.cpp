#include "GenericChatForm.h"

#include "ChatDialogs.h"
#include "ChatLog.h"
#include "ChatText.h"
#include "ChatTextEdit.h"
#include "app/Nexus.h"
#include "session/DataManager.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

namespace {
const QString kBackground = QStringLiteral("#FAFBFC");
// The chat's pictures come from one scale folder whatever the display scale.
const QString kScaleFolder = QStringLiteral("x1.5");

QString ImageButtonStyle(const QString& name, const QString& normal, const QString& hover)
{
    const QString rule = QStringLiteral("#%1%2{width: 24px;height:24px;image: url(:resource/chat/%3/%4.png);"
                                        "background:rgba(212,212,212,0%);border:0px;}");
    return rule.arg(name, QString(), kScaleFolder, normal)
        + rule.arg(name, QStringLiteral("::hover"), kScaleFolder, hover);
}

const char* const kScrollBarStyle
    = "QScrollBar:vertical{width:5px;background:rgba(0,0,0,0%);margin:0px,0px,0px,0px;padding-top:9px;"
      "padding-bottom:9px;}QScrollBar::handle:vertical{width:5px;background:rgba(0,0,0,25%); "
      "border-radius:2px;min-height:20;}QScrollBar::handle:vertical:hover{width:5px;background:rgba(0,0,0,25%);"
      "border-radius:2px;min-height:20;}QScrollBar::add-line:vertical{height:9px;width:0px;subcontrol-position:"
      "bottom;}QScrollBar::sub-line:vertical{height:9px;width:0px;subcontrol-position:top;}QScrollBar::add-line:"
      "vertical:hover{height:9px;width:0px;subcontrol-position:bottom;}QScrollBar::sub-line:vertical:hover{"
      "height:9px;width:0px;subcontrol-position:top;}QScrollBar::add-page:vertical,QScrollBar::sub-page:vertical{"
      "background:rgba(0,0,0,0%);border-radius:4px;}";

const char* const kSendStyle = "#sendButton{background-color: #f74945;border: 1px solid #f74945;color: "
                               "rgb(255,255,255);font:13px Microsoft YaHei;width: 40px;height:24px;}"
                               "#sendButton::hover{background-color: #f74945;border: 1px solid #f74945;color: "
                               "rgb(255,255,255);font:13px Microsoft YaHei;width: 40px;height:24px;}";
} // namespace

GenericChatForm::GenericChatForm(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("GenericChatForm"));
    setStyleSheet(QStringLiteral("#GenericChatForm{border:0px solid red;background:%1;}").arg(kBackground));

    m_contentWidget = new QWidget(this);
    m_contentWidget->setObjectName(QStringLiteral("contentWidget"));
    m_contentWidget->setStyleSheet(
        QStringLiteral("#contentWidget{border:0px solid green;background-color:%1;}").arg(kBackground));

    m_chatLog = new ChatLog(m_contentWidget);
    m_chatLog->setObjectName(QStringLiteral("chatWidget"));
    m_chatLog->setStyleSheet(QStringLiteral("#chatWidget{border:0px;background-color:%1;border-bottom-width: "
                                            "1px;border-bottom-color: rgb(236,236,236);border-bottom-style: solid;}")
                                 .arg(kBackground));
    m_chatLog->verticalScrollBar()->setStyleSheet(QLatin1String(kScrollBarStyle));

    m_msgEdit = new ChatTextEdit(m_contentWidget);
    m_msgEdit->setStyleSheet(QStringLiteral("background-color:%1;color:#aaaaaa;").arg(kBackground));
    m_msgEdit->setText(QStringLiteral("说点什么吧~"));
    m_msgEdit->setFixedHeight(50);
    m_msgEdit->setFrameShape(QFrame::NoFrame);

    m_sendButton = MakeToolButton(QStringLiteral("sendButton"), QString(), QLatin1String(kSendStyle));
    m_sendButton->setText(QStringLiteral("发送"));
    m_sendButton->setFixedSize(40, 24);
    m_emoteButton = MakeToolButton(QStringLiteral("emoteButton"), QStringLiteral("表情"),
        ImageButtonStyle(
            QStringLiteral("emoteButton"), QStringLiteral("expression_normal"), QStringLiteral("expression_hover")));
    m_fileButton = MakeToolButton(QStringLiteral("fileButton"), QStringLiteral("发送图片"),
        ImageButtonStyle(
            QStringLiteral("fileButton"), QStringLiteral("send_image"), QStringLiteral("send_image_hover")));
    m_screenshotButton = MakeToolButton(QStringLiteral("screenshotButton"), QStringLiteral("截图"),
        ImageButtonStyle(
            QStringLiteral("screenshotButton"), QStringLiteral("screen_shot"), QStringLiteral("screen_shot_hover")));
    m_likeButton = MakeToolButton(QStringLiteral("likeButton"), QStringLiteral("点赞"),
        ImageButtonStyle(QStringLiteral("likeButton"), QStringLiteral("make_like"), QStringLiteral("make_like_hover")));

    connect(m_sendButton, &QPushButton::clicked, this, &GenericChatForm::onSendTriggered);
    connect(m_emoteButton, &QPushButton::clicked, this, &GenericChatForm::onEmoteButtonClicked);
    connect(m_fileButton, &QPushButton::clicked, this, &GenericChatForm::onAttachClicked);
    connect(m_screenshotButton, &QPushButton::clicked, this, &GenericChatForm::onScreenshotClicked);
    connect(m_likeButton, &QPushButton::clicked, this, &GenericChatForm::OnLikeClicked);
    // Enter sends once, here; Shift+Enter only breaks the line.
    connect(m_msgEdit, &ChatTextEdit::enterPressed, this, &GenericChatForm::onSendTriggered);

    auto* toolRow = new QHBoxLayout();
    toolRow->setSpacing(0);
    toolRow->setContentsMargins(0, 0, 0, 0);
    toolRow->addSpacing(6);
    toolRow->addWidget(m_emoteButton);
    toolRow->addSpacing(6);
    toolRow->addWidget(m_fileButton);
    toolRow->addSpacing(6);
    toolRow->addWidget(m_screenshotButton);
    toolRow->addSpacing(6);
    toolRow->addWidget(m_likeButton);
    toolRow->addSpacing(6);
    toolRow->addStretch(5);
    toolRow->addWidget(m_sendButton);
    toolRow->addSpacing(12);

    auto* lower = new QVBoxLayout();
    lower->setContentsMargins(0, 0, 0, 0);
    lower->setSpacing(0);
    lower->addLayout(toolRow);
    lower->addWidget(m_msgEdit);
    lower->addSpacing(8);

    auto* content = new QVBoxLayout(m_contentWidget);
    content->setContentsMargins(0, 0, 0, 0);
    content->setSpacing(0);
    content->addWidget(m_chatLog);
    content->addSpacing(8);
    content->addLayout(lower);

    auto* main = new QVBoxLayout(this);
    main->setContentsMargins(0, 0, 0, 0);
    main->setSpacing(0);
    main->addWidget(m_contentWidget);

    m_menu.addActions(m_chatLog->actions());
    m_copyLinkAction = m_menu.addAction(QString(), this, &GenericChatForm::copyLink);
    m_menu.addSeparator();
    connect(m_chatLog, &ChatLog::customContextMenuRequested, this, &GenericChatForm::onChatContextMenuRequested);
}

QPushButton* GenericChatForm::MakeToolButton(const QString& name, const QString& tip, const QString& style)
{
    auto* button = new QPushButton(m_contentWidget);
    button->setAttribute(Qt::WA_LayoutUsesWidgetRect);
    button->setObjectName(name);
    button->setCursor(Qt::PointingHandCursor);
    // Clicked, never focused: keys typed afterwards (a space, Enter) go to
    // the input box or nowhere, not to the last button clicked.
    button->setFocusPolicy(Qt::NoFocus);
    if (!tip.isEmpty())
        button->setToolTip(tip);
    if (name != QLatin1String("sendButton"))
        button->setFixedSize(24, 24);
    button->setStyleSheet(style);
    return button;
}

void GenericChatForm::OnLikeClicked()
{
    if (DataManager* data = Nexus::GetDataManager())
        emit data->UserMakeLike();
}

void GenericChatForm::UpdateCSS4BtnLike()
{
    DataManager* data = Nexus::GetDataManager();
    const bool likedNow = data && data->GetLikedFlag();
    // Runs on every layout of the room: restyled only when the look changes.
    if (likedNow == m_likeShownLiked)
        return;
    m_likeShownLiked = likedNow;
    const QString liked = QStringLiteral("make_like_hover");
    m_likeButton->setStyleSheet(
        ImageButtonStyle(QStringLiteral("likeButton"), m_likeShownLiked ? liked : QStringLiteral("make_like"), liked));
}

void GenericChatForm::onChatContextMenuRequested(QPoint pos)
{
    QWidget* sender = qobject_cast<QWidget*>(this->sender());
    if (!sender)
        sender = m_chatLog;
    const QPoint global = sender->mapToGlobal(pos);
    QString link;
    if (auto* text = qobject_cast<ChatText*>(m_chatLog->itemAtGlobalPos(global)))
        link = text->linkAt(m_chatLog->mapToScene(m_chatLog->mapFromGlobal(global)));
    m_copyLinkAction->setData(link);
    m_copyLinkAction->setVisible(!link.isEmpty());
    m_menu.exec(global);
}

void GenericChatForm::copyLink()
{
    if (QApplication::clipboard())
        QApplication::clipboard()->setText(m_copyLinkAction->data().toString());
}

void GenericChatForm::clearChatArea()
{
    clearChatArea(true);
}

void GenericChatForm::clearChatArea(bool)
{
    m_chatLog->clearLog();
    emit chatAreaCleared();
}

void GenericChatForm::InsertChatLine(const ChatLine::Ptr& line)
{
    m_chatLog->appendLine(line);
    emit messageInserted();
}

void GenericChatForm::onChatMessageFontChanged(const QFont& font)
{
    m_chatLog->setItemFont(font);
    m_chatLog->forceRelayout();
}

void GenericChatForm::onCopyLogClicked()
{
    m_chatLog->copySelection(false);
}

void GenericChatForm::onSelectAllClicked()
{
    m_chatLog->selectAllRows();
}

void GenericChatForm::onEmoteInsertRequested(QString text)
{
    if (qobject_cast<QWidget*>(sender()))
        m_msgEdit->insertPlainText(text);
}

void GenericChatForm::onSaveLogClicked()
{
    const QString path = ChatDialogs::Instance().getSaveFileName(nullptr, tr("Save chat log"), QString(), QString());
    if (path.isEmpty())
        return;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return;
    // Only rows that carry a time stamp in their third cell are written;
    // the chat's own rows carry none.
    QString log;
    for (const ChatLine::Ptr& line : m_chatLog->lines()) {
        ChatLineContent* stamp = line->item(2);
        if (!stamp || stamp->type() != 1)
            continue;
        const QString time = stamp->plainText().isEmpty() ? tr("Not sent") : stamp->plainText();
        log += QStringLiteral("[%2] %1\n%3\n\n").arg(line->item(0)->plainText(), time, line->item(1)->plainText());
    }
    file.write(log.toUtf8());
}
