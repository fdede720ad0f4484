#pragma once

#include <QImage>
#include <vector>

// A separable Gaussian blur of the colour channels. Edges are mirrored;
// alpha is not blurred: every output pixel is opaque. Any thread.
class GaussianBlur
{
public:
    GaussianBlur(int radius, float sigma);

    void setRadius(int radius);
    void setSigma(float sigma);
    int radius() const { return m_radius; }
    float sigma() const { return m_sigma; }
    const std::vector<float>& kernel() const { return m_kernel; }

    // The blurred copy, of the input's size and format; null for null.
    QImage blur(const QImage& image) const;

    // The index that sample s of a row or column of n pixels reads: indices
    // outside mirror back in (-1 reads 0, n reads n - 1), as often as needed,
    // so even a kernel wider than the image never reads outside it.
    static int Mirror(int s, int n);

private:
    void BuildKernel();

    std::vector<float> m_kernel;
    int m_radius = 0;
    float m_sigma = 1.0f;
};
