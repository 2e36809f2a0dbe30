// SPDX-License-Identifier: MIT
#include "render/wine_picture.h"

#include <array>
#include <cmath>

namespace hg {

namespace {

// A fixed scramble of the lattice point: the picture must come out the same
// on every machine, so no library random generator is involved.
std::uint32_t scramble(std::uint32_t x, std::uint32_t y, std::uint32_t octave) {
    std::uint32_t h = x * 0x8DA6B343u ^ y * 0xD8163841u ^ octave * 0xCB1AB31Fu;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return h;
}

double latticeValue(int x, int y, int period, std::uint32_t octave) {
    const auto wrap = [period](int v) {
        return static_cast<std::uint32_t>(((v % period) + period) % period);
    };
    return (scramble(wrap(x), wrap(y), octave) & 0xFFFFu) / 65535.0;
}

double smoothStep(double t) {
    return t * t * (3.0 - 2.0 * t);
}

// Value noise of `period` lattice cells across the picture, wrapping at its
// edges.
double noise(double u, double v, int period, std::uint32_t octave) {
    const double x = u * period, y = v * period;
    const int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
    const double fx = smoothStep(x - x0), fy = smoothStep(y - y0);
    const double a = latticeValue(x0, y0, period, octave);
    const double b = latticeValue(x0 + 1, y0, period, octave);
    const double c = latticeValue(x0, y0 + 1, period, octave);
    const double d = latticeValue(x0 + 1, y0 + 1, period, octave);
    const double top = a + (b - a) * fx, bottom = c + (d - c) * fx;
    return top + (bottom - top) * fy;
}

struct Rgb {
    double r, g, b;
};

Rgb mix(const Rgb& p, const Rgb& q, double t) {
    return {p.r + (q.r - p.r) * t, p.g + (q.g - p.g) * t, p.b + (q.b - p.b) * t};
}

// From white through a pale rose to a deep pink; the pale stretch is wide so
// that white and pink blotches meet softly.
Rgb shade(double v) {
    constexpr Rgb white{255, 255, 255}, rose{250, 190, 212}, deep{226, 92, 152};
    if (v < 0.4) return white;
    if (v < 0.6) return mix(white, rose, (v - 0.4) / 0.2);
    return mix(rose, deep, std::fmin(1.0, (v - 0.6) / 0.3));
}

std::uint8_t byte(double v) {
    return static_cast<std::uint8_t>(std::lround(std::fmin(255.0, std::fmax(0.0, v))));
}

}  // namespace

WinePicture winePicture() {
    WinePicture p;
    p.width = kWinePictureSize;
    p.height = kWinePictureSize;
    const std::size_t rowBytes = bitmapRowBytes(p.width);
    p.pixels.assign(rowBytes * static_cast<std::size_t>(p.height), 0);
    struct Octave {
        int period;
        double weight;
    };
    static constexpr std::array<Octave, 3> kOctaves{{{4, 0.55}, {8, 0.3}, {16, 0.15}}};
    for (int row = 0; row < p.height; ++row) {
        for (int col = 0; col < p.width; ++col) {
            const double u = static_cast<double>(col) / p.width;
            const double v = static_cast<double>(row) / p.height;
            double value = 0.0;
            std::uint32_t octave = 0;
            for (const Octave& o : kOctaves) value += o.weight * noise(u, v, o.period, ++octave);
            const Rgb c = shade(value);
            std::uint8_t* at = &p.pixels[static_cast<std::size_t>(row) * rowBytes +
                                         static_cast<std::size_t>(col) * 3];
            at[0] = byte(c.b);
            at[1] = byte(c.g);
            at[2] = byte(c.r);
        }
    }
    return p;
}

}  // namespace hg
