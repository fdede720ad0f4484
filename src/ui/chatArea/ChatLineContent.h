#pragma once

#include <QFont>
#include <QGraphicsItem>
#include <QObject>
#include <QString>

// One cell of a chat row: a graphics item of the chat log's scene. The base
// carries the cell position, the picture key ("tag") and no-op selection
// hooks; text, picture and spinner items override what they support.
class ChatLineContent : public QObject, public QGraphicsItem
{
    Q_OBJECT
    Q_INTERFACES(QGraphicsItem)

public:
    // Values of type(): the picture and spinner items; text items carry the
    // type their row gives them (1 time, 2 and 4 sender, 8 message).
    enum ItemType {
        TimeText = 1,
        PictureItem = 2,
        SenderText = 2,
        PictureSender = 4,
        SpinnerItem = 4,
        MessageText = 8
    };

    ChatLineContent() = default;

    void setCell(int row, int column);
    int getRow() const { return m_row; }
    int getColumn() const { return m_column; }

    virtual void fitToWidth(double width) = 0;
    virtual void extendSelectionTo(QPointF scenePos);
    virtual void beginSelectionAt(QPointF scenePos);
    virtual void dropSelection();
    virtual void selectWordAt(QPointF scenePos);
    virtual void selectBlockAt(QPointF scenePos);
    virtual void setSelectionActive(bool active);
    virtual bool hitsSelection(QPointF scenePos) const;
    virtual QString selectedText() const;
    virtual void setItemFont(const QFont& font);
    virtual QFont itemFont() const;
    virtual void setTag(const QString& tag);
    virtual QString tag() const;
    virtual bool isFinished() const;
    virtual void setFinished(bool finished);
    virtual QString plainText() const;
    virtual double firstLineAscent() const;
    virtual void setOnScreen(bool onScreen);

protected:
    QFont m_font;
    QString m_tag;
    bool m_finished = false;

private:
    int m_row = -1;
    int m_column = -1;
};
