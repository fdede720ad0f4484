// Renders one SVG into PNG (or ICO) files at given scale factors:
//   plovix_svgrender <in.svg> <out1> <factor1> [<out2> <factor2> ...]
// The SVG's own width and height are the size at factor 1.
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QSvgRenderer>
#include <cmath>
#include <cstdio>

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 4 || (argc - 2) % 2 != 0) {
        std::fprintf(stderr, "usage: %s <in.svg> <out> <factor> [<out> <factor> ...]\n", argv[0]);
        return 2;
    }
    QSvgRenderer renderer(QString::fromLocal8Bit(argv[1]));
    if (!renderer.isValid()) {
        std::fprintf(stderr, "%s: not a valid SVG\n", argv[1]);
        return 1;
    }
    const QSize base = renderer.defaultSize();
    for (int i = 2; i + 1 < argc; i += 2) {
        const QString out = QString::fromLocal8Bit(argv[i]);
        bool ok = false;
        const double factor = QString::fromLatin1(argv[i + 1]).toDouble(&ok);
        if (!ok || factor <= 0) {
            std::fprintf(stderr, "bad factor %s\n", argv[i + 1]);
            return 2;
        }
        const QSize size(int(std::lround(base.width() * factor)), int(std::lround(base.height() * factor)));
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter);
        painter.end();
        QDir().mkpath(QFileInfo(out).absolutePath());
        QImageWriter writer(out);
        if (!writer.write(image)) {
            std::fprintf(stderr, "%s: %s\n", argv[i], qPrintable(writer.errorString()));
            return 1;
        }
    }
    return 0;
}
