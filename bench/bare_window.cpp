// The yardstick of the start-up benchmark: a bare Qt widgets program that
// shows one window in the client's font (with the client's substitutes).
#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QLabel>
#include <QStringList>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QStringList families = QFontDatabase().families();
    QStringList substitutes;
    for (const char* family : { "Noto Sans CJK SC", "Noto Sans CJK", "WenQuanYi Micro Hei", "Noto Sans" }) {
        if (families.contains(QLatin1String(family)))
            substitutes << QLatin1String(family);
    }
    QFont::insertSubstitutions(QStringLiteral("Microsoft YaHei UI"), substitutes);
    QApplication::setFont(QFont(QStringLiteral("Microsoft YaHei UI")));
    QLabel window(QStringLiteral("Plovix"));
    window.resize(1000, 640);
    window.show();
    return QApplication::exec();
}
