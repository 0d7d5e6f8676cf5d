// Bit-exact helpers and the file encoders of the asset generator.
#include <cmath>
#include <cstdio>

#include "tools/assetgen.h"

namespace assetgen {

double Clamp(double v, double lo, double hi) { return v < lo ? lo : (v > hi ? hi : v); }

double Sin(double x) {
  // Reduce to [-pi, pi], then a Taylor series long enough for double precision there.
  const double twoPi = 2.0 * Pi;
  x -= std::floor(x / twoPi + 0.5) * twoPi;
  double term = x, sum = x;
  const double x2 = x * x;
  for (int k = 1; k < 16; ++k) {
    term *= -x2 / ((2.0 * k) * (2.0 * k + 1.0));
    sum += term;
  }
  return sum;
}

double Cos(double x) { return Sin(x + Pi / 2.0); }

double Exp(double x) {
  if (x < -700.0) return 0.0;
  const double ln2 = 0.69314718055994530942;
  const double k = std::floor(x / ln2 + 0.5);
  const double r = x - k * ln2;
  double term = 1.0, sum = 1.0;
  for (int i = 1; i < 18; ++i) {
    term *= r / i;
    sum += term;
  }
  return std::ldexp(sum, static_cast<int>(k));
}

double Log(double x) {
  int e = 0;
  const double m = std::frexp(x, &e);  // x = m * 2^e, m in [0.5, 1)
  const double t = (m - 1.0) / (m + 1.0), t2 = t * t;
  double term = t, sum = 0;
  for (int k = 1; k < 40; k += 2) {
    sum += term / k;
    term *= t2;
  }
  return 2.0 * sum + e * 0.69314718055994530942;
}

static double Hash01(int x, int y, uint32_t seed) {
  uint32_t h = seed ^ 0x27d4eb2du;
  h ^= static_cast<uint32_t>(x) * 0x85ebca6bu;
  h = (h << 13) | (h >> 19);
  h ^= static_cast<uint32_t>(y) * 0xc2b2ae35u;
  h ^= h >> 16;
  h *= 0x7feb352du;
  h ^= h >> 15;
  h *= 0x846ca68bu;
  h ^= h >> 16;
  return (h >> 8) * (1.0 / 16777216.0);
}

double ValueNoise(double x, double y, uint32_t seed) {
  const double fx = std::floor(x), fy = std::floor(y);
  const int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
  double tx = x - fx, ty = y - fy;
  tx = tx * tx * (3.0 - 2.0 * tx);
  ty = ty * ty * (3.0 - 2.0 * ty);
  const double a = Hash01(ix, iy, seed), b = Hash01(ix + 1, iy, seed);
  const double c = Hash01(ix, iy + 1, seed), d = Hash01(ix + 1, iy + 1, seed);
  return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
}

double Fbm(double x, double y, uint32_t seed) {
  return 0.5 * ValueNoise(x, y, seed) + 0.3 * ValueNoise(x * 2.0, y * 2.0, seed + 1) +
         0.2 * ValueNoise(x * 4.0, y * 4.0, seed + 2);
}

namespace {
void Put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, v & 0xFFFFu);
  Put16(out, v >> 16);
}
void PutInfoHeader(std::vector<uint8_t>& out, int width, int height, int bits, uint32_t imageSize,
                   uint32_t colours, uint32_t pelsPerMetre) {
  Put32(out, 40);
  Put32(out, static_cast<uint32_t>(width));
  Put32(out, static_cast<uint32_t>(height));
  Put16(out, 1);
  Put16(out, static_cast<uint32_t>(bits));
  Put32(out, 0);  // BI_RGB
  Put32(out, imageSize);
  Put32(out, pelsPerMetre);
  Put32(out, pelsPerMetre);
  Put32(out, colours);
  Put32(out, 0);
}
void PutPalette(std::vector<uint8_t>& out, const std::vector<Rgb>& palette) {
  for (const Rgb& c : palette) {
    out.push_back(c.b);
    out.push_back(c.g);
    out.push_back(c.r);
    out.push_back(0);
  }
}
constexpr uint32_t PelsPerMetre = 2835;  // 72 dpi
}  // namespace

std::vector<uint8_t> EncodeBmp8(const IndexedImage& image) {
  const int stride = (image.width + 3) / 4 * 4;
  const uint32_t imageSize = static_cast<uint32_t>(stride * image.height);
  const uint32_t offset = 14 + 40 + 4 * static_cast<uint32_t>(image.palette.size());
  std::vector<uint8_t> out;
  out.push_back('B');
  out.push_back('M');
  Put32(out, offset + imageSize);
  Put32(out, 0);
  Put32(out, offset);
  PutInfoHeader(out, image.width, image.height, 8, imageSize,
                static_cast<uint32_t>(image.palette.size()), PelsPerMetre);
  PutPalette(out, image.palette);
  for (int y = image.height - 1; y >= 0; --y) {  // bottom-up rows
    for (int x = 0; x < stride; ++x) out.push_back(x < image.width ? image.At(x, y) : 0);
  }
  return out;
}

std::vector<uint8_t> EncodeBmp24(int width, int height, const std::vector<Rgb>& pixels) {
  const int stride = (width * 3 + 3) / 4 * 4;
  const uint32_t imageSize = static_cast<uint32_t>(stride * height);
  std::vector<uint8_t> out;
  out.push_back('B');
  out.push_back('M');
  Put32(out, 54 + imageSize);
  Put32(out, 0);
  Put32(out, 54);
  PutInfoHeader(out, width, height, 24, imageSize, 0, PelsPerMetre);
  for (int y = height - 1; y >= 0; --y) {
    for (int x = 0; x < width; ++x) {
      const Rgb& c = pixels[static_cast<size_t>(y) * width + x];
      out.push_back(c.b);
      out.push_back(c.g);
      out.push_back(c.r);
    }
    for (int x = width * 3; x < stride; ++x) out.push_back(0);
  }
  return out;
}

std::vector<uint8_t> EncodeIconFile(const std::vector<IconImage>& images, bool cursor) {
  // The directory first, one 16-byte entry per image, then the images in the same order.
  constexpr uint32_t HeaderBytes = 6, EntryBytes = 16, PaletteBytes = 16 * 4;
  std::vector<uint8_t> out;
  Put16(out, 0);
  Put16(out, cursor ? 2 : 1);
  Put16(out, static_cast<uint32_t>(images.size()));
  uint32_t offset = HeaderBytes + EntryBytes * static_cast<uint32_t>(images.size());
  for (const IconImage& image : images) {
    const int n = image.size;
    const int rowBytes = (n * 4 + 31) / 32 * 4 + (n + 31) / 32 * 4;  // XOR row and AND row
    const uint32_t resSize = 40 + PaletteBytes + static_cast<uint32_t>(rowBytes * n);
    // For a cursor the planes/bit-count words carry the hot spot.
    out.push_back(static_cast<uint8_t>(n));
    out.push_back(static_cast<uint8_t>(n));
    out.push_back(16);
    out.push_back(0);
    Put16(out, cursor ? static_cast<uint32_t>(image.hotX) : 1);
    Put16(out, cursor ? static_cast<uint32_t>(image.hotY) : 4);
    Put32(out, resSize);
    Put32(out, offset);
    offset += resSize;
  }
  for (const IconImage& image : images) {
    const int n = image.size;
    // Rows of both masks are padded to 32 bits, which matters for the 20 and 24 pixel sizes.
    const int xorStride = (n * 4 + 31) / 32 * 4;
    const int andStride = (n + 31) / 32 * 4;
    const uint32_t bitsSize = static_cast<uint32_t>((xorStride + andStride) * n);
    PutInfoHeader(out, n, n * 2, 4, bitsSize, 0, 0);
    PutPalette(out, image.palette);
    for (int y = n - 1; y >= 0; --y) {
      for (int x = 0; x < xorStride * 2; x += 2) {
        auto nib = [&](int px) -> uint8_t {
          const size_t i = static_cast<size_t>(y) * n + px;
          return px < n && image.opaque[i] ? image.pixels[i] & 0x0F : 0;
        };
        out.push_back(static_cast<uint8_t>(nib(x) << 4 | nib(x + 1)));
      }
    }
    for (int y = n - 1; y >= 0; --y) {
      for (int byte = 0; byte < andStride; ++byte) {
        uint8_t bits = 0;
        for (int b = 0; b < 8; ++b) {
          const int x = byte * 8 + b;
          const bool transparent = x >= n || !image.opaque[static_cast<size_t>(y) * n + x];
          if (transparent) bits |= static_cast<uint8_t>(0x80 >> b);
        }
        out.push_back(bits);
      }
    }
  }
  return out;
}

std::vector<uint8_t> EncodeWave16Mono(const std::vector<int16_t>& samples, int rate) {
  const uint32_t dataSize = static_cast<uint32_t>(samples.size() * 2);
  std::vector<uint8_t> out;
  for (char c : std::string("RIFF")) out.push_back(static_cast<uint8_t>(c));
  Put32(out, 36 + dataSize);
  for (char c : std::string("WAVEfmt ")) out.push_back(static_cast<uint8_t>(c));
  Put32(out, 16);
  Put16(out, 1);  // PCM
  Put16(out, 1);  // mono
  Put32(out, static_cast<uint32_t>(rate));
  Put32(out, static_cast<uint32_t>(rate) * 2);
  Put16(out, 2);
  Put16(out, 16);
  for (char c : std::string("data")) out.push_back(static_cast<uint8_t>(c));
  Put32(out, dataSize);
  for (int16_t s : samples) Put16(out, static_cast<uint16_t>(s));
  return out;
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace assetgen
