#include "ChatLog.h"

#include "ChatDialogs.h"
#include "ChatLineContent.h"
#include "Image.h"
#include "Spinner.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDebug>
#include <QFile>
#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QMouseEvent>
#include <QScrollBar>
#include <QShortcut>
#include <QStandardPaths>
#include <algorithm>

namespace {
constexpr double kMarginLeft = 10;
constexpr double kMarginTop = 10;
constexpr double kMarginRight = 10;
constexpr double kMarginBottom = 10;
constexpr double kLineSpacing = 5;
constexpr int kRelayoutStep = 50;
constexpr int kBusySceneCharacters = 500000;
// Sent pictures remembered before their row hears of its upload.
constexpr int kMaxSentPictures = 1000;

// The picture and the spinner of a two-item picture row, in either order.
struct PictureCells {
    Image* picture = nullptr;
    ChatLineContent* partner = nullptr;
};

PictureCells PictureCellsOf(const ChatLine& line)
{
    PictureCells cells;
    if (line.itemCount() != 2)
        return cells;
    if (auto* first = qobject_cast<Image*>(line.item(0))) {
        cells.picture = first;
        cells.partner = line.item(1);
    } else if (auto* second = qobject_cast<Image*>(line.item(1))) {
        cells.picture = second;
        cells.partner = line.item(0);
    }
    return cells;
}

void FinishSpinner(ChatLineContent* item, int state)
{
    if (auto* spinner = qobject_cast<Spinner*>(item))
        spinner->setState(state);
}
} // namespace

ChatLog::ChatLog(QWidget* parent)
    : QGraphicsView(parent)
{
    setCursor(Qt::ArrowCursor);
    m_busyScene = new QGraphicsScene(this);
    m_scene = new QGraphicsScene(this);
    m_scene->setItemIndexMethod(QGraphicsScene::NoIndex);
    setScene(m_scene);
    setInteractive(true);
    setAcceptDrops(false);
    setAlignment(Qt::AlignTop | Qt::AlignLeft);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setDragMode(QGraphicsView::NoDrag);
    setViewportUpdateMode(QGraphicsView::MinimalViewportUpdate);
    // The actions are the whole menu: copy (while a selection exists) and
    // export.
    setContextMenuPolicy(Qt::ActionsContextMenu);
    setBackgroundBrush(QColor(QStringLiteral("#FAFBFC")));

    m_selectionColor = QColor::fromRgbF(0.23, 0.68, 0.91).lighter(150);
    m_selectionBox = new QGraphicsRectItem();
    m_selectionBox->setPen(m_selectionColor.darker(120));
    m_selectionBox->setBrush(m_selectionColor);
    m_selectionBox->setZValue(-1);
    m_selectionBox->hide();
    m_scene->addItem(m_selectionBox);

    m_copyAction = new QAction(QIcon::fromTheme(QStringLiteral("edit-copy")), QString(), this);
    m_copyAction->setShortcut(QKeySequence::Copy);
    m_copyAction->setEnabled(false);
    connect(m_copyAction, &QAction::triggered, this, [this] { copySelection(false); });
    addAction(m_copyAction);

    m_exportAction = new QAction(QIcon::fromTheme(QStringLiteral("export-log")), QString(), this);
    connect(m_exportAction, &QAction::triggered, this, &ChatLog::exportAll);
    addAction(m_exportAction);

    m_copyShortcut = new QShortcut(QKeySequence(Qt::CTRL + Qt::Key_Insert), this);
    connect(m_copyShortcut, &QShortcut::activated, this, [this] { copySelection(false); });

    m_selectAllAction = new QAction(QIcon::fromTheme(QStringLiteral("edit-select-all")), QString(), this);
    connect(m_selectAllAction, &QAction::triggered, this, &ChatLog::selectAllRows);

    m_selectionTimer.setInterval(33);
    connect(&m_selectionTimer, &QTimer::timeout, this, &ChatLog::onSelectionTimerTimeout);
    m_selectionTimer.start();
    m_relayoutTimer.setInterval(5);
    connect(&m_relayoutTimer, &QTimer::timeout, this, &ChatLog::onWorkerTimeout);

    connect(this, &ChatLog::selectionChanged, this, [this] {
        if (m_selectionMode == 0)
            return;
        m_copyAction->setEnabled(true);
        const QString text = selectedText();
        if (!text.isNull() && QApplication::clipboard())
            QApplication::clipboard()->setText(text, QClipboard::Selection);
        m_copyAction->setVisible(true);
    });
    retranslateUi();
}

ChatLog::~ChatLog()
{
    for (const ChatLine::Ptr& line : m_lines)
        line->detachFromScene();
}

void ChatLog::retranslateUi()
{
    m_copyAction->setText(QStringLiteral("复制"));
    m_exportAction->setText(QStringLiteral("导出全部消息"));
    m_selectAllAction->setText(tr("Select all"));
}

double ChatLog::lineWidth() const
{
    return width() - verticalScrollBar()->sizeHint().width() - kMarginLeft - kMarginRight;
}

bool ChatLog::isAtBottom() const
{
    return verticalScrollBar()->value() == verticalScrollBar()->maximum();
}

void ChatLog::appendLine(const ChatLine::Ptr& line)
{
    if (!line)
        return;
    const bool stick = isAtBottom();
    line->setRow(int(m_lines.size()));
    line->attachTo(m_scene);
    m_lines.push_back(line);
    // While a stepwise relayout runs it lays the new row out in its turn.
    if (!m_relayoutTimer.isActive())
        relayout(line->row(), int(m_lines.size()), lineWidth());
    updateSceneRect();
    if (stick)
        scrollToBottom();
    updateOnScreenLines();
}

void ChatLog::clearLog()
{
    // Waits for pictures of the rows dropped end with them.
    ++m_generation;
    m_sentPictures.clear();
    dropSelection();
    for (const ChatLine::Ptr& line : m_lines)
        line->detachFromScene();
    m_lines.clear();
    m_onScreenLines.clear();
    m_relayoutAnchor.reset();
    updateSceneRect();
}

void ChatLog::relayout(int first, int last, double width)
{
    m_layoutWidth = width;
    if (m_lines.empty())
        return;
    const int count = int(m_lines.size());
    first = qBound(0, first, count);
    double y = 0;
    if (first > 0)
        y = m_lines.at(first - 1)->bounds().bottom() + kLineSpacing;
    const int end = qMin(last + 1, count);
    for (int i = first; i < end; ++i) {
        ChatLine* line = m_lines.at(i).get();
        line->layoutAt(width, QPointF(0, y));
        y += line->bounds().height() + kLineSpacing;
    }
}

QRectF ChatLog::sceneRectForLines() const
{
    const double bottom = m_lines.empty() ? 0 : m_lines.back()->bounds().bottom();
    return QRectF(-kMarginLeft, -kMarginTop,
        width() - verticalScrollBar()->sizeHint().width() - kMarginRight - kMarginLeft,
        kMarginBottom + bottom + kMarginTop);
}

void ChatLog::updateSceneRect()
{
    setSceneRect(sceneRectForLines());
}

void ChatLog::scrollToBottom()
{
    updateSceneRect();
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

void ChatLog::scrollContentsBy(int dx, int dy)
{
    QGraphicsView::scrollContentsBy(dx, dy);
    updateOnScreenLines();
}

void ChatLog::updateOnScreenLines()
{
    if (m_lines.empty() || m_relayoutTimer.isActive())
        return;
    const QRect visible = mapToScene(viewport()->rect()).boundingRect().toRect();
    const auto firstIt = std::lower_bound(m_lines.begin(), m_lines.end(), visible.top(),
        [](const ChatLine::Ptr& line, int top) { return line->bounds().bottom() < top; });
    const auto lastIt = std::lower_bound(firstIt, m_lines.end(), visible.bottom(),
        [](const ChatLine::Ptr& line, int bottom) { return line->bounds().top() < bottom; });
    QList<ChatLine::Ptr> range;
    for (auto it = firstIt; it != lastIt; ++it)
        range.append(*it);
    const int firstRow = firstIt == m_lines.end() ? int(m_lines.size()) : (*firstIt)->row();
    const int endRow = lastIt == m_lines.end() ? int(m_lines.size()) : (*lastIt)->row();
    for (const ChatLine::Ptr& line : qAsConst(m_onScreenLines)) {
        if (line->row() < firstRow || line->row() >= endRow)
            line->setOnScreen(false);
    }
    for (const ChatLine::Ptr& line : qAsConst(range))
        line->setOnScreen(true);
    m_onScreenLines = range;
}

void ChatLog::forceRelayout()
{
    startRelayout();
}

void ChatLog::startRelayout()
{
    if (m_lines.empty())
        return;
    if (!m_relayoutTimer.isActive()) {
        m_relayoutStickToBottom = isAtBottom();
        m_relayoutAnchor = m_onScreenLines.isEmpty() ? ChatLine::Ptr() : m_onScreenLines.first();
    }
    qint64 characters = 0;
    for (const ChatLine::Ptr& line : m_lines) {
        for (int column = 0; column < line->itemCount(); ++column)
            characters += line->item(column)->plainText().size();
        if (characters > kBusySceneCharacters)
            break;
    }
    if (characters > kBusySceneCharacters)
        setScene(m_busyScene);
    m_relayoutNext = 0;
    m_relayoutTimer.start();
    verticalScrollBar()->hide();
}

void ChatLog::onWorkerTimeout()
{
    relayout(m_relayoutNext, m_relayoutNext + kRelayoutStep, lineWidth());
    m_relayoutNext += kRelayoutStep;
    if (m_relayoutNext < int(m_lines.size()))
        return;
    m_relayoutTimer.stop();
    setScene(m_scene);
    updateSceneRect();
    updateOnScreenLines();
    updateSelectionBox();
    if (m_relayoutStickToBottom)
        scrollToBottom();
    else if (m_relayoutAnchor)
        scrollToLine(m_relayoutAnchor);
    m_relayoutAnchor.reset();
    verticalScrollBar()->show();
    emit workerTimeoutFinished();
}

void ChatLog::scrollToLine(const ChatLine::Ptr& line)
{
    if (!line)
        return;
    updateSceneRect();
    verticalScrollBar()->setValue(int(line->bounds().top()));
}

void ChatLog::resizeEvent(QResizeEvent* event)
{
    // The viewport also resizes when the scroll bar shows or hides; rows
    // are laid out against the widget's width, so only that counts.
    bool stick = isAtBottom();
    if (!qFuzzyCompare(lineWidth(), m_layoutWidth)) {
        startRelayout();
        stick = false;
    }
    QGraphicsView::resizeEvent(event);
    if (stick)
        scrollToBottom();
}

ChatLineContent* ChatLog::itemAtGlobalPos(const QPoint& globalPos) const
{
    return itemAtScenePos(mapToScene(mapFromGlobal(globalPos)));
}

ChatLineContent* ChatLog::itemAtScenePos(QPointF scenePos) const
{
    if (m_lines.empty())
        return nullptr;
    const auto it = std::lower_bound(m_lines.begin(), m_lines.end(), scenePos.y(),
        [](const ChatLine::Ptr& line, double y) { return line->bounds().bottom() < y; });
    if (it == m_lines.end() || !(*it)->bounds().contains(scenePos))
        return nullptr;
    return (*it)->itemAt(scenePos);
}

void ChatLog::mousePressEvent(QMouseEvent* event)
{
    QGraphicsView::mousePressEvent(event);
    if (event->button() == Qt::LeftButton) {
        m_pressPos = event->pos();
        dropSelection();
    }
    if (event->button() == Qt::RightButton && m_selectionMode == 0) {
        m_copyAction->setVisible(false);
        event->accept();
    }
}

void ChatLog::mouseMoveEvent(QMouseEvent* event)
{
    QGraphicsView::mouseMoveEvent(event);
    if (!(event->buttons() & Qt::LeftButton))
        return;
    if (event->pos().y() < 0)
        m_scrollDirection = 1;
    else if (event->pos().y() > height())
        m_scrollDirection = 2;
    else
        m_scrollDirection = 0;

    const QPointF scenePos = mapToScene(event->pos());
    if (m_selectionMode == 0) {
        if ((m_pressPos - event->pos()).manhattanLength() > QApplication::startDragDistance()) {
            const QPointF pressScenePos = mapToScene(m_pressPos.toPoint());
            if (ChatLineContent* item = itemAtScenePos(pressScenePos)) {
                m_clickedRow = m_firstRow = m_lastRow = item->getRow();
                m_clickedColumn = item->getColumn();
                item->beginSelectionAt(pressScenePos);
                m_selectionMode = 1;
                if (QGraphicsItem* grabber = m_scene->mouseGrabberItem())
                    grabber->ungrabMouse();
            }
        }
        if (m_selectionMode == 0) {
            emit selectionChanged();
            return;
        }
    }
    ChatLineContent* item = itemAtScenePos(scenePos);
    if (!item)
        return;
    if (item->getRow() == m_clickedRow && item->getColumn() == m_clickedColumn) {
        m_selectionMode = 1;
        item->extendSelectionTo(scenePos);
        m_selectionBox->hide();
    } else if (item->getRow() != m_clickedRow && m_selectionMode == 1) {
        // The text selection stays what is shown and copied; dragged past
        // its row it reaches to the text's end (below) or start (above).
        if (ChatLineContent* clicked = m_lines.at(m_clickedRow)->item(m_clickedColumn)) {
            const QRectF bounds = clicked->sceneBoundingRect();
            clicked->extendSelectionTo(item->getRow() > m_clickedRow ? bounds.bottomRight() - QPointF(1, 1)
                                                                     : bounds.topLeft() + QPointF(1, 1));
        }
    }
    if (item->getRow() < m_clickedRow) {
        m_firstRow = item->getRow();
    } else {
        m_lastRow = item->getRow();
        if (item->getRow() == m_clickedRow)
            m_firstRow = item->getRow();
    }
    updateSelectionBox();
    emit selectionChanged();
}

void ChatLog::mouseReleaseEvent(QMouseEvent* event)
{
    QGraphicsView::mouseReleaseEvent(event);
    m_scrollDirection = 0;
}

void ChatLog::mouseDoubleClickEvent(QMouseEvent* event)
{
    ChatLineContent* item = itemAtScenePos(mapToScene(event->pos()));
    if (!item)
        return;
    item->selectWordAt(QPointF(-1, -1));
    m_clickedRow = m_firstRow = m_lastRow = item->getRow();
    m_clickedColumn = item->getColumn();
    m_selectionMode = 1;
    emit selectionChanged();
}

void ChatLog::onSelectionTimerTimeout()
{
    if (m_scrollDirection == 1)
        verticalScrollBar()->setValue(verticalScrollBar()->value() - 10);
    else if (m_scrollDirection == 2)
        verticalScrollBar()->setValue(verticalScrollBar()->value() + 10);
}

void ChatLog::dropSelection()
{
    if (m_selectionMode == 0)
        return;
    const int count = int(m_lines.size());
    for (int row = qMax(0, m_firstRow); row <= m_lastRow && row < count; ++row)
        m_lines.at(row)->dropSelection();
    m_clickedRow = m_clickedColumn = m_firstRow = m_lastRow = -1;
    m_selectionMode = 0;
    emit selectionChanged();
    updateSelectionBox();
}

void ChatLog::selectAllRows()
{
    if (m_lines.empty())
        return;
    dropSelection();
    m_selectionMode = 2;
    m_firstRow = 0;
    m_lastRow = int(m_lines.size()) - 1;
    emit selectionChanged();
    updateSelectionBox();
}

QRectF ChatLog::selectionBoxRect() const
{
    return m_selectionBox->isVisible() ? m_selectionBox->rect() : QRectF();
}

void ChatLog::updateSelectionBox()
{
    const int count = int(m_lines.size());
    if (m_selectionMode == 2 && m_firstRow >= 0 && m_lastRow >= 0 && m_firstRow < count && m_lastRow < count) {
        const QRectF box = m_lines.at(m_firstRow)->bounds().united(m_lines.at(m_lastRow)->bounds());
        const QRectF old = m_selectionBox->rect();
        if (!qFuzzyCompare(box.x(), old.x()) || !qFuzzyCompare(box.y(), old.y())
            || !qFuzzyCompare(box.width(), old.width()) || !qFuzzyCompare(box.height(), old.height()))
            m_scene->invalidate(old, QGraphicsScene::AllLayers);
        m_selectionBox->setRect(box);
        m_selectionBox->show();
    } else {
        m_selectionBox->hide();
    }
}

QString ChatLog::selectedText() const
{
    const int count = int(m_lines.size());
    if (m_selectionMode == 1) {
        if (m_clickedRow < 0 || m_clickedRow >= count)
            return QString();
        ChatLineContent* item = m_lines.at(m_clickedRow)->item(m_clickedColumn);
        return item ? item->selectedText() : QString();
    }
    if (m_selectionMode != 2)
        return QString();
    QString result;
    for (int row = qMax(0, m_firstRow); row <= m_lastRow && row < count; ++row) {
        const ChatLine& line = *m_lines.at(row);
        if (line.itemCount() < 2 || line.item(1)->plainText().isEmpty())
            continue;
        const QString sender = line.item(0)->plainText();
        const QString message = line.item(1)->plainText();
        const QString time
            = line.itemCount() > 2 && !line.item(2)->plainText().isEmpty() ? line.item(2)->plainText() : tr("pending");
        const QString pattern = result.isNull() ? QStringLiteral("[%2] %1: %3") : QStringLiteral("\n[%2] %1: %3");
        result += pattern.arg(sender, time, message);
    }
    return result;
}

void ChatLog::copySelection(bool toSelection)
{
    const QString text = selectedText();
    if (text.isNull() || !QApplication::clipboard())
        return;
    QApplication::clipboard()->setText(text, toSelection ? QClipboard::Selection : QClipboard::Clipboard);
}

void ChatLog::setItemFont(const QFont& font)
{
    for (const ChatLine::Ptr& line : m_lines)
        line->setItemFont(font);
}

void ChatLog::focusInEvent(QFocusEvent* event)
{
    QGraphicsView::focusInEvent(event);
    if (m_selectionMode == 0)
        return;
    m_selectionBox->setBrush(m_selectionColor);
    for (int row = qMax(0, m_firstRow); row <= m_lastRow && row < int(m_lines.size()); ++row)
        m_lines.at(row)->setSelectionActive(true);
}

void ChatLog::focusOutEvent(QFocusEvent* event)
{
    QGraphicsView::focusOutEvent(event);
    if (m_selectionMode == 0)
        return;
    m_selectionBox->setBrush(m_selectionColor.lighter(120));
    for (int row = qMax(0, m_firstRow); row <= m_lastRow && row < int(m_lines.size()); ++row)
        m_lines.at(row)->setSelectionActive(false);
}

void ChatLog::exportAll()
{
    const QString path = ChatDialogs::Instance().getSaveFileName(nullptr, QStringLiteral("导出全部消息"),
        QStandardPaths::writableLocation(QStandardPaths::DesktopLocation), tr("Text files(*.log *.txt)"));
    if (path.isEmpty())
        return;
    QStringList blocks;
    QString block;
    for (const ChatLine::Ptr& line : m_lines) {
        const int type = line->singleItemType();
        if (type == 2) {
            block += line->firstItemText();
        } else if (type == 8) {
            block += QStringLiteral("      ") + line->firstItemText() + QLatin1Char('\n');
            blocks.append(block);
            block.clear();
        }
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return;
    for (const QString& text : qAsConst(blocks))
        file.write(text.toUtf8());
}

void ChatLog::OnDownloadSuccess(int type, QString imageId)
{
    if (type == 64)
        return;
    qDebug() << "into ChatLog::OnDownloadSuccess, and imageId:" << imageId;
    // Rows still waiting for their upload carry no key: an empty one matches
    // nothing. A picture listed twice gets both rows updated; an own
    // picture shows the file that was sent, never a download.
    if (imageId.isEmpty())
        return;
    for (const ChatLine::Ptr& line : m_lines) {
        const PictureCells cells = PictureCellsOf(*line);
        if (!cells.picture || cells.picture->sentBySelf() || cells.picture->tag() != imageId)
            continue;
        // A file that is no picture says so instead of leaving a gap.
        const bool shown = cells.picture->showDownloaded();
        FinishSpinner(cells.partner, shown ? Spinner::Finished : Spinner::Failed);
    }
}

ChatLog::PendingUpload ChatLog::PendingUploadOf(const ChatLine& line, bool failedToo)
{
    PendingUpload upload;
    if (line.itemCount() != 2)
        return upload;
    upload.spinner = qobject_cast<Spinner*>(line.item(0));
    upload.picture = qobject_cast<Image*>(line.item(1));
    const bool waiting = upload.spinner
        && (upload.spinner->state() == Spinner::Loading || (failedToo && upload.spinner->state() == Spinner::Failed));
    if (!waiting || !upload.picture || !upload.picture->sentBySelf())
        upload = PendingUpload();
    return upload;
}

void ChatLog::OnUploadSuccess(QString fileName, QString imageId)
{
    if (fileName.isEmpty())
        return;
    // Uploads are answered in the order they were asked: the answer is the
    // oldest own picture of that name still waiting for one.
    for (const ChatLine::Ptr& line : m_lines) {
        const PendingUpload upload = PendingUploadOf(*line);
        if (!upload.picture || !upload.picture->tag().isEmpty()
            || upload.picture->shownPath().section(QLatin1Char('/'), -1) != fileName)
            continue;
        if (imageId.isEmpty()) {
            qDebug() << "into ChatLog::OnUploadSuccess, no image id, and the picture cannot be sent:" << fileName;
            upload.spinner->setState(Spinner::Failed);
            return;
        }
        upload.picture->setTag(imageId);
        upload.spinner->setTag(imageId);
        // The room hears of the picture only once the classroom has
        // converted it; until then it is still on its way.
        if (m_sentPictures.contains(imageId)) {
            upload.spinner->setState(Spinner::Finished);
            return;
        }
        QTimer::singleShot(m_sendTimeOut, this, [this, imageId, generation = m_generation] {
            if (generation == m_generation)
                FailUnsent(imageId);
        });
        return;
    }
}

void ChatLog::OnPictureSent(QString imageId)
{
    if (imageId.isEmpty())
        return;
    // Remembered, since the room may hear of it before the upload's answer
    // reaches the row.
    if (m_sentPictures.size() >= kMaxSentPictures)
        m_sentPictures.clear();
    m_sentPictures.insert(imageId);
    // A row the wait gave up on was sent after all: everyone has the
    // picture. Only an uploaded picture carries its id.
    for (const ChatLine::Ptr& line : m_lines) {
        const PendingUpload upload = PendingUploadOf(*line, true);
        if (upload.picture && upload.picture->tag() == imageId)
            upload.spinner->setState(Spinner::Finished);
    }
}

void ChatLog::FailUnsent(const QString& imageId)
{
    for (const ChatLine::Ptr& line : m_lines) {
        const PendingUpload upload = PendingUploadOf(*line);
        if (upload.picture && upload.picture->tag() == imageId) {
            qDebug() << "into ChatLog::FailUnsent, the room never heard of the picture, imageId:" << imageId;
            upload.spinner->setState(Spinner::Failed);
        }
    }
}

void ChatLog::OnDownloadFailed(QString imageId)
{
    if (imageId.isEmpty())
        return;
    for (const ChatLine::Ptr& line : m_lines) {
        const PictureCells cells = PictureCellsOf(*line);
        auto* spinner = qobject_cast<Spinner*>(cells.partner);
        if (cells.picture && spinner && cells.picture->tag() == imageId && spinner->state() == Spinner::Loading)
            spinner->setState(Spinner::Failed);
    }
}

void ChatLog::OnUploadFailed(QString key)
{
    if (key.isEmpty())
        return;
    for (const ChatLine::Ptr& line : m_lines) {
        if (line->itemCount() != 2)
            continue;
        // An own picture still uploading has no key yet: it is known by
        // the file it shows, and only while it waits for its answer.
        const PendingUpload upload = PendingUploadOf(*line);
        const bool pending = upload.picture && upload.picture->tag().isEmpty() && upload.picture->shownPath() == key;
        if (pending || line->item(0)->tag() == key) {
            FinishSpinner(line->item(0), Spinner::Failed);
            return;
        }
    }
}
