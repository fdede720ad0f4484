#include "TestRegistry.h"
#include "TestSupport.h"

#include "widgets/DPIWidget4RectPixmap.h"
#include "widgets/DPIWidget4RoundPixmap.h"
#include "widgets/DPIWidget4RoundPixmapV2.h"
#include "widgets/GaussianBlur.h"

#include <QTemporaryDir>
#include <QtTest>
#include <numeric>

namespace {

// A picture file: the left half pure black, the right half of colour.
QString WritePicture(const QTemporaryDir& dir, const QString& name, QColor colour)
{
    QImage image(40, 40, QImage::Format_ARGB32);
    image.fill(colour);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 20; ++x)
            image.setPixel(x, y, qRgb(0, 0, 0));
    const QString path = dir.filePath(name);
    return image.save(path, "PNG") ? path : QString();
}

QImage Shot(QWidget* widget)
{
    QPixmap picture(widget->size());
    picture.fill(QColor(10, 200, 30));
    widget->render(&picture, QPoint(), QRegion(), QWidget::DrawChildren);
    return picture.toImage();
}

} // namespace

// The picture labels and the blur behind the dimmed avatar.
class TestDpiLabels : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void KernelIsNormalised()
    {
        GaussianBlur blur(5, 2.0f);
        QCOMPARE(int(blur.kernel().size()), 11);
        const float sum = std::accumulate(blur.kernel().begin(), blur.kernel().end(), 0.0f);
        QVERIFY(qAbs(sum - 1.0f) < 1e-5f);
        QVERIFY(blur.kernel()[5] > blur.kernel()[4] && blur.kernel()[4] == blur.kernel()[6]);
        blur.setRadius(0);
        QCOMPARE(int(blur.kernel().size()), 1);
        QCOMPARE(blur.kernel()[0], 1.0f);
    }

    void MirrorStaysInside_data()
    {
        QTest::addColumn<int>("sample");
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("index");
        QTest::newRow("inside") << 3 << 10 << 3;
        QTest::newRow("one before") << -1 << 10 << 0;
        QTest::newRow("two before") << -2 << 10 << 1;
        QTest::newRow("one after") << 10 << 10 << 9;
        QTest::newRow("far before, tiny") << -5 << 2 << 0;
        QTest::newRow("far after, tiny") << 7 << 3 << 1;
        QTest::newRow("single pixel") << -5 << 1 << 0;
    }
    void MirrorStaysInside()
    {
        QFETCH(int, sample);
        QFETCH(int, length);
        QFETCH(int, index);
        QCOMPARE(GaussianBlur::Mirror(sample, length), index);
    }

    // Images narrower than the kernel: every sample mirrors back inside.
    void TinyImagesBlur_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("format");
        QTest::newRow("1 x 1") << QSize(1, 1) << int(QImage::Format_ARGB32);
        QTest::newRow("2 x 3") << QSize(2, 3) << int(QImage::Format_RGB32);
        QTest::newRow("1 x 20") << QSize(1, 20) << int(QImage::Format_ARGB32_Premultiplied);
        QTest::newRow("30 x 2") << QSize(30, 2) << int(QImage::Format_RGB888);
    }
    void TinyImagesBlur()
    {
        QFETCH(QSize, size);
        QFETCH(int, format);
        QImage image(size, QImage::Format(format));
        image.fill(QColor(200, 100, 50, 90));
        const QImage blurred = GaussianBlur(5, 2.0f).blur(image);
        QCOMPARE(blurred.size(), size);
        QCOMPARE(int(blurred.format()), format);
        // A uniform picture stays the same colour, and opaque.
        const QColor pixel = blurred.pixelColor(size.width() - 1, size.height() - 1);
        QCOMPARE(pixel.alpha(), 255);
        const QColor source(image.convertToFormat(QImage::Format_ARGB32).pixel(0, 0));
        QVERIFY(qAbs(pixel.red() - source.red()) <= 1);
        QVERIFY(GaussianBlur(5, 2.0f).blur(QImage()).isNull());
    }

    void EdgeIsSoftened()
    {
        QImage image(12, 12, QImage::Format_RGB32);
        image.fill(Qt::white);
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 6; ++x)
                image.setPixel(x, y, qRgb(0, 0, 0));
        const QImage blurred = GaussianBlur(5, 2.0f).blur(image);
        // Symmetric about the edge, and the same on every row.
        QVERIFY(qAbs(qRed(blurred.pixel(5, 0)) + qRed(blurred.pixel(6, 0)) - 255) <= 2);
        QCOMPARE(blurred.pixel(5, 0), blurred.pixel(5, 11));
        QVERIFY(qRed(blurred.pixel(5, 0)) > 0 && qRed(blurred.pixel(6, 0)) < 255);
    }

    // Without a path nothing is painted, not even the label's text.
    void NoPathPaintsNothing()
    {
        DPIWidget4RectPixmap rect;
        DPIWidget4RoundPixmap round;
        DPIWidget4RoundPixmapV2 veiled;
        for (QLabel* label :
            { static_cast<QLabel*>(&rect), static_cast<QLabel*>(&round), static_cast<QLabel*>(&veiled) }) {
            label->setText("text");
            label->resize(40, 40);
            const QImage shot = Shot(label);
            QCOMPARE(shot.pixelColor(20, 20), QColor(10, 200, 30));
        }
        // A file that is no picture: the rectangle label paints as a label.
        rect.setStyleSheet("background:#ffffff;");
        rect.SetPixmapPath(m_dir.filePath("missing.png"));
        QVERIFY(!rect.HasPicture());
        QCOMPARE(Shot(&rect).pixelColor(36, 3), QColor(Qt::white));
    }

    void PicturesFillTheLabel()
    {
        const QString path = WritePicture(m_dir, "half.png", QColor(255, 0, 0));
        DPIWidget4RectPixmap rect;
        rect.resize(20, 20);
        rect.SetPixmapPath(path);
        const QImage shot = Shot(&rect);
        QCOMPARE(shot.pixelColor(2, 10), QColor(Qt::black));
        QCOMPARE(shot.pixelColor(17, 10), QColor(Qt::red));

        DPIWidget4RoundPixmap round;
        round.resize(20, 20);
        round.SetPixmapPath(path);
        const QImage circle = Shot(&round);
        QCOMPARE(circle.pixelColor(0, 0), QColor(10, 200, 30));
        QCOMPARE(circle.pixelColor(15, 10), QColor(Qt::red));
    }

    // The veil darkens the colour but leaves pure black; a new picture
    // brings a new veil even with the blur meanwhile off.
    void VeilFollowsThePicture()
    {
        DPIWidget4RoundPixmapV2 label;
        label.resize(40, 40);
        label.SetPixmapPath(WritePicture(m_dir, "red.png", QColor(255, 0, 0)));
        QVERIFY(!label.HasVeil());
        label.setBlur(true);
        QVERIFY(label.HasVeil());
        const QImage first = label.GetVeiled().toImage();
        const QColor dimmed = first.pixelColor(34, 20);
        QVERIFY(dimmed.red() < 150 && dimmed.red() > 60);
        QCOMPARE(first.pixelColor(5, 20), QColor(Qt::black));
        QVERIFY(Shot(&label).pixelColor(34, 20).red() < 150);

        label.setBlur(false);
        QCOMPARE(Shot(&label).pixelColor(34, 20), QColor(Qt::red));
        label.SetPixmapPath(WritePicture(m_dir, "blue.png", QColor(0, 0, 255)));
        QVERIFY(label.HasVeil());
        const QColor renewed = label.GetVeiled().toImage().pixelColor(34, 20);
        QVERIFY(renewed.blue() > 60 && renewed.red() == 0);
    }
};

PLOVIX_TEST(TestDpiLabels)
#include "tst_DpiLabels.moc"
