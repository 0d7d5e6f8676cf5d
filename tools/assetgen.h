// Shared pieces of the asset generator: bit-exact arithmetic helpers, a self-made PRNG,
// and writers for BMP, ICO/CUR, WAVE and the C++ mask table.
//
// Every output must come out byte for byte the same on every run and every build, so the
// generator avoids the C library's transcendental functions (their last bit may change
// between libm versions) and uses only +, -, *, / and sqrt, which IEEE 754 rounds exactly.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace assetgen {

constexpr double Pi = 3.14159265358979323846;

double Sin(double x);
double Cos(double x);
double Exp(double x);
double Log(double x);
double Clamp(double v, double lo, double hi);

// xorshift32: small, fast and the same everywhere.
class Prng {
 public:
  explicit Prng(uint32_t seed) : state_(seed ? seed : 0x9E3779B9u) {}
  uint32_t Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
  }
  double Unit() { return (Next() >> 8) * (1.0 / 16777216.0); }          // [0, 1)
  double Signed() { return Unit() * 2.0 - 1.0; }                         // [-1, 1)
  int Below(int n) { return static_cast<int>(Next() % static_cast<uint32_t>(n)); }

 private:
  uint32_t state_;
};

// Smooth value noise in [0, 1) at continuous coordinates; the same seed gives the same field.
double ValueNoise(double x, double y, uint32_t seed);
double Fbm(double x, double y, uint32_t seed);

struct Rgb {
  uint8_t r, g, b;
  bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

// An 8-bit palettised picture, top row first.
struct IndexedImage {
  int width = 0, height = 0;
  std::vector<Rgb> palette;
  std::vector<uint8_t> pixels;
  IndexedImage(int w, int h, std::vector<Rgb> pal)
      : width(w), height(h), palette(std::move(pal)), pixels(static_cast<size_t>(w) * h, 0) {}
  uint8_t& At(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
  uint8_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// A 16-colour icon or cursor image; `opaque` is false where the AND mask lets the screen show.
struct IconImage {
  int size = 0;
  std::vector<Rgb> palette;  // 16 entries
  std::vector<uint8_t> pixels;
  std::vector<uint8_t> opaque;
  int hotX = 0, hotY = 0;
};

std::vector<uint8_t> EncodeBmp8(const IndexedImage& image);
std::vector<uint8_t> EncodeBmp24(int width, int height, const std::vector<Rgb>& pixels);
// A multi-image .ico or .cur: one directory entry per image, in the order given.
std::vector<uint8_t> EncodeIconFile(const std::vector<IconImage>& images, bool cursor);
std::vector<uint8_t> EncodeWave16Mono(const std::vector<int16_t>& samples, int rate);
bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes);

// Pictures (pictures.cpp)
constexpr int FrameCount = 9;
constexpr int FrameSide = 48;
IndexedImage MakeFrame(int frame);
IndexedImage MakeStreamSheet(const std::vector<IndexedImage>& frames);
IndexedImage MakeStreamMask(const IndexedImage& sheet);
IndexedImage MakeMeterStrip();
// Each icon and cursor is drawn for the size asked for, from geometry laid out for one design
// size (the scene's 48 pixels, the tray's 16, the cursors' 32).
IconImage MakeAboutIcon(const IndexedImage& sheet, int size);
IconImage MakeTrayIcon(bool tipping, int size);
IconImage MakeLadleCursor(bool pouring, int size);
IconImage MakeHandCursor(int size);
std::string MakeMaskSource(const std::vector<IndexedImage>& frames);

// Sounds (sounds.cpp): 16-bit mono at SoundRate, each exactly its sample count.
constexpr int SoundRate = 22050;
std::vector<int16_t> MakeStrike(size_t count);
std::vector<int16_t> MakeEcho(size_t count);
std::vector<int16_t> MakeSpill(size_t count);
std::vector<int16_t> MakeWater(size_t count, bool second);

}  // namespace assetgen
