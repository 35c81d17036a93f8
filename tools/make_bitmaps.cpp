// Writes the sample texture bitmaps into a folder: make_bitmaps FOLDER
//
// Every picture is square with a power-of-two side, stored bottom-up (a
// positive height), and seamless: each is a smooth function of the angles
// 2 pi x / side and 2 pi y / side with whole-number frequencies, so the right
// edge runs on into the left and the top into the bottom when the texture
// repeats. The features are large and soft on purpose: the saver repeats the
// picture several times across the model, samples it without mipmaps and, by
// default, without filtering, so fine detail would turn into shimmering moire.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

const double kTau = 6.283185307179586;

struct Rgb {
    double r, g, b;
};

Rgb Mix(Rgb a, Rgb b, double t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

// Colour of t in 0..1 along evenly spaced stops, with smoothstep between them.
Rgb Gradient(const std::vector<Rgb>& stops, double t)
{
    if (t <= 0.0) return stops.front();
    if (t >= 1.0) return stops.back();
    const double at = t * (double)(stops.size() - 1);
    const size_t i = (size_t)at;
    double f = at - (double)i;
    f = f * f * (3.0 - 2.0 * f);
    return Mix(stops[i], stops[i + 1], f);
}

uint8_t Byte(double v)
{
    const double c = std::floor(v + 0.5);
    return (uint8_t)(c < 0.0 ? 0.0 : c > 255.0 ? 255.0 : c);
}

void Put16(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back((uint8_t)v);
    out.push_back((uint8_t)(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// field(x, y) gives 0..1; 24-bit pictures colour it through the gradient,
// 8-bit ones index a 256-entry palette made from the same gradient.
template <typename Field>
bool WriteBitmap(const std::string& path, int side, int bits, const std::vector<Rgb>& stops,
                 Field field)
{
    const uint32_t rowSize = (uint32_t)((side * bits / 8 + 3) & ~3);
    const uint32_t paletteSize = bits == 8 ? 256 * 4 : 0;
    const uint32_t pixelOffset = 14 + 40 + paletteSize;
    std::vector<uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    Put32(out, pixelOffset + rowSize * (uint32_t)side);
    Put32(out, 0);
    Put32(out, pixelOffset);
    Put32(out, 40);                 // BITMAPINFOHEADER
    Put32(out, (uint32_t)side);     // width
    Put32(out, (uint32_t)side);     // height: positive, rows stored bottom-up
    Put16(out, 1);                  // planes
    Put16(out, (uint32_t)bits);
    Put32(out, 0);                  // no compression
    Put32(out, rowSize * (uint32_t)side);
    Put32(out, 2835);               // 72 dpi
    Put32(out, 2835);
    Put32(out, bits == 8 ? 256 : 0);
    Put32(out, 0);
    if (bits == 8) {
        for (int i = 0; i < 256; ++i) {
            const Rgb c = Gradient(stops, i / 255.0);
            out.push_back(Byte(c.b));
            out.push_back(Byte(c.g));
            out.push_back(Byte(c.r));
            out.push_back(0);
        }
    }
    for (int row = side - 1; row >= 0; --row) {
        const size_t start = out.size();
        for (int x = 0; x < side; ++x) {
            const double t = field(kTau * x / side, kTau * row / side);
            if (bits == 8) {
                out.push_back(Byte(t * 255.0));
            } else {
                const Rgb c = Gradient(stops, t);
                out.push_back(Byte(c.b));
                out.push_back(Byte(c.g));
                out.push_back(Byte(c.r));
            }
        }
        while (out.size() - start < rowSize)
            out.push_back(0);
    }
    FILE* file = fopen(path.c_str(), "wb");
    if (!file || fwrite(out.data(), 1, out.size(), file) != out.size() || fclose(file) != 0) {
        perror(path.c_str());
        return false;
    }
    return true;
}

double Clamp01(double v)
{
    return v < 0.0 ? 0.0 : v > 1.0 ? 1.0 : v;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const std::string dir = std::string(argv[1]) + "/";
    bool ok = true;

    // sample.bmp, the default: a lagoon of soft, warped swirls, sea to sand.
    ok &= WriteBitmap(dir + "sample.bmp", 256, 24,
        {{18, 52, 96}, {30, 110, 150}, {70, 170, 175}, {170, 215, 190}, {238, 222, 170}},
        [](double u, double v) {
            const double wu = u + 0.7 * std::sin(v + 1.3);
            const double wv = v + 0.7 * std::sin(u + 0.4);
            const double f = 0.5 * std::sin(wu) * std::cos(wv) +
                             0.3 * std::sin(2.0 * wu + wv + 0.7) +
                             0.2 * std::cos(wu - 2.0 * wv + 1.9);
            return Clamp01(0.5 + 0.5 * f);
        });

    // ripples.bmp: 128 x 128, 256 colours; slow interfering ripples at dusk.
    ok &= WriteBitmap(dir + "ripples.bmp", 128, 8,
        {{40, 20, 70}, {140, 50, 110}, {240, 130, 90}, {255, 215, 150}},
        [](double u, double v) {
            const double f = std::cos(2.0 * u + std::sin(v)) + std::cos(2.0 * v + std::sin(u));
            return Clamp01(0.5 + 0.25 * f);
        });

    // tiles.bmp: 64 x 64, true colour; soft terracotta tiles with rounded corners.
    ok &= WriteBitmap(dir + "tiles.bmp", 64, 24,
        {{120, 60, 40}, {190, 100, 60}, {230, 170, 110}, {245, 225, 190}},
        [](double u, double v) {
            const double f = std::cos(u) * std::cos(v);
            return Clamp01(0.5 + 0.45 * f);
        });

    // dots.bmp: 32 x 32, 256 colours; one soft green dot per tile.
    ok &= WriteBitmap(dir + "dots.bmp", 32, 8,
        {{250, 245, 220}, {170, 210, 140}, {60, 140, 80}, {20, 70, 50}},
        [](double u, double v) {
            const double d = (2.0 - std::cos(u) - std::cos(v)) / 4.0;  // 0 at the corner, 1 mid-tile
            return Clamp01(1.0 - d * 1.15);
        });

    return ok ? 0 : 1;
}
