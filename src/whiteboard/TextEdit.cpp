#include "TextEdit.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetrics>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>

namespace {
const char kStyle[] = "#PainterTextEdit{border-style:dashed;border-width:2px;border-color:rgb(127,127,172);"
                      "font:%1px Microsoft YaHei;color:%2;margin:0px;padding:0px;}";
} // namespace

TextEdit::TextEdit(QWidget* parent)
    : QTextEdit(parent)
{
    // What is pasted in arrives as the characters it holds: the board
    // draws plain text only.
    setAcceptRichText(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setViewportMargins(0, 0, 0, 0);
    connect(this, &TextEdit::FontSizeChange, this, &TextEdit::OnFontSizeChanged);
    connect(this, &TextEdit::ColorChange, this, &TextEdit::OnColorChange);
    connect(this, &QTextEdit::textChanged, this, &TextEdit::OnTextChanged);
}

void TextEdit::SetFontSize(int size)
{
    m_fontSize = size;
    emit FontSizeChange(size);
}

void TextEdit::SetFontColor(const QString& color)
{
    m_fontColor = color;
    emit ColorChange(color);
}

void TextEdit::SetMaximumArea(int width, int height)
{
    m_maxWidth = width;
    m_maxHeight = height;
}

void TextEdit::ApplyStyle(int pixelSize, const QString& color)
{
    setStyleSheet(QString::fromLatin1(kStyle).arg(pixelSize).arg(color));
    ensurePolished();
    ApplyLineHeight();
}

void TextEdit::OnColorChange(QString color)
{
    ApplyStyle(m_fontSize, color);
}

void TextEdit::OnFontSizeChanged(int size)
{
    // In the colour being typed in: a size picked while typing leaves the
    // text its colour.
    ApplyStyle(size, m_fontColor);
}

void TextEdit::ApplyLineHeight()
{
    if (m_formatting)
        return;
    const QFontMetrics metrics(font());
    const qreal height = metrics.ascent() + metrics.descent();
    bool same = true;
    for (QTextBlock block = document()->begin(); block.isValid() && same; block = block.next()) {
        const QTextBlockFormat format = block.blockFormat();
        same = format.lineHeightType() == QTextBlockFormat::FixedHeight && format.lineHeight() == height;
    }
    if (same)
        return;
    m_formatting = true;
    QTextCursor cursor(document());
    cursor.select(QTextCursor::Document);
    QTextBlockFormat format;
    format.setLineHeight(height, QTextBlockFormat::FixedHeight);
    cursor.mergeBlockFormat(format);
    m_formatting = false;
}

void TextEdit::OnTextChanged()
{
    if (m_formatting)
        return;
    ApplyLineHeight();
    // As wide as the widest paragraph with a little room to type on, up to
    // the board's edge; there the editor wraps.
    const QFontMetrics metrics(font());
    int width = 0;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        const int wanted = metrics.horizontalAdvance(block.text() + QStringLiteral("aa  ")) + 4;
        if (wanted > width)
            width = qMin(wanted, m_maxWidth);
    }
    setFixedWidth(width);
    const int height = qMin(static_cast<int>(document()->size().height() + 5), m_maxHeight);
    setFixedHeight(height);
    m_currentWidth = width;
    m_currentHeight = height;
}

QString TextEdit::GetAmendText()
{
    if (document()->isEmpty())
        return QString();
    QString result;
    QAbstractTextDocumentLayout* layout = document()->documentLayout();
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        layout->blockBoundingRect(block); // lays the paragraph out
        QString text = block.text();
        const QTextLayout* lines = block.layout();
        // Each line after the first starts where the editor broke the
        // paragraph, at a word or wherever the line was full; from the
        // last one, so the earlier positions stay true.
        for (int i = lines ? lines->lineCount() - 1 : 0; i >= 1; --i) {
            const int at = lines->lineAt(i).textStart();
            if (at <= 0 || at > text.size())
                continue;
            if (text.at(at - 1) == QChar::LineSeparator)
                text[at - 1] = QLatin1Char('\n');
            else
                text.insert(at, QLatin1Char('\n'));
        }
        text.replace(QChar::LineSeparator, QLatin1Char('\n'));
        result += text + QLatin1Char('\n');
    }
    return result;
}
