// Felt and wood textures, computed per device pixel from logical coordinates.
#include "texturepainter.h"

#include "canvas.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace texture {

namespace {

constexpr std::uint32_t FeltSeed = 20261208;
constexpr std::uint32_t WoodSeed = 7772;

QRgb rgb(double r, double g, double b)
{
    const auto c = [](double v) { return std::clamp(int(std::lround(v)), 0, 255); };
    return qRgb(c(r), c(g), c(b));
}

// Sparse fibre speckles: mostly 0, sometimes -1 or +1. Few distinct values keep
// the pictures small while still breaking up the flat colour.
double speckle(int px, int py, std::uint32_t seed)
{
    const float h = art::hashNoise(px, py, seed);
    return h < 0.12f ? -1.0 : h > 0.88f ? 1.0 : 0.0;
}

// Brightness factor of the felt at logical point (u, v): cloth mottling, fine
// fibre speckles and a gentle darkening towards the edges.
double feltLight(double u, double v, int px, int py)
{
    const double mottle = art::tiledNoise(u / 38, v / 38, 64, 64, FeltSeed) - 0.5;
    const double cloud = art::tiledNoise(u / 110, v / 110, 16, 16, FeltSeed + 1) - 0.5;
    const double fibre = speckle(px, py, FeltSeed + 2);
    const double dx = (u - FeltSize.width() / 2.0) / (FeltSize.width() / 2.0);
    const double dy = (v - FeltSize.height() / 2.0) / (FeltSize.height() / 2.0);
    const double vignette = 1.0 - 0.10 * (dx * dx + dy * dy);
    return vignette * (1.0 + 0.07 * mottle + 0.06 * cloud + 0.055 * fibre);
}

struct Board
{
    double tone;  // brightness of this board
    double phase; // where its grain rings start
    double warp;  // how strongly its grain waves
};

constexpr int PlankHeight = 32;
constexpr int PlankCount = 4;
// Each plank is made of two boards; these are the x positions of the butt joints.
constexpr int Joints[PlankCount][2] = {{40, 215}, {120, 280}, {5, 170}, {85, 245}};

int boardIndex(int plank, double u)
{
    return (u >= Joints[plank][0] && u < Joints[plank][1]) ? 0 : 1;
}

Board boardOf(int plank, int index)
{
    const float a = art::hashNoise(plank, index, WoodSeed);
    const float b = art::hashNoise(plank, index, WoodSeed + 1);
    const float c = art::hashNoise(plank, index, WoodSeed + 2);
    return {0.88 + 0.24 * a, 40.0 * b, 6.0 + 8.0 * c};
}

double jointDistance(int plank, double u)
{
    double d = 1e9;
    for (int j : Joints[plank]) {
        d = std::min(d, std::abs(u - j));
        d = std::min(d, std::abs(u - j - WoodSize.width()));
        d = std::min(d, std::abs(u - j + WoodSize.width()));
    }
    return d;
}

// Brightness of the wood at logical point (u, v).
double woodLight(double u, double v, int px, int py)
{
    const int plank = std::clamp(int(v) / PlankHeight, 0, PlankCount - 1);
    const double inPlank = v - plank * PlankHeight;
    const int index = boardIndex(plank, u);
    const Board board = boardOf(plank, index);
    const std::uint32_t seed = WoodSeed + 10 + plank * 2 + index;

    // Grain: rings bent by noise that repeats every tile width.
    const double bend = board.warp * (art::tiledNoise(u / 50, plank + index * 0.5, 6, 64, seed) - 0.5)
                        + 1.5 * (art::tiledNoise(u / 15, 3.7, 20, 64, seed + 1) - 0.5);
    const double t = (inPlank + board.phase + bend) / 3.1;
    const double ring = std::pow(0.5 + 0.5 * std::sin(t * 2 * std::numbers::pi), 3.0);
    const double streak = art::tiledNoise(u / 25, inPlank / 1.2, 12, 256, seed + 2) - 0.5;
    const double fleck = speckle(px, py, seed + 3);
    double light = board.tone * (1.0 - 0.16 * ring + 0.12 * streak + 0.03 * fleck);

    // Bevels: a dark groove between planks, a lit upper edge, a shaded lower edge.
    if (inPlank < 1.0)
        light *= 0.38;
    else if (inPlank < 2.0)
        light *= 1.22;
    else if (inPlank > PlankHeight - 2.5)
        light *= 0.82;
    const double joint = jointDistance(plank, u);
    if (joint < 0.75)
        light *= 0.55;
    else if (joint < 1.75)
        light *= 0.88;
    return light;
}

template <typename LightFn>
QImage paint(QSize logical, int scale, QColor base, LightFn light)
{
    QImage image(logical * scale, QImage::Format_RGB32);
    for (int py = 0; py < image.height(); ++py) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(py));
        const double v = (py + 0.5) / scale;
        for (int px = 0; px < image.width(); ++px) {
            const double u = (px + 0.5) / scale;
            const double k = light(u, v, px, py);
            line[px] = rgb(base.red() * k, base.green() * k, base.blue() * k);
        }
    }
    return image;
}

} // namespace

QImage felt(int scale)
{
    return paint(FeltSize, scale, QColor(26, 112, 48), feltLight);
}

QImage wood(int scale)
{
    return paint(WoodSize, scale, QColor(116, 66, 33), woodLight);
}

} // namespace texture
