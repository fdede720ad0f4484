#pragma once

#include "BoardModel.h"

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QPointF>
#include <QString>
#include <QVector>
#include <QWidget>
#include <memory>
#include <vector>

class DataManager;
class QMouseEvent;
class QPainter;
class QPushButton;
class QTimer;
class Shape;
class TextEdit;

// The transparent drawing surface over the course page. Lives in the GUI
// thread. The stacks it draws and changes belong to the session's board
// model (DataManager::GetBoardModel), reached through a guard that holds the
// board lock; the session thread applies the room's changes to the same
// model in message order and then emits the Remote* signals, which arrive
// queued here and repaint when the shown board changed.
//
// The shape being drawn stays the widget's own until the mouse is released:
// shapes of others that arrive meanwhile go onto the stack below it and can
// never mix into it, and it joins the stack whole, in one locked step that
// also queues its message. A text dragged is drawn at the mouse and moved
// on the stack when the mouse is released.
//
// What the mouse points at (the eraser's shape, a text to pick up) is found
// on a copy of the shown board and highlighted over the board's picture;
// the shapes on the stack keep their colours.
class WhiteBoardWidget : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(int m_vShapeType READ GetShapeType WRITE SetShapeType)

public:
    explicit WhiteBoardWidget(QWidget* parent = nullptr);
    ~WhiteBoardWidget() override;

    // Whiteboard shown and drawn on; written by the course-page list. Kept
    // in the board model, so the session thread reads it under its lock.
    QString GetCurrWhiteboardId() const;
    void SetCurrWhiteboardId(const QString& whiteboardId);

    QString GetColorName() const { return m_colorName; }
    void SetColorName(const QString& name);
    QColor GetPenColor() const { return m_penColor; }
    int GetFontSize() const { return m_fontSize; }
    void SetFontSize(int size);
    int GetThickness() const { return m_thickness; }
    double GetZoom() const { return m_zoom; }

    // Widget whose size converts board units to pixels (the page view).
    QWidget* GetCanvas() const { return m_canvas; }
    void SetCanvas(QWidget* canvas) { m_canvas = canvas; }

    // The editor texts are typed into ("PainterTextEdit"); its fontSize is
    // the size of new texts.
    TextEdit* GetTextEdit() const { return m_textEdit; }

    int GetShapeType() const { return m_vShapeType; }
    void SetShapeType(int type);
    // Back to no tool, silently and without leaving the old tool's mode
    // (leaving the class room).
    void ClearShapeType() { m_vShapeType = 0; }

    // Pixel to board units, the inverse of the painter's transform; a
    // canvas without size leaves the point unconverted.
    QPoint MapToBoard(int x, int y, double zoom) const;

    // The shape the eraser would take, the text the mouse would pick up
    // (empty when none), and where the laser points (board units).
    QString GetHighlightedId() const { return m_highlightedId; }
    QString GetGrabbedTextId() const { return m_grabbedId; }
    QPoint GetLaserPoint() const { return m_vPoint4LasterPoint; }
    // The pointer of another participant, shown over the page.
    QWidget* GetLaserImage() const;

    // Whether the local user holds the whiteboard right: draws, turns
    // pages and uses the palette for the room.
    static bool HasWhiteboardRight();

signals:
    void ShapeTypeChanged(int type);
    void RemoteUpdate();
    // The session thread already changed the named board; the widget
    // repaints.
    void RemoteUndo(QString whiteboardId);
    void RemoteRedo(QString whiteboardId);
    void RemoteReset(QString whiteboardId);
    void RemoteLaserPoint(QPoint point, QString presentationId);
    void ShapeEraserById(QString shapeId);
    void ShiftPosNotify(QPointF first, QPointF second);
    void ScaleChanged(double zoom);

public slots:
    void SetShape4Rect() { SelectTool(1); }
    void SetShape4Line() { SelectTool(2); }
    void SetShape4Pen() { SelectTool(3); }
    void SetShape4Text() { SelectTool(4); }
    void SetShape4Eraser() { SelectTool(5); }
    void SetShape4LaserPointer();
    void SetColor(QColor color);

    // msgType 1 is the local user's own action: it needs the whiteboard
    // right, acts on the current board and is sent to the room. Any other
    // value acts on the named board (the current one when empty) silently.
    void Undo(QString whiteboardId, int msgType);
    void Redo(QString whiteboardId, int msgType);
    void Reset(QString whiteboardId, int msgType);
    void Undo(QString whiteboardId) { Undo(whiteboardId, 1); }
    void Redo(QString whiteboardId) { Redo(whiteboardId, 1); }
    void Reset(QString whiteboardId) { Reset(whiteboardId, 1); }
    void Undo() { Undo(QString(), 1); }
    void Redo() { Redo(QString(), 1); }
    void Reset() { Reset(QString(), 1); }
    // Takes a shape (a whole stroke) of the current board to its redo stack;
    // local, sent to the room.
    void OnShapeEraserById(QString shapeId);

    void OnRemoteUpdate();
    void OnRemoteUndo(QString whiteboardId);
    void OnRemoteRedo(QString whiteboardId);
    void OnRemoteReset(QString whiteboardId);
    void OnRemoteLaserPoint(QPoint point, QString presentationId);
    void OnScaleChanged(double zoom);
    void OnShiftPosNotify(QPointF first, QPointF second);
    void StopLasterPointTimer();
    void HideLaserPointPos();
    // Sends the laser's position when it moved since the last time.
    void NotifyLaserPointPos();
    // The eraser at a board point: highlights the shape it would take.
    void OnShapeHighlight(QPoint point);
    // The mouse at a board point: picks up the text under it.
    void OnShapeHighlight4Text(QPoint point);
    // The mouse left the board; true when a text lost its highlight.
    bool UnShapeHighlight4Text();
    // The text picked up follows the mouse to the board point.
    void OnShapeMovement4Text(QPoint point);
    // The whiteboard right was withdrawn: the text being typed is put
    // away, the shape being drawn and the text being moved are dropped.
    void OnWhiteboardRightLost();
    // Forgets everything of the room left: the shape being drawn, the
    // current board, the laser.
    void OnCleanUp();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    static DataManager* Session();
    static BoardModel* Model();
    // The palette's zoom tools take the mouse away from the board.
    static bool PaletteZooms();
    void SelectTool(int type);
    void EnterShapeMode(int type);
    void LeaveShapeMode(int type);
    // A shape of the current tool started at the pixel position.
    void StartShape(const QPoint& position);
    // Whether the shape being drawn is too small to keep (a click).
    bool IsClickOnly() const;
    void DiscardLive();
    QString BoardOrCurrent(const QString& whiteboardId) const;
    // 1 undo, 2 redo, 3 clear; msgType as for Undo().
    void StackAction(int action, const QString& whiteboardId, int msgType);

    // Opens the text editor at the event's position, or closes it and puts
    // its text on the board.
    void ActiveTextEdit(QMouseEvent* event);
    void CommitText();
    // The editor's style at the board's size, in the board's colour.
    void StyleTextEdit();
    // Whether the board event filter acts on an event of watched.
    bool FiltersInput(QObject* watched) const;
    // Moves the text picked up to where it was dragged and announces it.
    void FinishTextMove();
    // Puts the highlighted shape (a whole stroke) to the redo stack and
    // announces it.
    void EraseHighlighted();
    // Highlight of the eraser's shape; a change repaints.
    void ShapeHighlightById(const QString& shapeId);
    void UnShapeHighlight(const QString& shapeId);
    // The shapes of the shown board as copies, bottom first, for tests of
    // what the mouse points at.
    QVector<const Shape*> ShownShapes();
    // Draws the highlighted shapes and the text being moved over the board.
    void PaintOverlay(QPainter& painter);

    QColor m_penColor { 236, 38, 41 };
    QColor m_fillColor { Qt::transparent };
    QString m_colorName { QStringLiteral("#EC2629") };
    int m_thickness = 3;
    int m_fontSize = 18;
    double m_zoom = 1.0;
    QPointF m_panA;
    QPointF m_panB;
    QTimer* m_laserNotifyTimer = nullptr;
    QTimer* m_laserHideTimer = nullptr;
    int m_vShapeType = 0;
    QWidget* m_canvas = nullptr;
    QPushButton* m_laserImage = nullptr;
    TextEdit* m_textEdit = nullptr;
    QPoint m_textAnchor;
    QPoint m_vPoint4LasterPoint;
    QPoint m_lastLaserPoint;

    // The shape being drawn, bottom first (a stroke's start marker and its
    // segments), owned here until release; the board it was started on.
    QVector<Shape*> m_live;
    QString m_liveBoard;
    bool m_pressed = false;
    bool m_strokeOpen = false;
    // The eraser's shape.
    QString m_highlightedId;
    // The text under the mouse, where it was picked, whether it shows
    // highlighted, and while the button is held, where it is dragged to.
    QString m_grabbedId;
    QPoint m_grabOffset;
    bool m_textHighlighted = false;
    bool m_textMovePending = false;
    bool m_dragging = false;
    QPoint m_dragAt;

    // Painting. m_mirror holds copies of the shown board's stack, taken
    // under the board lock: when the board only grew at its top (a shape
    // drawn here or received, a redo), just the new entries are copied;
    // after any other change all of them. The shapes live in m_cache,
    // drawn for m_cacheKey from the mirror's first m_cacheEntries entries
    // (board version m_cacheVersion); a paint draws the entries the picture
    // lacks, or all of them for another size, board or zoom, with no lock
    // held, then shows the picture with the shape being drawn and the
    // highlights over it.
    struct Mirror {
        QString board;
        BoardVersion version;
        bool valid = false;
        std::vector<std::unique_ptr<Shape>> entries;
    };
    // Brings m_mirror up to the board's stack; true when it was copied
    // whole.
    bool SyncMirror(BoardModel* model, const QString& board);
    Mirror m_mirror;

    struct CacheKey {
        QString board;
        QSize size;
        QSize canvas;
        qreal ratio = 0.0;
        double zoom = 0.0;
        QPointF pan;
        QString dragged; // a text being moved is drawn over the picture
        bool operator==(const CacheKey& other) const
        {
            return board == other.board && size == other.size && canvas == other.canvas && ratio == other.ratio
                && zoom == other.zoom && pan == other.pan && dragged == other.dragged;
        }
    };
    CacheKey CurrentCacheKey(const QString& board) const;
    // Brings m_cache up to the board's version.
    void UpdateCache(BoardModel* model, const QString& board);
    // Whether the picture shown no longer matches the shown board: the
    // room's changes of other boards leave the picture alone.
    bool ShownBoardChanged() const;
    void RepaintIfShownChanged();

    QImage m_cache;
    CacheKey m_cacheKey;
    BoardVersion m_cacheVersion;
    int m_cacheEntries = 0;
};
