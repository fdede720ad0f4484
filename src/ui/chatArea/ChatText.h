#pragma once

#include "ChatLineContent.h"

#include <QColor>
#include <QSizeF>

class QTextDocument;

// A text cell of a chat row: a time stamp, a sender name or a message
// bubble. The text is laid out in a pooled document only while the row is
// on screen; the user can select it with the mouse and copy it.
class ChatText : public ChatLineContent
{
    Q_OBJECT

public:
    // plain is kept for copying and export; markup is what is shown.
    ChatText(
        const QString& plain, const QString& markup, const QFont& font, int type, bool isSelf, const QColor& colour);
    ~ChatText() override;

    void fitToWidth(double width) override;
    void extendSelectionTo(QPointF scenePos) override;
    void beginSelectionAt(QPointF scenePos) override;
    void dropSelection() override;
    void selectWordAt(QPointF scenePos) override;
    void selectBlockAt(QPointF scenePos) override;
    void setSelectionActive(bool active) override;
    bool hitsSelection(QPointF scenePos) const override;
    QString selectedText() const override;
    void setItemFont(const QFont& font) override;
    QFont itemFont() const override { return m_textFont; }
    QString plainText() const override { return m_plain; }
    double firstLineAscent() const override { return m_ascent; }
    void setOnScreen(bool onScreen) override;

    QRectF boundingRect() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;
    int type() const override { return m_itemType; }

    // The link under a scene point, empty when there is none.
    QString linkAt(QPointF scenePos) const;
    bool hasDocument() const { return m_document != nullptr; }
    // The text as the document shows it (empty while off screen).
    QString shownText() const;

protected:
    void hoverMoveEvent(QGraphicsSceneHoverEvent* event) override;
    void mousePressEvent(QGraphicsSceneMouseEvent* event) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent* event) override;

    // The widest the text may lay out before it wraps.
    virtual double widthLimit() const;
    // Width added to the document's for what is drawn beside the text.
    virtual double extraWidth() const { return 0; }
    virtual void paintBackground(QPainter* painter);
    virtual QColor textColour() const;
    virtual void paintForeground(QPainter*) { }

    void regenerate();
    int hitPosition(QPointF scenePos, Qt::HitTestAccuracy accuracy = Qt::FuzzyHit) const;
    QString textBetween(int from, int to) const;

    QTextDocument* m_document = nullptr;
    QString m_text;
    QString m_plain;
    QString m_selected;
    QSizeF m_size { -1, -1 };
    bool m_onScreen = false;
    bool m_isSelf = false;
    bool m_elide = false;
    bool m_dirty = true;
    bool m_selectionActive = true;
    int m_itemType = 0;
    int m_cursorPos = -1;
    int m_anchorPos = -1;
    double m_ascent = 0;
    double m_width = 0;
    QFont m_textFont;
    QString m_styleSheet;
    QColor m_colour;
};

// The dark notice bubble (a like, a system notice): one line cut with an
// ellipsis, never markup, with the like icon at its right end.
class ChatRichText : public ChatText
{
    Q_OBJECT

public:
    ChatRichText(
        const QString& plain, const QString& text, const QFont& font, int type, bool isSelf, const QColor& colour);

    void extendSelectionTo(QPointF) override { }
    void selectWordAt(QPointF) override { }

    static constexpr int kIconSize = 24;
    static constexpr int kRightMargin = 4;

protected:
    double widthLimit() const override;
    double extraWidth() const override { return kIconSize + kRightMargin; }
    void paintBackground(QPainter* painter) override;
    QColor textColour() const override { return QColor(QStringLiteral("#ffffff")); }
    void paintForeground(QPainter* painter) override;

private:
    QPixmap m_icon;
};
