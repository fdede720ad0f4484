// The course page list of a room with 500 pages: the list filled from the
// room's courseware (rows built, laid out, every thumbnail decoded at the
// size shown, then one paint), against the bare cost of decoding the same
// pictures at that size; then the full list scrolled top to bottom, each
// step painted at once. Targets: the fill under 1.5 times the bare cost, a
// scroll frame under 8 ms at the 95th percentile. Each side is measured
// three times and its median kept; the files are read once before.
#include "TestSupport.h"

#include "app/Nexus.h"
#include "app/Profile.h"
#include "session/CourseWareInfo.h"
#include "session/DataManager.h"
#include "whiteboard/PresentationItem.h"
#include "whiteboard/PresentationList.h"
#include "widgets/DPIWidget4RectPixmap.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImageReader>
#include <QLinearGradient>
#include <QPainter>
#include <QScrollBar>
#include <QSemaphore>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const int kPages = 500;

void Drop(QtMsgType, const QMessageLogContext&, const QString&)
{ }

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

// A converted course page: 960 x 720 with a heading, lines of text and a
// figure, as the converter makes them from slides.
QImage Page(int number)
{
    QImage page(960, 720, QImage::Format_RGB32);
    QPainter painter(&page);
    QLinearGradient band(0, 0, 960, 0);
    band.setColorAt(0, QColor::fromHsv(number * 37 % 360, 90, 230));
    band.setColorAt(1, Qt::white);
    painter.fillRect(page.rect(), Qt::white);
    painter.fillRect(0, 0, 960, 120, band);
    painter.setFont(QFont(QStringLiteral("Noto Sans CJK SC"), 40));
    painter.drawText(48, 84, QStringLiteral("第 %1 页 勾股定理").arg(number));
    painter.setFont(QFont(QStringLiteral("Noto Sans CJK SC"), 20));
    for (int line = 0; line < 8; ++line)
        painter.drawText(48, 190 + line * 48, QStringLiteral("直角三角形两直角边的平方和等于斜边的平方 a² + b² = c²"));
    painter.setBrush(QColor::fromHsv(number * 53 % 360, 160, 220));
    painter.drawPolygon(QPolygon({ QPoint(620, 640), QPoint(900, 640), QPoint(620, 440) }));
    return page;
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    TestSupport::UseHome(home.path());
    QApplication app(argc, argv);
    TestSupport::InstallFonts();
    qInstallMessageHandler(Drop);

    // Ten different pictures, each page its own file.
    QTemporaryDir files;
    QStringList paths;
    for (int i = 0; i < kPages; ++i) {
        paths << files.filePath(QStringLiteral("p%1.png").arg(i));
        if (i < 10)
            Page(i + 1).save(paths.last());
        else
            QFile::copy(paths.at(i % 10), paths.last());
        QFile warm(paths.last());
        warm.open(QIODevice::ReadOnly);
        warm.readAll();
    }

    Profile* profile = TestSupport::StartHub(QStringLiteral("http://127.0.0.1:9"));
    profile->StartThreads();
    DataManager* data = profile->GetDataManager();
    QList<CourseWareInfo*> pages;
    for (int i = 0; i < kPages; ++i) {
        auto* page = new CourseWareInfo();
        page->SetPresentationId(QStringLiteral("P%1").arg(i));
        page->SetWhiteboardId(QStringLiteral("W%1").arg(i));
        page->SetHeadPath(paths.at(i));
        pages << page;
    }
    QSemaphore stored;
    QMetaObject::invokeMethod(
        data,
        [&] {
            data->ReplaceCourseWareList(pages);
            data->SetCurrentPresentationId(QStringLiteral("P0"));
            stored.release();
        },
        Qt::QueuedConnection);
    stored.acquire();

    QWidget area;
    area.resize(198, 1000);
    PresentationList list(&area);
    Nexus::SetPresentationList(&list);
    area.show();
    list.SetupLayout(10, &area);
    QCoreApplication::processEvents();

    // The thumbnails' size, as the rows lay them out.
    const int thumbWidth = list.width() - 1 - 29;
    const QSize thumbnail(thumbWidth, int(thumbWidth * 0.75));

    std::vector<double> fills;
    std::vector<double> bares;
    QElapsedTimer clock;
    for (int run = 0; run < 3; ++run) {
        clock.start();
        for (const QString& path : qAsConst(paths)) {
            QImageReader reader(path);
            reader.setScaledSize(thumbnail);
            const QPixmap picture = QPixmap::fromImage(reader.read());
            if (picture.isNull())
                std::printf("not a picture: %s\n", qPrintable(path));
        }
        bares.push_back(clock.nsecsElapsed() / 1e6);

        list.ClearItems();
        QCoreApplication::processEvents();
        clock.restart();
        Nexus::Instance()->OnCourseWareGet();
        QCoreApplication::processEvents();
        list.viewport()->repaint();
        fills.push_back(clock.nsecsElapsed() / 1e6);
    }
    int decoded = 0;
    for (const PresentationItem* item : list.GetItems())
        decoded += item->GetThumbnail()->HasPicture() ? 1 : 0;

    QScrollBar* bar = list.verticalScrollBar();
    std::vector<double> frames;
    for (int value = bar->minimum(); value <= bar->maximum(); value += 40) {
        clock.restart();
        bar->setValue(value);
        list.viewport()->repaint();
        QCoreApplication::processEvents();
        frames.push_back(clock.nsecsElapsed() / 1e6);
    }
    std::sort(frames.begin(), frames.end());

    const double fill = Median(fills);
    const double bare = Median(bares);
    std::printf("%d pages, %d thumbnails of %dx%d decoded, %zu scroll frames\n", kPages, decoded, thumbnail.width(),
        thumbnail.height(), frames.size());
    std::printf("fill: %.1f ms\n", fill);
    std::printf("bare thumbnail scaling: %.1f ms\n", bare);
    std::printf("fill ratio: %.2f (target under 1.50)\n", fill / bare);
    std::printf("scroll frame, median: %.2f ms\n", frames.at(frames.size() / 2));
    std::printf("scroll frame, 95th percentile: %.2f ms (target under 8 ms)\n", frames.at(frames.size() * 95 / 100));
    list.ClearItems();
    Nexus::SetPresentationList(nullptr);
    Nexus::Teardown();
    return 0;
}
