#include "GaussianBlur.h"

#include <QtMath>
#include <algorithm>

namespace {

struct Sum {
    float r = 0;
    float g = 0;
    float b = 0;

    void Add(QRgb pixel, float weight)
    {
        r += qRed(pixel) * weight;
        g += qGreen(pixel) * weight;
        b += qBlue(pixel) * weight;
    }
    QRgb Opaque() const
    {
        auto channel = [](float value) { return std::clamp(int(value), 0, 255); };
        return qRgb(channel(r), channel(g), channel(b));
    }
};

} // namespace

GaussianBlur::GaussianBlur(int radius, float sigma)
    : m_radius(std::max(0, radius))
    , m_sigma(sigma)
{
    BuildKernel();
}

void GaussianBlur::setRadius(int radius)
{
    m_radius = std::max(0, radius);
    BuildKernel();
}

void GaussianBlur::setSigma(float sigma)
{
    m_sigma = sigma;
    BuildKernel();
}

void GaussianBlur::BuildKernel()
{
    m_kernel.assign(size_t(2 * m_radius + 1), 0.0f);
    const float twoSigmaSquared = 2.0f * m_sigma * m_sigma;
    float total = 0.0f;
    for (int i = 0; i <= 2 * m_radius; ++i) {
        const float x = float(i - m_radius);
        // A zero sigma leaves one tap; the sum below keeps it at 1.
        const float tap = twoSigmaSquared > 0.0f
            ? std::exp(-x * x / twoSigmaSquared) / std::sqrt(float(M_PI) * twoSigmaSquared)
            : (x == 0.0f ? 1.0f : 0.0f);
        m_kernel[size_t(i)] = tap;
        total += tap;
    }
    if (total > 0.0f) {
        for (float& tap : m_kernel)
            tap /= total;
    }
}

int GaussianBlur::Mirror(int s, int n)
{
    if (n <= 1)
        return 0;
    const int period = 2 * n;
    s %= period;
    if (s < 0)
        s += period;
    return s < n ? s : period - s - 1;
}

QImage GaussianBlur::blur(const QImage& image) const
{
    if (image.isNull())
        return QImage();
    const QImage source = image.convertToFormat(QImage::Format_ARGB32);
    const int width = source.width();
    const int height = source.height();
    const int half = int(m_kernel.size()) / 2;
    QImage work(width, height, QImage::Format_ARGB32);

    for (int y = 0; y < height; ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        auto* out = reinterpret_cast<QRgb*>(work.scanLine(y));
        for (int x = 0; x < width; ++x) {
            Sum sum;
            for (int i = -half; i <= half; ++i)
                sum.Add(in[Mirror(x - i, width)], m_kernel[size_t(half + i)]);
            out[x] = sum.Opaque();
        }
    }
    // The vertical pass reads a copy of each column, so every output pixel
    // is the blur of the horizontal pass alone, not of rows already blurred.
    std::vector<QRgb> column(static_cast<size_t>(height));
    for (int x = 0; x < width; ++x) {
        for (int y = 0; y < height; ++y)
            column[size_t(y)] = reinterpret_cast<const QRgb*>(work.constScanLine(y))[x];
        for (int y = 0; y < height; ++y) {
            Sum sum;
            for (int i = -half; i <= half; ++i)
                sum.Add(column[size_t(Mirror(y - i, height))], m_kernel[size_t(half + i)]);
            reinterpret_cast<QRgb*>(work.scanLine(y))[x] = sum.Opaque();
        }
    }
    return work.convertToFormat(image.format());
}
