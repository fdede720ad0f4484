// The generated camera's text. Qt keeps its font engines per thread, so
// drawing text in the streaming threads that come and go with lessons maps
// the font files again and builds new glyph caches each time. The few
// characters the picture needs are drawn once for the whole process and
// then only copied.
#include "RtcMediaInner.h"

#include <QCoreApplication>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <array>
#include <mutex>

namespace rtcmedia::inner {

namespace {

constexpr char kCharacters[] = "0123456789:.";
constexpr int kCount = int(sizeof(kCharacters)) - 1;

// The characters of one font, each drawn in white on transparency into a
// picture as high as the font's line, with room for parts reaching over
// its advance.
struct Glyphs {
    std::array<QImage, kCount> images;
    std::array<int, kCount> advances {};
    int margin = 0;
    int height = 0;
};

Glyphs DrawGlyphs(int pixelSize, bool bold)
{
    QFont font;
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    const QFontMetrics metrics(font);
    Glyphs glyphs;
    glyphs.margin = pixelSize / 4;
    glyphs.height = metrics.height();
    for (int i = 0; i < kCount; ++i) {
        const QChar c = QLatin1Char(kCharacters[i]);
        glyphs.advances[size_t(i)] = metrics.horizontalAdvance(c);
        QImage image(
            glyphs.advances[size_t(i)] + 2 * glyphs.margin, glyphs.height, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(glyphs.margin, metrics.ascent(), QString(c));
        painter.end();
        glyphs.images[size_t(i)] = image;
    }
    return glyphs;
}

struct Fonts {
    Glyphs large; // the user id
    Glyphs small; // the time
};

// Null without a GUI application: text needs its fonts.
const Fonts* TheFonts()
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return nullptr;
    static std::once_flag once;
    static Fonts fonts;
    std::call_once(once, [] {
        fonts.large = DrawGlyphs(72, true);
        fonts.small = DrawGlyphs(32, false);
    });
    return &fonts;
}

// The index of c among the drawn characters, or -1.
int Index(QChar c)
{
    for (int i = 0; i < kCount; ++i) {
        if (c == QLatin1Char(kCharacters[i]))
            return i;
    }
    return -1;
}

void Stamp(QPainter& painter, const Glyphs& glyphs, const QRect& area, const QString& text)
{
    int width = 0;
    for (const QChar c : text) {
        if (const int i = Index(c); i >= 0)
            width += glyphs.advances[size_t(i)];
    }
    int x = area.left() + (area.width() - width) / 2;
    const int y = area.top() + (area.height() - glyphs.height) / 2;
    for (const QChar c : text) {
        const int index = Index(c);
        if (index < 0)
            continue;
        const auto i = size_t(index);
        painter.drawImage(x - glyphs.margin, y, glyphs.images[i]);
        x += glyphs.advances[i];
    }
}

} // namespace

void StampText(QPainter& painter, const QRect& area, const QString& text, bool large)
{
    if (const Fonts* fonts = TheFonts())
        Stamp(painter, large ? fonts->large : fonts->small, area, text);
}

} // namespace rtcmedia::inner
