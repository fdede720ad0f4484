#include "WhiteBoardWidget.h"

#include "BoardModel.h"
#include "Shape.h"
#include "TextEdit.h"
#include "app/Nexus.h"
#include "app/SharedFunctions.h"
#include "room/MenuBar.h"
#include "session/DataManager.h"
#include "whiteboard/PaletteWidget.h"

#include <QDebug>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>
#include <cmath>
#include <limits>
#include <memory>
#include <vector>

namespace {
constexpr int kWhiteboardRight = 128;
constexpr int kLocal = 1;

int Clamped(qint64 value)
{
    return int(qBound<qint64>(std::numeric_limits<int>::min(), value, std::numeric_limits<int>::max()));
}
} // namespace

WhiteBoardWidget::WhiteBoardWidget(QWidget* parent)
    : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setMouseTracking(true);
    installEventFilter(this);
    setCursor(Qt::ArrowCursor);

    m_textEdit = new TextEdit(this);
    m_textEdit->setObjectName(QStringLiteral("PainterTextEdit"));
    m_textEdit->setStyleSheet(QStringLiteral(
        "#PainterTextEdit{border-style:dashed;border-width:2px;border-color:rgb(127,127,172);font:18px Microsoft "
        "YaHei;color:#aaaaaa;margin:0px;padding:0px;color:#000000;}"));
    m_textEdit->resize(90, 35);
    m_textEdit->hide();
    m_textEdit->SetFontColor(m_colorName);
    // A size or colour picked while typing shows at once, at the board's
    // size; the size is the one new texts get.
    connect(m_textEdit, &TextEdit::FontSizeChange, this, [this](int size) {
        SetFontSize(size);
        if (m_textEdit->isVisible())
            StyleTextEdit();
    });
    connect(m_textEdit, &TextEdit::ColorChange, this, [this] {
        if (m_textEdit->isVisible())
            StyleTextEdit();
    });

    m_laserImage = new QPushButton(this);
    m_laserImage->setFixedSize(20, 20);
    m_laserImage->setFocusPolicy(Qt::NoFocus);
    m_laserImage->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_laserImage->setStyleSheet(
        QStringLiteral("QPushButton{image: url(:resource/whiteboard/%1/lasterpoint.png);border:0px;}")
            .arg(Nexus::GetScaleFolder()));
    m_laserImage->hide();

    m_laserNotifyTimer = new QTimer(this);
    connect(m_laserNotifyTimer, &QTimer::timeout, this, &WhiteBoardWidget::NotifyLaserPointPos);
    m_laserHideTimer = new QTimer(this);
    m_laserHideTimer->setSingleShot(true);
    connect(m_laserHideTimer, &QTimer::timeout, this, &WhiteBoardWidget::HideLaserPointPos);

    // Automatic connections: the session thread's emissions arrive queued.
    connect(this, &WhiteBoardWidget::RemoteUpdate, this, &WhiteBoardWidget::OnRemoteUpdate);
    connect(this, &WhiteBoardWidget::RemoteUndo, this, &WhiteBoardWidget::OnRemoteUndo);
    connect(this, &WhiteBoardWidget::RemoteRedo, this, &WhiteBoardWidget::OnRemoteRedo);
    connect(this, &WhiteBoardWidget::RemoteReset, this, &WhiteBoardWidget::OnRemoteReset);
    connect(this, &WhiteBoardWidget::RemoteLaserPoint, this, &WhiteBoardWidget::OnRemoteLaserPoint);
    connect(this, &WhiteBoardWidget::ShapeEraserById, this, &WhiteBoardWidget::OnShapeEraserById);
    connect(this, &WhiteBoardWidget::ShiftPosNotify, this, &WhiteBoardWidget::OnShiftPosNotify);
    connect(this, &WhiteBoardWidget::ScaleChanged, this, &WhiteBoardWidget::OnScaleChanged);
}

WhiteBoardWidget::~WhiteBoardWidget()
{
    qDeleteAll(m_live);
}

// ---- the session's model

DataManager* WhiteBoardWidget::Session()
{
    return Nexus::GetDataManager();
}

BoardModel* WhiteBoardWidget::Model()
{
    DataManager* session = Session();
    return session ? session->GetBoardModel() : nullptr;
}

bool WhiteBoardWidget::HasWhiteboardRight()
{
    DataManager* session = Session();
    return session && (session->GetPermission() & kWhiteboardRight);
}

bool WhiteBoardWidget::PaletteZooms()
{
    const PaletteWidget* palette = Nexus::GetPaletteWidget();
    return palette && (palette->GetCurrentShape() == 7 || palette->GetCurrentShape() == 8);
}

QString WhiteBoardWidget::GetCurrWhiteboardId() const
{
    const BoardModel* model = Model();
    return model ? model->GetCurrentBoard() : QString();
}

void WhiteBoardWidget::SetCurrWhiteboardId(const QString& whiteboardId)
{
    BoardModel* model = Model();
    if (!model) {
        qDebug() << "into WhiteBoardWidget::SetCurrWhiteboardId, no session and the id is dropped:" << whiteboardId;
        return;
    }
    model->SetCurrentBoard(whiteboardId);
    update();
}

QString WhiteBoardWidget::BoardOrCurrent(const QString& whiteboardId) const
{
    return whiteboardId.isEmpty() ? GetCurrWhiteboardId() : whiteboardId;
}

void WhiteBoardWidget::SetColorName(const QString& name)
{
    m_colorName = name;
    if (BoardModel* model = Model())
        model->SetColorName(name);
}

void WhiteBoardWidget::SetFontSize(int size)
{
    m_fontSize = size;
    if (BoardModel* model = Model())
        model->SetFontSize(size);
}

// ---- tools

void WhiteBoardWidget::SetShapeType(int type)
{
    SelectTool(type);
}

void WhiteBoardWidget::SelectTool(int type)
{
    if (type == m_vShapeType)
        return;
    LeaveShapeMode(m_vShapeType);
    m_vShapeType = type;
    emit ShapeTypeChanged(type);
    EnterShapeMode(type);
}

void WhiteBoardWidget::LeaveShapeMode(int type)
{
    // What the mouse pointed at with the old tool is let go.
    m_grabbedId.clear();
    m_textHighlighted = false;
    if (type == 4) {
        m_textEdit->hide();
        setCursor(Qt::ArrowCursor);
    } else if (type == 5) {
        UnShapeHighlight(m_highlightedId);
        setCursor(Qt::ArrowCursor);
    } else if (type == 6) {
        StopLasterPointTimer();
    }
}

void WhiteBoardWidget::EnterShapeMode(int type)
{
    if (type < 4 || type > 8) {
        if (cursor().shape() != Qt::ArrowCursor)
            setCursor(Qt::ArrowCursor);
    } else if (type == 4) {
        setCursor(Qt::IBeamCursor);
    } else if (type == 5) {
        const QPixmap eraser(QStringLiteral(":/resource/whiteboard/x1/eraser.png"));
        setCursor(eraser.isNull() ? QCursor(Qt::CrossCursor) : QCursor(eraser));
    } else if (type == 7 || type == 8) {
        if (cursor().shape() != Qt::OpenHandCursor)
            setCursor(Qt::OpenHandCursor);
    }
}

void WhiteBoardWidget::SetColor(QColor color)
{
    m_penColor = color;
}

// ---- drawing

QPoint WhiteBoardWidget::MapToBoard(int x, int y, double zoom) const
{
    const int w = m_canvas ? m_canvas->width() : 0;
    const int h = m_canvas ? m_canvas->height() : 0;
    if (w <= 0 || h <= 0)
        return QPoint(x, y);
    if (zoom == 1.0)
        return QPoint(Clamped(qint64(x) * 800 / w), Clamped(qint64(y) * 600 / h));
    if (!(zoom > 0.0))
        return QPoint(x, y);
    const QPointF pan = m_panA + m_panB;
    const double bx = std::trunc((x - pan.x()) * 800 / (w * zoom));
    const double by = std::trunc((y - pan.y()) * 600 / (h * zoom));
    return QPoint(Clamped(qint64(qBound(-1e9, bx, 1e9))), Clamped(qint64(qBound(-1e9, by, 1e9))));
}

void WhiteBoardWidget::mousePressEvent(QMouseEvent* event)
{
    qDebug() << "into mousePressEvent";
    if (MenuBar* menu = Nexus::GetMenuBar())
        menu->HidePopUpWidget();
    if (!m_grabbedId.isEmpty()) // the press picks the text up
        return;
    if (PaletteZooms()) {
        event->ignore();
        return;
    }
    if (GetCurrWhiteboardId().isEmpty() || m_vShapeType == 0) {
        qDebug() << "into WhiteBoardWidget::mousePressEvent, and m_CurrWhiteboardId is empty or shapeType is null.";
        return;
    }
    if (m_vShapeType == 6 || !HasWhiteboardRight())
        return;
    if (m_vShapeType == 5) {
        EraseHighlighted();
        return;
    }
    if (m_vShapeType >= 1 && m_vShapeType <= 3)
        StartShape(event->pos());
}

void WhiteBoardWidget::StartShape(const QPoint& position)
{
    DiscardLive();
    const QString board = GetCurrWhiteboardId();
    const QString shapeId = CreateUuidString();
    const ShapeStyle style { m_penColor, m_fillColor, m_thickness };
    auto prepare = [&](Shape* shape) {
        shape->m_shapeId = shapeId;
        shape->m_whiteboardId = board;
        shape->m_canvas = m_canvas;
        shape->m_colorName = m_colorName;
        shape->SetStyle(style);
        return shape;
    };
    if (m_vShapeType == 3)
        m_live << prepare(new Pen());
    Shape* shape = prepare(m_vShapeType == 1 ? static_cast<Shape*>(new Rectangel()) : new Line());
    const QPoint at = MapToBoard(position.x(), position.y(), m_zoom);
    shape->SetPoints(at.x(), at.y(), at.x(), at.y() + 1, false);
    m_live << shape;
    m_liveBoard = board;
    m_pressed = true;
    m_strokeOpen = m_vShapeType == 3;
    update();
}

void WhiteBoardWidget::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_grabbedId.isEmpty())
        return;
    if (PaletteZooms()) {
        event->ignore();
        return;
    }
    if (m_live.isEmpty() && m_vShapeType != 5 && m_vShapeType != 6)
        return;
    if (!HasWhiteboardRight() || m_textEdit->isVisible() || m_vShapeType == 4)
        return;
    if (m_vShapeType == 5) {
        OnShapeHighlight(MapToBoard(event->pos().x(), event->pos().y(), 1.0));
        return;
    }
    if (m_vShapeType == 6) {
        m_vPoint4LasterPoint = MapToBoard(event->pos().x(), event->pos().y(), 1.0);
        return;
    }
    Shape* current = m_live.last();
    const QPoint at = MapToBoard(event->pos().x(), event->pos().y(), m_zoom);
    const QPoint start = current->GetStartPoint();
    current->SetPoints(start.x(), start.y(), at.x(), at.y(), false);
    if (m_strokeOpen) {
        // Every move closes the segment in progress at the cursor and
        // opens a new one there.
        Shape* segment = new Line();
        segment->m_shapeId = current->m_shapeId;
        segment->m_whiteboardId = current->m_whiteboardId;
        segment->m_canvas = m_canvas;
        segment->m_colorName = current->m_colorName;
        segment->SetStyle({ current->m_penColor, current->m_fillColor, current->m_thickness });
        segment->SetPoints(at.x(), at.y(), at.x(), at.y(), false);
        m_live << segment;
    }
    update();
}

bool WhiteBoardWidget::IsClickOnly() const
{
    if (m_strokeOpen) // the start marker and a single segment
        return m_live.size() <= 2;
    const Shape* shape = m_live.last();
    return std::abs(qint64(shape->m_endX) - shape->m_startX) <= 1
        && std::abs(qint64(shape->m_endY) - shape->m_startY) <= 1;
}

void WhiteBoardWidget::mouseReleaseEvent(QMouseEvent* event)
{
    Q_UNUSED(event)
    m_pressed = false;
    if (m_textMovePending && !m_grabbedId.isEmpty()) {
        FinishTextMove();
        return;
    }
    m_textMovePending = false;
    if (PaletteZooms() || m_live.isEmpty())
        return;
    const int tool = m_strokeOpen ? 3 : m_live.last()->GetType();
    if (IsClickOnly() || !HasWhiteboardRight()) {
        DiscardLive();
        return;
    }
    BoardModel* model = Model();
    DataManager* session = Session();
    if (!model || !session) {
        DiscardLive();
        return;
    }
    if (m_strokeOpen) {
        Shape* end = new Pen();
        end->m_shapeId = m_live.first()->m_shapeId;
        end->m_whiteboardId = m_liveBoard;
        end->m_canvas = m_canvas;
        m_live << end;
    }
    // The stack takes the shape over, and its message is queued in the same
    // locked step; the request is emitted after the lock is gone.
    model->LocalAppend(m_liveBoard, m_live, m_colorName, m_fontSize);
    m_live.clear();
    m_liveBoard.clear();
    m_strokeOpen = false;
    update();
    emit session->LocalNewShape(tool);
}

void WhiteBoardWidget::DiscardLive()
{
    const bool had = !m_live.isEmpty();
    qDeleteAll(m_live);
    m_live.clear();
    m_liveBoard.clear();
    m_strokeOpen = false;
    if (had)
        update();
}

WhiteBoardWidget::CacheKey WhiteBoardWidget::CurrentCacheKey(const QString& board) const
{
    return { board, size(), m_canvas ? m_canvas->size() : QSize(), devicePixelRatioF(), m_zoom, m_panA + m_panB,
        m_dragging ? m_grabbedId : QString() };
}

bool WhiteBoardWidget::ShownBoardChanged() const
{
    BoardModel* model = Model();
    const QString board = GetCurrWhiteboardId();
    if (!model || board.isEmpty())
        return false;
    if (m_cache.isNull() || m_cacheKey.board != board)
        return true;
    return !(model->Lock().Version(board) == m_cacheVersion);
}

void WhiteBoardWidget::RepaintIfShownChanged()
{
    if (ShownBoardChanged())
        update();
}

bool WhiteBoardWidget::SyncMirror(BoardModel* model, const QString& board)
{
    BoardModel::Guard guard = model->Lock();
    const BoardVersion version = guard.Version(board);
    bool whole = !m_mirror.valid || m_mirror.board != board || version.redraw != m_mirror.version.redraw;
    if (!whole && version.revision == m_mirror.version.revision)
        return false;
    const ShapeStack* stack = guard.Stack(board);
    const size_t count = stack ? size_t(stack->size()) : 0;
    whole = whole || count < m_mirror.entries.size();
    if (whole)
        m_mirror.entries.clear();
    m_mirror.entries.reserve(count);
    for (size_t i = m_mirror.entries.size(); i < count; ++i) {
        Shape* copy = stack->at(int(i))->Clone();
        // Shapes that arrived before the page view existed scale with it
        // all the same.
        if (!copy->m_canvas)
            copy->m_canvas = m_canvas;
        m_mirror.entries.emplace_back(copy);
    }
    m_mirror.board = board;
    m_mirror.version = version;
    m_mirror.valid = true;
    return whole;
}

QVector<const Shape*> WhiteBoardWidget::ShownShapes()
{
    QVector<const Shape*> shapes;
    BoardModel* model = Model();
    const QString board = GetCurrWhiteboardId();
    if (!model || board.isEmpty())
        return shapes;
    SyncMirror(model, board);
    shapes.reserve(int(m_mirror.entries.size()));
    for (const auto& shape : m_mirror.entries) {
        if (shape->m_whiteboardId == board)
            shapes << shape.get();
    }
    return shapes;
}

void WhiteBoardWidget::UpdateCache(BoardModel* model, const QString& board)
{
    const CacheKey key = CurrentCacheKey(board);
    const bool copiedWhole = SyncMirror(model, board);
    const size_t count = m_mirror.entries.size();
    const bool whole = copiedWhole || m_cache.isNull() || !(key == m_cacheKey) || size_t(m_cacheEntries) > count;
    if (!whole && size_t(m_cacheEntries) == count)
        return;
    if (whole) {
        const qreal ratio = key.ratio;
        m_cache = QImage(size() * ratio, QImage::Format_ARGB32_Premultiplied);
        m_cache.setDevicePixelRatio(ratio);
        m_cache.fill(Qt::transparent);
        m_cacheKey = key;
        m_cacheEntries = 0;
    }
    QPainter painter(&m_cache);
    painter.translate(key.pan);
    painter.scale(m_zoom, m_zoom);
    for (size_t i = size_t(m_cacheEntries); i < count; ++i) {
        Shape* shape = m_mirror.entries.at(i).get();
        if (shape->m_whiteboardId == board && (key.dragged.isEmpty() || shape->m_shapeId != key.dragged))
            shape->Draw(&painter, m_zoom);
    }
    m_cacheEntries = int(count);
    m_cacheVersion = m_mirror.version;
}

void WhiteBoardWidget::paintEvent(QPaintEvent* event)
{
    Q_UNUSED(event)
    BoardModel* model = Model();
    const QString board = GetCurrWhiteboardId();
    if (!model || board.isEmpty())
        return;
    UpdateCache(model, board);
    QPainter painter(this);
    painter.drawImage(QPoint(), m_cache);
    painter.translate(m_cacheKey.pan);
    painter.scale(m_zoom, m_zoom);
    if (m_liveBoard == board) {
        for (Shape* shape : m_live)
            shape->Draw(&painter, m_zoom);
    }
    PaintOverlay(painter);
}

// ---- stack operations

void WhiteBoardWidget::Undo(QString whiteboardId, int msgType)
{
    StackAction(1, whiteboardId, msgType);
}

void WhiteBoardWidget::Redo(QString whiteboardId, int msgType)
{
    StackAction(2, whiteboardId, msgType);
}

void WhiteBoardWidget::Reset(QString whiteboardId, int msgType)
{
    StackAction(3, whiteboardId, msgType);
}

void WhiteBoardWidget::StackAction(int action, const QString& whiteboardId, int msgType)
{
    static const char* const kEntered[]
        = { "into Undo, and shapeId:", "into WhiteBoardWidget Redo, and shapeId:", "into Reset, and whiteboardId:" };
    static const char* const kNothing[]
        = { "in Undo and _pStack is empty", "in Redo and _pRedoStack is empty", "in Reset and _pStack is empty" };
    if (msgType == kLocal && !HasWhiteboardRight())
        return;
    // The user's own undo and redo take the board shown; a clear and the
    // room's changes the board named.
    const QString board = msgType == kLocal && action != 3 ? GetCurrWhiteboardId() : BoardOrCurrent(whiteboardId);
    qDebug() << kEntered[action - 1] << whiteboardId << ",m_CurrWhiteboardId:" << board;
    BoardModel* model = Model();
    if (!model || board.isEmpty())
        return;
    int moved = 0;
    if (msgType == kLocal) {
        moved = action == 1 ? model->LocalUndo(board)
            : action == 2   ? model->LocalRedo(board)
                            : model->LocalReset(board);
    } else {
        BoardModel::Guard guard = model->Lock();
        moved = action == 1 ? guard.Undo(board) : action == 2 ? guard.Redo(board) : guard.Reset(board);
    }
    if (moved == 0) {
        qDebug() << kNothing[action - 1];
        return;
    }
    RepaintIfShownChanged();
    if (msgType == kLocal)
        emit Session()->LocalRedoUndoAction(action);
}

void WhiteBoardWidget::OnShapeEraserById(QString shapeId)
{
    const QString board = GetCurrWhiteboardId();
    qDebug() << "into OnShapeEraserById, and shapeId:" << shapeId << ",m_CurrWhiteboardId:" << board;
    BoardModel* model = Model();
    if (!model || board.isEmpty() || !HasWhiteboardRight())
        return;
    if (model->LocalErase(board, shapeId) == 0) {
        qDebug() << "in OnShapeEraserById and _pStack is empty";
        return;
    }
    update();
    emit Session()->LocalShapeEraser(shapeId);
}

// ---- remote changes: the session thread changed the model already

void WhiteBoardWidget::OnRemoteUpdate()
{
    RepaintIfShownChanged();
}

void WhiteBoardWidget::OnRemoteUndo(QString whiteboardId)
{
    Q_UNUSED(whiteboardId)
    RepaintIfShownChanged();
}

void WhiteBoardWidget::OnRemoteRedo(QString whiteboardId)
{
    Q_UNUSED(whiteboardId)
    RepaintIfShownChanged();
}

void WhiteBoardWidget::OnRemoteReset(QString whiteboardId)
{
    Q_UNUSED(whiteboardId)
    RepaintIfShownChanged();
}

void WhiteBoardWidget::OnScaleChanged(double zoom)
{
    m_zoom = zoom;
    if (zoom == 1.0) {
        m_panA = QPointF();
        m_panB = QPointF();
    }
    update();
}

void WhiteBoardWidget::OnShiftPosNotify(QPointF first, QPointF second)
{
    m_panA = first;
    m_panB = second;
}

void WhiteBoardWidget::OnCleanUp()
{
    DiscardLive();
    m_pressed = false;
    m_highlightedId.clear();
    m_grabbedId.clear();
    m_textHighlighted = false;
    m_textMovePending = false;
    m_dragging = false;
    m_textEdit->hide();
    m_textEdit->clear();
    m_textAnchor = QPoint();
    if (BoardModel* model = Model())
        model->SetCurrentBoard(QString());
    StopLasterPointTimer();
    m_laserHideTimer->stop();
    m_vPoint4LasterPoint = QPoint();
    m_lastLaserPoint = QPoint();
    m_mirror = Mirror();
    m_cache = QImage();
    m_cacheVersion = BoardVersion();
    m_cacheEntries = 0;
    update();
}
