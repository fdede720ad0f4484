#pragma once

#include "ChatLine.h"

#include <QColor>
#include <QGraphicsView>
#include <QList>
#include <QSet>
#include <QTimer>
#include <vector>

class Image;
class QAction;
class QGraphicsRectItem;
class QShortcut;
class Spinner;

// The scrolling chat log: rows stacked top to bottom in a graphics scene.
// It tracks the rows on screen (so off-screen rows hold no text document),
// lets the user select text with the mouse, copies and exports it, lays the
// whole log out again in small steps when its width changes, and swaps in
// pictures when their transfers end. GUI thread only.
class ChatLog : public QGraphicsView
{
    Q_OBJECT

public:
    explicit ChatLog(QWidget* parent = nullptr);
    ~ChatLog() override;

    void appendLine(const ChatLine::Ptr& line);
    void clearLog();
    std::vector<ChatLine::Ptr> lines() const { return m_lines; }
    void selectAllRows();
    void copySelection(bool toSelection);
    void setItemFont(const QFont& font);
    ChatLineContent* itemAtGlobalPos(const QPoint& globalPos) const;
    ChatLineContent* itemAtScenePos(QPointF scenePos) const;
    QString selectedText() const;
    void exportAll();
    // Scrolls to the last row.
    void scrollToBottom();

    int selectionMode() const { return m_selectionMode; }
    bool isRelayoutRunning() const { return m_relayoutTimer.isActive(); }
    QList<ChatLine::Ptr> onScreenLines() const { return m_onScreenLines; }
    QRectF selectionBoxRect() const;
    QAction* copyAction() const { return m_copyAction; }
    QAction* exportAction() const { return m_exportAction; }
    QAction* selectAllAction() const { return m_selectAllAction; }
    // Usable row width: the widget minus its scroll bar and both margins.
    double lineWidth() const;
    // How long an uploaded picture may wait for the room to hear of it
    // before it shows its failure.
    void SetSendTimeOut(int ms) { m_sendTimeOut = ms > 0 ? ms : 30000; }

signals:
    void selectionChanged();
    void workerTimeoutFinished();

public slots:
    void forceRelayout();
    // Shows a downloaded small picture; one that cannot be decoded shows
    // its failure.
    void OnDownloadSuccess(int type, QString imageId);
    // The oldest own picture of that file name still uploading takes the id
    // and waits for the room to hear of it.
    void OnUploadSuccess(QString fileName, QString imageId);
    // The room heard of the uploaded picture with that id: it is sent.
    void OnPictureSent(QString imageId);
    // The first picture row whose spinner carries key, or an own picture
    // still uploading that shows the file key, gets its retry mark.
    void OnUploadFailed(QString key);
    // Every picture row with that id still waiting for its download gets
    // its retry mark.
    void OnDownloadFailed(QString imageId);
    void onSelectionTimerTimeout();
    void onWorkerTimeout();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void retranslateUi();
    void relayout(int first, int last, double width);
    QRectF sceneRectForLines() const;
    void updateSceneRect();
    void updateOnScreenLines();
    void startRelayout();
    void dropSelection();
    void updateSelectionBox();
    void scrollToLine(const ChatLine::Ptr& line);
    bool isAtBottom() const;
    // An own picture row whose spinner still turns: uploading, or uploaded
    // and waiting for the room to hear of it; with failedToo also one that
    // failed.
    struct PendingUpload {
        Spinner* spinner = nullptr;
        Image* picture = nullptr;
    };
    static PendingUpload PendingUploadOf(const ChatLine& line, bool failedToo = false);
    // An uploaded picture the room has still not heard of failed.
    void FailUnsent(const QString& imageId);

    QGraphicsScene* m_scene = nullptr;
    QGraphicsScene* m_busyScene = nullptr;
    std::vector<ChatLine::Ptr> m_lines;
    QList<ChatLine::Ptr> m_onScreenLines;
    int m_selectionMode = 0; // 0 none, 1 inside one item, 2 whole rows
    int m_clickedRow = -1;
    int m_clickedColumn = -1;
    int m_firstRow = -1;
    int m_lastRow = -1;
    QColor m_selectionColor;
    QGraphicsRectItem* m_selectionBox = nullptr;
    QPointF m_pressPos;
    int m_scrollDirection = 0; // 0 none, 1 up, 2 down
    QTimer m_selectionTimer;
    QTimer m_relayoutTimer;
    int m_relayoutNext = 0;
    bool m_relayoutStickToBottom = false;
    ChatLine::Ptr m_relayoutAnchor;
    double m_layoutWidth = -1; // row width of the last layout
    QAction* m_copyAction = nullptr;
    QAction* m_exportAction = nullptr;
    QAction* m_selectAllAction = nullptr;
    QShortcut* m_copyShortcut = nullptr;
    int m_sendTimeOut = 30000;
    int m_generation = 0; // grows with every clearLog()
    QSet<QString> m_sentPictures;
};
