#include "ChatMessage.h"

#include "ChatContext.h"
#include "ChatImageStruct.h"
#include "ChatText.h"
#include "Image.h"
#include "Spinner.h"

#include <QColor>
#include <QStringList>

namespace {
const QString kLoadingPicture = QStringLiteral(":/resource/chat/x1/loading.png");
const QString kSendingPicture = QStringLiteral(":/resource/chat/x1/sending.png");
constexpr double kSpinnerSpeed = 112.5; // degrees per second
constexpr int kSpinnerSize = 24;
constexpr qint64 kMaxSide = 10000;

Spinner* MakeSpinner(const QString& key)
{
    auto* spinner = new Spinner(kLoadingPicture, QSize(kSpinnerSize, kSpinnerSize), kSpinnerSpeed);
    if (!key.isEmpty())
        spinner->setTag(key);
    return spinner;
}

// The picture and its spinner in the order of the sender's side: an own
// picture has its spinner on its left.
void AppendPicture(ChatMessage& row, Image* picture, Spinner* spinner, bool isSelf)
{
    const ColumnFormat spinnerFormat(kSpinnerSize, ColumnFormat::FixedSize, AlignColumnRight);
    const ColumnFormat pictureFormat(picture->width(), ColumnFormat::FixedSize, isSelf ? AlignPanelRight : AlignLeft);
    if (spinner && isSelf)
        row.appendItem(spinner, spinnerFormat);
    row.appendItem(picture, pictureFormat);
    if (spinner && !isSelf)
        row.appendItem(spinner, spinnerFormat);
}

bool ParseSide(const QString& text, qint64* side)
{
    bool ok = false;
    const qint64 value = text.toLongLong(&ok);
    if (!ok || value < 0 || value > kMaxSide)
        return false;
    *side = value;
    return true;
}
} // namespace

QString ChatMessage::Markup(const QString& plain)
{
    return QStringLiteral("<p class=%1>%2</p>").arg(QStringLiteral("msg"), plain.toHtmlEscaped());
}

ChatMessage::Ptr ChatMessage::CreateTimeMessage(const QString& time)
{
    auto row = std::make_shared<ChatMessage>();
    row->appendItem(new ChatText(time, Markup(time), ChatContext::ItemFont(), 1, false, QColor("#999999")),
        ColumnFormat(90, ColumnFormat::FixedSize, AlignPanelCenter));
    return row;
}

ChatMessage::Ptr ChatMessage::CreateSenderMessage(const QString& sender, bool forPicture, bool isSelf)
{
    auto row = std::make_shared<ChatMessage>();
    const double panelWidth = ChatContext::PanelWidth(0);
    row->appendItem(
        new ChatText(sender, Markup(sender), ChatContext::ItemFont(), forPicture ? 4 : 2, false, QColor("#333333")),
        ColumnFormat(panelWidth - 4, ColumnFormat::VariableSize, isSelf ? AlignPanelRight : AlignLeft));
    return row;
}

ChatMessage::Ptr ChatMessage::CreateTextMessage(const QString& text, bool isSelf)
{
    auto row = std::make_shared<ChatMessage>();
    row->appendItem(new ChatText(text, Markup(text), ChatContext::ItemFont(), 8, isSelf, QColor("#ffffff")),
        ColumnFormat(1.0, ColumnFormat::VariableSize, isSelf ? AlignPanelRight : AlignLeft));
    return row;
}

ChatMessage::Ptr ChatMessage::CreateSystemMessage(const QString& text, bool isSelf)
{
    auto row = std::make_shared<ChatMessage>();
    row->appendItem(new ChatRichText(text, text, ChatContext::ItemFont(), 8, isSelf, QColor("#ffffff")),
        ColumnFormat(1.0, ColumnFormat::VariableSize, isSelf ? AlignPanelRight : AlignPanelCenter));
    return row;
}

QSize ChatMessage::SizeFromText(const QString& sizeText)
{
    const QStringList parts = sizeText.split(QLatin1Char('x'));
    qint64 w = 0;
    qint64 h = 0;
    if (parts.size() == 2 && ParseSide(parts.at(0), &w) && ParseSide(parts.at(1), &h))
        return ChatContext::HundredPixelRule(w, h);
    const QPixmap sending = ChatContext::CachedPixmap(kSendingPicture);
    return ChatContext::HundredPixelRule(sending.width(), sending.height());
}

ChatMessage::Ptr ChatMessage::CreateImageMessage(const chatImageStruct& image)
{
    auto row = std::make_shared<ChatMessage>();
    const bool isSelf = image.senderUid != 0 && image.senderUid == ChatContext::LocalUid();
    const QSize size = SizeFromText(image.slideSize);
    auto* picture = new Image(size.width(), size.height(), kSendingPicture);
    if (!image.imageId.isEmpty())
        picture->setTag(image.imageId);
    picture->setSentBySelf(false);
    const QString folder = ChatContext::DataFolder() + QStringLiteral("chatImage/");
    const QString small = ChatContext::PictureFileName(image.slideUrl);
    const QString full = ChatContext::PictureFileName(image.normalUrl);
    picture->setDownloadedPath(small.isEmpty() ? QString() : folder + small);
    picture->setFullPath(full.isEmpty() ? QString() : folder + full);
    Spinner* spinner = MakeSpinner(image.imageId);
    spinner->setFailureWords(QStringLiteral("加载失败"), isSelf);
    AppendPicture(*row, picture, spinner, isSelf);
    return row;
}

ChatMessage::Ptr ChatMessage::CreateLocalImageMessage(
    const QString& path, const QString& key, int width, int height, bool withSpinner, bool isSelf)
{
    auto row = std::make_shared<ChatMessage>();
    auto* picture = new Image(width, height, path);
    if (!key.isEmpty())
        picture->setTag(key);
    Spinner* spinner = withSpinner ? MakeSpinner(key) : nullptr;
    if (spinner)
        spinner->setFailureWords(QStringLiteral("发送失败"), isSelf);
    AppendPicture(*row, picture, spinner, isSelf);
    return row;
}
