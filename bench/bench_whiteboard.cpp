// A whiteboard of 10,000 shapes (4,000 rectangles, 4,000 lines and 2,000
// pen strokes of five segments each) painted by the board widget over a
// 1920 x 1080 page, against bare QPainter drawing of the same rectangles and
// lines, with the same pens, into the same image; both antialiased. The
// board draws its shapes afresh after a change that takes shapes away (an
// undo) and copies its picture otherwise (a repaint during a drag), so both
// of its times are printed. A shape added (a room message, as the session
// reads it) is painted onto the picture alone: its time runs from the
// message to the end of the next paint. The eraser hovering over the full
// board finds the shape under each mouse move.
#include "TestSupport.h"

#include "app/Nexus.h"
#include "app/Profile.h"
#include "session/DataManager.h"
#include "whiteboard/BoardModel.h"
#include "whiteboard/Shape.h"
#include "whiteboard/ShapeCodec.h"
#include "whiteboard/WhiteBoardWidget.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMouseEvent>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

namespace {

const int kRounds = 7;
const QSize kPage(1920, 1080);
const QStringList kColors { "#EC2629", "#1A73E8", "#2E9E44", "#222222" };

QJsonObject Entry(int i, QRandomGenerator& random)
{
    auto x = [&] { return random.bounded(800); };
    auto y = [&] { return random.bounded(600); };
    QJsonObject entry { { "shapeId", QString::number(i) }, { "color", kColors.at(i % kColors.size()) },
        { "thickness", 2 + i % 3 } };
    if (i % 5 < 2) {
        entry.insert("type", "rectangle");
        entry.insert("startX", x());
        entry.insert("startY", y());
        entry.insert("width", random.bounded(-100, 100));
        entry.insert("height", random.bounded(-100, 100));
    } else if (i % 5 < 4) {
        entry.insert("type", "line");
        entry.insert("startX", x());
        entry.insert("startY", y());
        entry.insert("endX", x());
        entry.insert("endY", y());
    } else {
        entry.insert("type", "pencil");
        QJsonArray points;
        QPoint at(x(), y());
        for (int p = 0; p < 5; ++p) {
            points.append(QJsonObject { { "x", at.x() }, { "y", at.y() } });
            at += QPoint(random.bounded(-20, 20), random.bounded(-20, 20));
        }
        entry.insert("points", points);
    }
    return entry;
}

double Median(QVector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    return samples.at(samples.size() / 2);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    TestSupport::UseHome(home.path());
    QApplication app(argc, argv);
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    Profile* profile = TestSupport::StartHub(QStringLiteral("http://127.0.0.1:9"));
    BoardModel* model = profile->GetDataManager()->GetBoardModel();

    QWidget page;
    page.setFixedSize(kPage);
    WhiteBoardWidget board(&page);
    board.SetCanvas(&page);
    board.setGeometry(QRect(QPoint(), kPage));
    board.SetCurrWhiteboardId("W1");
    Nexus::SetWhiteBoardWidget(&board);
    DataManager* session = profile->GetDataManager();

    QRandomGenerator random(20261209);
    QVector<Shape*> all;
    for (int i = 0; i < 10000; ++i)
        all += ShapeCodec::FromJson(Entry(i, random), "W1", &page);
    // The bare side's geometry: every drawn primitive in pixels, with its pen.
    struct Primitive {
        QRect rect;
        QLine line;
        QPen pen;
        bool isRect;
    };
    QVector<Primitive> primitives;
    for (const Shape* shape : all) {
        if (shape->GetType() == Shape::TypePen)
            continue;
        const QPoint from = Shape::MapToWidget(shape->m_startX, shape->m_startY, &page, 1.0);
        const QPoint to = Shape::MapToWidget(shape->m_endX, shape->m_endY, &page, 1.0);
        const bool isRect = shape->GetType() == Shape::TypeRectangle;
        primitives.append({ QRect(from, to), QLine(from, to),
            QPen(QBrush(shape->m_penColor), shape->m_thickness, Qt::SolidLine, isRect ? Qt::SquareCap : Qt::RoundCap,
                isRect ? Qt::BevelJoin : Qt::MiterJoin),
            isRect });
    }
    model->Lock().Append("W1", all);

    QImage image(kPage, QImage::Format_ARGB32_Premultiplied);
    QVector<double> boardMs;
    QVector<double> repaintMs;
    QVector<double> bareMs;
    for (int round = 0; round < kRounds; ++round) {
        {
            // A change that takes a shape away and brings it back: the next
            // paint draws every shape.
            BoardModel::Guard guard = model->Lock();
            guard.Undo("W1");
            guard.Redo("W1");
        }
        image.fill(Qt::white);
        QElapsedTimer timer;
        timer.start();
        board.render(&image);
        boardMs << timer.nsecsElapsed() / 1e6;

        image.fill(Qt::white);
        timer.restart();
        board.render(&image);
        repaintMs << timer.nsecsElapsed() / 1e6;

        image.fill(Qt::white);
        timer.restart();
        {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing, true);
            painter.setBrush(Qt::NoBrush);
            for (const Primitive& primitive : primitives) {
                painter.setPen(primitive.pen);
                if (primitive.isRect)
                    painter.drawRect(primitive.rect);
                else
                    painter.drawLine(primitive.line);
            }
        }
        bareMs << timer.nsecsElapsed() / 1e6;
    }
    // A shape added to the full board, as the room's 321 reaches it.
    QVector<double> addedMs;
    for (int round = 0; round < kRounds * 3; ++round) {
        QJsonObject data = Entry(round, random);
        data.insert("shapeId", QStringLiteral("added%1").arg(round));
        data.insert("whiteboardId", "W1");
        const QByteArray frame = QJsonDocument(
            QJsonObject { { "type", 321 }, { "source", "57" }, { "dest", "R100" },
                { "data", data } }).toJson(QJsonDocument::Compact);
        image.fill(Qt::white);
        QElapsedTimer timer;
        timer.start();
        session->GetDispatch()->HandleFrame(frame);
        board.render(&image);
        addedMs << timer.nsecsElapsed() / 1e6;
    }
    // The eraser over the full board: each move tests the shapes from the
    // bottom until one is under the mouse.
    session->SetPermission(128);
    board.SetShape4Eraser();
    QVector<double> hoverMs;
    for (int round = 0; round < kRounds * 3; ++round) {
        QMouseEvent move(QEvent::MouseMove, QPoint(random.bounded(kPage.width()), random.bounded(kPage.height())),
            Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QElapsedTimer timer;
        timer.start();
        QApplication::sendEvent(&board, &move);
        hoverMs << timer.nsecsElapsed() / 1e6;
    }
    const double boardMedian = Median(boardMs);
    const double repaintMedian = Median(repaintMs);
    const double bareMedian = Median(bareMs);
    std::printf("whiteboard paint, 10000 shapes (%d entries) at %dx%d, median of %d\n", int(all.size()), kPage.width(),
        kPage.height(), kRounds);
    std::printf("  board, after a change:       %8.2f ms\n", boardMedian);
    std::printf("  board, repaint, no change:   %8.2f ms\n", repaintMedian);
    std::printf("  bare QPainter, same shapes:  %8.2f ms\n", bareMedian);
    std::printf("  ratio after a change:        %8.2f (target < 1.5)\n", boardMedian / bareMedian);
    std::printf("  ratio of the repaint:        %8.3f (half a 60 Hz frame is 8.33 ms)\n", repaintMedian / bareMedian);
    std::printf(
        "shape added: %.2f ms (median of %d, a 60 Hz frame is 16.7 ms)\n", Median(addedMs), int(addedMs.size()));
    std::printf("eraser hover: %.2f ms per move (median of %d, a 60 Hz frame is 16.7 ms)\n", Median(hoverMs),
        int(hoverMs.size()));
    Nexus::SetWhiteBoardWidget(nullptr);
    Nexus::Teardown();
    return 0;
}
