#pragma once

#include <QFont>
#include <QPointF>
#include <QRectF>
#include <QVector>
#include <memory>

class ChatLineContent;
class QGraphicsScene;

enum ColumnAlign {
    AlignLeft = 0, // at the column's left edge
    AlignPanelCenter = 1, // centred on the chat panel
    AlignColumnRight = 2, // at the column's right edge
    AlignPanelRight = 3, // against the chat panel's right side
};

// How one column of a chat row takes its width.
struct ColumnFormat {
    enum Policy { FixedSize = 0, VariableSize = 1 };

    ColumnFormat() = default;
    ColumnFormat(double size, Policy policy, ColumnAlign align)
        : size(size)
        , policy(policy)
        , align(align)
    { }

    double size = 0; // pixels (fixed) or a share of the remaining width
    Policy policy = FixedSize;
    ColumnAlign align = AlignLeft;
};

// One row of the chat log: its cells in column order, laid out against the
// width of the chat panel. Owns its items; destroying the row takes them
// out of their scene.
class ChatLine
{
public:
    using Ptr = std::shared_ptr<ChatLine>;

    ChatLine() = default;
    virtual ~ChatLine();
    ChatLine(const ChatLine&) = delete;
    ChatLine& operator=(const ChatLine&) = delete;

    // A null item is ignored, and so is its format.
    void appendItem(ChatLineContent* item, const ColumnFormat& format);
    void setRow(int row);
    int row() const { return m_row; }
    int itemCount() const { return m_items.size(); }
    ChatLineContent* item(int column) const;
    ChatLineContent* itemAt(QPointF scenePos) const;
    // type() of the only item; 0 unless the row has exactly one.
    int singleItemType() const;
    QString firstItemText() const;
    void attachTo(QGraphicsScene* scene);
    void detachFromScene();
    void layoutAt(double width, QPointF origin);
    QRectF bounds() const { return m_bounds; }
    void dropSelection();
    void setSelectionActive(bool active);
    void setItemFont(const QFont& font);
    void setOnScreen(bool onScreen);
    bool isOnScreen() const { return m_onScreen; }

private:
    QVector<ChatLineContent*> m_items;
    QVector<ColumnFormat> m_formats;
    int m_row = -1;
    double m_width = 100.0;
    double m_columnSpacing = 15.0;
    QRectF m_bounds;
    bool m_onScreen = false;
};
