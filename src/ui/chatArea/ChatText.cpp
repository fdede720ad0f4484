#include "ChatText.h"

#include "ChatContext.h"
#include "TextDocumentPool.h"
#include "platform/Shell.h"

#include <QAbstractTextDocumentLayout>
#include <QCursor>
#include <QFontMetrics>
#include <QGraphicsSceneMouseEvent>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QUrl>
#include <QtMath>

namespace {
const QString kLikeIcon = QStringLiteral(":resource/chat/x1.75/like.png");

QColor SelectionBackground(bool active)
{
    return QColor::fromRgbF(0.23, 0.68, 0.91).lighter(active ? 100 : 160);
}
} // namespace

ChatText::ChatText(
    const QString& plain, const QString& markup, const QFont& font, int type, bool isSelf, const QColor& colour)
    : m_text(markup)
    , m_plain(plain)
    , m_isSelf(isSelf)
    , m_itemType(type)
    , m_textFont(font)
    , m_colour(colour)
{
    if (type == 1)
        m_textFont.setPixelSize(12);
    else if (type == 2 || type == 4 || type == 8)
        m_textFont.setPixelSize(14);
    setAcceptedMouseButtons(Qt::LeftButton);
    setAcceptHoverEvents(true);
    setCursor(QCursor(Qt::IBeamCursor));
}

ChatText::~ChatText()
{
    TextDocumentPool::giveBack(m_document);
}

void ChatText::fitToWidth(double width)
{
    m_width = width;
    m_dirty = true;
    regenerate();
}

double ChatText::widthLimit() const
{
    return ChatContext::PanelWidth(m_width + 20) - 20;
}

void ChatText::regenerate()
{
    if (!m_document) {
        m_document = TextDocumentPool::take();
        m_dirty = true;
    }
    if (m_dirty) {
        m_document->setDefaultFont(m_textFont);
        QTextOption option;
        option.setWrapMode(m_elide ? QTextOption::NoWrap : QTextOption::WrapAtWordBoundaryOrAnywhere);
        m_document->setDefaultTextOption(option);
        const double limit = qMax(0.0, widthLimit());
        if (m_elide) {
            // Cut so that the whole bubble, icon included, fits its column.
            const double margins = 2 * m_document->documentMargin();
            const double room = qMax(0.0, qMin(m_width - extraWidth(), limit) - margins);
            m_document->setPlainText(QFontMetrics(m_textFont).elidedText(m_text, Qt::ElideRight, qRound(room)));
        } else {
            m_document->setDefaultStyleSheet(m_styleSheet);
            m_document->setHtml(m_text);
        }
        m_document->setTextWidth(-1);
        const QTextBlock first = m_document->firstBlock();
        if (first.layout() && m_document->documentLayout()->blockBoundingRect(first).width() > limit)
            m_document->setTextWidth(limit);
        if (first.layout() && first.layout()->lineCount() > 0)
            m_ascent = first.layout()->lineAt(0).ascent();
        prepareGeometryChange();
        m_size = m_document->size();
        m_size.rwidth() += extraWidth();
        m_dirty = false;
    }
    if (!m_onScreen) {
        TextDocumentPool::giveBack(m_document);
        m_document = nullptr;
    }
}

void ChatText::setOnScreen(bool onScreen)
{
    m_onScreen = onScreen;
    regenerate();
    update();
}

QRectF ChatText::boundingRect() const
{
    return QRectF(QPointF(0, 0), m_size.expandedTo(QSizeF(0, 0)));
}

void ChatText::paintBackground(QPainter* painter)
{
    if (m_itemType != 8)
        return;
    painter->setPen(Qt::NoPen);
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setBrush(QColor(m_isSelf ? QStringLiteral("#e6f4ff") : QStringLiteral("#e8ebed")));
    painter->drawRoundedRect(QRect(0, 0, int(m_size.width()), int(m_size.height())), 2, 2);
}

QColor ChatText::textColour() const
{
    if (m_itemType == 1)
        return QColor(QStringLiteral("#999999"));
    if (m_itemType == 2 || m_itemType == 4)
        return QColor(QStringLiteral("#999999"));
    return QColor(QStringLiteral("#333333"));
}

void ChatText::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    if (!m_document)
        return;
    painter->save();
    painter->setClipRect(boundingRect());
    QAbstractTextDocumentLayout::PaintContext context;
    if (m_cursorPos >= 0) {
        QAbstractTextDocumentLayout::Selection selection;
        selection.cursor = QTextCursor(m_document);
        selection.cursor.setPosition(qMin(m_anchorPos, m_cursorPos));
        selection.cursor.setPosition(qMax(m_anchorPos, m_cursorPos), QTextCursor::KeepAnchor);
        selection.format.setBackground(SelectionBackground(m_selectionActive));
        selection.format.setForeground(m_selectionActive ? Qt::white : Qt::black);
        context.selections.append(selection);
    }
    paintBackground(painter);
    context.palette.setColor(QPalette::Text, textColour());
    m_document->documentLayout()->draw(painter, context);
    paintForeground(painter);
    painter->restore();
}

int ChatText::hitPosition(QPointF scenePos, Qt::HitTestAccuracy accuracy) const
{
    if (!m_document)
        return -1;
    return m_document->documentLayout()->hitTest(mapFromScene(scenePos), accuracy);
}

void ChatText::beginSelectionAt(QPointF scenePos)
{
    const int position = hitPosition(scenePos);
    if (position >= 0)
        m_cursorPos = m_anchorPos = position;
}

void ChatText::extendSelectionTo(QPointF scenePos)
{
    const int position = hitPosition(scenePos);
    if (position < 0)
        return;
    m_cursorPos = position;
    m_selected = textBetween(m_anchorPos, m_cursorPos);
    update();
}

void ChatText::selectWordAt(QPointF scenePos)
{
    const int position = hitPosition(scenePos);
    if (position < 0)
        return;
    if (qAbs(scenePos.x() + 1) < 1e-12 && qAbs(scenePos.y() + 1) < 1e-12) {
        m_anchorPos = 0;
        QTextCursor end(m_document);
        end.movePosition(QTextCursor::End);
        m_cursorPos = end.position();
        m_selected = m_plain;
    } else {
        QTextCursor cursor(m_document);
        cursor.setPosition(position);
        cursor.select(QTextCursor::WordUnderCursor);
        m_anchorPos = cursor.selectionStart();
        m_cursorPos = cursor.selectionEnd();
        m_selected = textBetween(m_anchorPos, m_cursorPos);
    }
    update();
}

void ChatText::selectBlockAt(QPointF scenePos)
{
    const int position = hitPosition(scenePos);
    if (position < 0)
        return;
    QTextCursor cursor(m_document);
    cursor.setPosition(position);
    cursor.select(QTextCursor::BlockUnderCursor);
    const QTextBlock block = cursor.block();
    m_anchorPos = cursor.selectionStart() + (block.isValid() && block != m_document->firstBlock() ? 1 : 0);
    m_cursorPos = cursor.selectionEnd();
    m_selected = textBetween(m_anchorPos, m_cursorPos);
    update();
}

void ChatText::dropSelection()
{
    m_selected.clear();
    m_selected.squeeze();
    m_cursorPos = -1;
    update();
}

void ChatText::setSelectionActive(bool active)
{
    m_selectionActive = active;
    update();
}

bool ChatText::hitsSelection(QPointF scenePos) const
{
    const int position = hitPosition(scenePos);
    return position > qMin(m_anchorPos, m_cursorPos) && position <= qMax(m_anchorPos, m_cursorPos);
}

QString ChatText::selectedText() const
{
    return m_selected;
}

void ChatText::setItemFont(const QFont& font)
{
    const int pixelSize = m_textFont.pixelSize();
    m_textFont = font;
    if (pixelSize > 0)
        m_textFont.setPixelSize(pixelSize);
    m_dirty = true;
}

QString ChatText::textBetween(int from, int to) const
{
    if (!m_document)
        return QString();
    const int start = qMin(from, to);
    const int end = qMax(from, to);
    QString result;
    QTextBlock block = m_document->findBlock(start);
    const QTextBlock last = m_document->findBlock(end);
    while (block.isValid()) {
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid())
                continue;
            const QTextCharFormat format = fragment.charFormat();
            if (format.objectType() == QTextFormat::ImageObject) {
                if (fragment.position() >= start && fragment.position() < end)
                    result += format.toImageFormat().name().mid(4);
                continue;
            }
            const QString text = fragment.text();
            for (int i = 0; i < text.size(); ++i) {
                const int position = fragment.position() + i;
                if (position >= start && position < end)
                    result += text.at(i);
            }
        }
        result += QLatin1Char('\n');
        if (block == last)
            break;
        block = block.next();
    }
    result.chop(1);
    return result;
}

QString ChatText::shownText() const
{
    return m_document ? m_document->toPlainText() : QString();
}

QString ChatText::linkAt(QPointF scenePos) const
{
    const int position = hitPosition(scenePos);
    if (position < 0)
        return QString();
    QTextCursor cursor(m_document);
    cursor.setPosition(position);
    cursor.movePosition(QTextCursor::NextCharacter);
    return cursor.charFormat().anchorHref();
}

void ChatText::hoverMoveEvent(QGraphicsSceneHoverEvent* event)
{
    setCursor(QCursor(Qt::IBeamCursor));
    QString tip;
    if (m_document) {
        const int position = m_document->documentLayout()->hitTest(event->pos(), Qt::ExactHit);
        for (QTextBlock::iterator it = m_document->firstBlock().begin(); position >= 0 && !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.contains(position) && fragment.charFormat().objectType() == QTextFormat::ImageObject) {
                tip = fragment.charFormat().toImageFormat().toolTip();
                break;
            }
        }
    }
    setToolTip(tip);
}

void ChatText::mousePressEvent(QGraphicsSceneMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        event->accept();
}

void ChatText::mouseReleaseEvent(QGraphicsSceneMouseEvent* event)
{
    if (!m_document)
        return;
    const QString anchor = m_document->documentLayout()->anchorAt(event->pos());
    if (!anchor.isEmpty())
        Shell::OpenUrl(QUrl(anchor)); // web addresses only: the text came from the room
}

ChatRichText::ChatRichText(
    const QString& plain, const QString& text, const QFont& font, int type, bool isSelf, const QColor& colour)
    : ChatText(plain, text, font, type, isSelf, colour)
{
    m_elide = true;
    m_textFont.setPixelSize(13);
    m_icon = ChatContext::CachedPixmap(kLikeIcon);
}

double ChatRichText::widthLimit() const
{
    return ChatText::widthLimit() - kIconSize;
}

void ChatRichText::paintBackground(QPainter* painter)
{
    if (m_itemType != 8)
        return;
    painter->setPen(Qt::NoPen);
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setBrush(QColor(0, 0, 0, 120));
    painter->drawRoundedRect(QRect(0, 0, int(m_size.width()), int(m_size.height())), 8, 8);
}

void ChatRichText::paintForeground(QPainter* painter)
{
    if (m_icon.isNull())
        return;
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    const int x = int(m_size.width() - kIconSize - 2 - kRightMargin);
    painter->drawPixmap(QRect(x, 0, kIconSize, kIconSize), m_icon);
}
