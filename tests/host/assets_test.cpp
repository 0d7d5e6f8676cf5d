// Checks the committed artwork and sounds against the rules the painting, the window shape
// and the sound loader rely on.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "display/frame_masks.h"

namespace {

std::vector<uint8_t> ReadRes(const std::string& name) {
  const std::string path = std::string(TSUTSURI_SOURCE_DIR) + "/res/" + name;
  std::vector<uint8_t> bytes;
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    int c;
    while ((c = std::fgetc(f)) != EOF) bytes.push_back(static_cast<uint8_t>(c));
    std::fclose(f);
  }
  return bytes;
}

uint32_t U16(const std::vector<uint8_t>& b, size_t at) { return b[at] | b[at + 1] << 8; }
uint32_t U32(const std::vector<uint8_t>& b, size_t at) { return U16(b, at) | U16(b, at + 2) << 16; }

struct Rgb {
  uint8_t r, g, b;
  bool Black() const { return r == 0 && g == 0 && b == 0; }
  bool White() const { return r == 255 && g == 255 && b == 255; }
};

// An uncompressed 8-bit BMP as the resource compiler takes it.
struct Bmp {
  int width = 0, height = 0, bits = 0, compression = -1;
  std::vector<Rgb> palette;
  std::vector<uint8_t> index;  // top row first
  uint8_t At(int x, int y) const { return index[static_cast<size_t>(y) * width + x]; }
  Rgb Colour(int x, int y) const { return palette[At(x, y)]; }
};

Bmp LoadBmp(const std::string& name) {
  const std::vector<uint8_t> b = ReadRes(name);
  Bmp bmp;
  if (b.size() < 54 || b[0] != 'B' || b[1] != 'M' || U32(b, 14) != 40) return bmp;
  bmp.width = static_cast<int>(U32(b, 18));
  bmp.height = static_cast<int>(U32(b, 22));
  bmp.bits = static_cast<int>(U16(b, 28));
  bmp.compression = static_cast<int>(U32(b, 30));
  const uint32_t colours = U32(b, 46), offset = U32(b, 10);
  for (uint32_t i = 0; i < colours; ++i) bmp.palette.push_back(Rgb{b[54 + 4 * i + 2], b[54 + 4 * i + 1], b[54 + 4 * i]});
  const size_t stride = (static_cast<size_t>(bmp.width) + 3) / 4 * 4;
  if (bmp.bits != 8 || offset != 54 + 4 * colours || b.size() < offset + stride * bmp.height) return bmp;
  for (int y = 0; y < bmp.height; ++y)
    for (int x = 0; x < bmp.width; ++x) bmp.index.push_back(b[offset + (bmp.height - 1 - y) * stride + x]);
  return bmp;
}

struct BitmapCase {
  const char* name;
  int width, height, colours, blackEntry;  // -1: no entry that must be black
};

const BitmapCase BitmapCases[] = {
    {"frame0.bmp", 48, 48, 64, 0},       {"frame1.bmp", 48, 48, 64, 0},       {"frame2.bmp", 48, 48, 64, 0},
    {"frame3.bmp", 48, 48, 64, 0},       {"frame4.bmp", 48, 48, 64, 0},       {"frame5.bmp", 48, 48, 64, 0},
    {"frame6.bmp", 48, 48, 64, 0},       {"frame7.bmp", 48, 48, 64, 0},       {"frame8.bmp", 48, 48, 64, 0},
    {"stream_sheet.bmp", 216, 432, 16, 15}, {"stream_mask.bmp", 216, 432, 3, -1}, {"meter_strip.bmp", 24, 83, 132, -1},
};

TEST(Assets, BitmapsHaveTheirGeometryAndPalette) {
  for (const BitmapCase& c : BitmapCases) {
    SCOPED_TRACE(c.name);
    const Bmp bmp = LoadBmp(c.name);
    ASSERT_EQ(bmp.index.size(), static_cast<size_t>(c.width * c.height));
    EXPECT_EQ(bmp.width, c.width);
    EXPECT_EQ(bmp.height, c.height);
    EXPECT_EQ(bmp.compression, 0);
    EXPECT_EQ(static_cast<int>(bmp.palette.size()), c.colours);
    if (c.blackEntry >= 0) {
      EXPECT_TRUE(bmp.palette[c.blackEntry].Black());
    }
    for (uint8_t i : bmp.index) ASSERT_LT(i, bmp.palette.size());
  }
  const Bmp mask = LoadBmp("stream_mask.bmp");
  ASSERT_EQ(mask.palette.size(), 3u);
  EXPECT_TRUE(mask.palette[0].White());
  EXPECT_TRUE(mask.palette[1].Black());
  EXPECT_TRUE(mask.palette[2].Black());
}

// The window's shape comes from the table, the picture from the bitmap: they must agree or
// the window shows black corners or cuts the picture.
TEST(Assets, ShapeMasksMatchTheFrames) {
  for (int f = 0; f < 9; ++f) {
    SCOPED_TRACE(f);
    const Bmp bmp = LoadBmp("frame" + std::to_string(f) + ".bmp");
    ASSERT_EQ(bmp.index.size(), 48u * 48u);
    int runs = 0;
    for (int y = 0; y < FrameMaskSide; ++y) {
      for (int x = 0; x < FrameMaskSide; ++x) {
        const uint8_t m = FrameShapeMasks[(f * 48 + y) * 48 + x];
        ASSERT_EQ(m, bmp.Colour(x, y).Black() ? 1 : 0) << "x " << x << " y " << y;
        if (y >= 46) {
          EXPECT_EQ(m, 0) << "ground strip, x " << x << " y " << y;
        }
        if (m == 0 && (x == 0 || FrameShapeMasks[(f * 48 + y) * 48 + x - 1] == 1)) ++runs;
      }
    }
    // One flush of the 200-rectangle region buffer builds the whole shape.
    EXPECT_GT(runs, 40);
    EXPECT_LE(runs, 200);
  }
}

// Areas the paint handler draws over in every frame must lie inside the window's shape, or
// the window region clips them: the meter case, and where the drops start under the spout.
struct OverlayCase {
  const char* what;
  int x, y, width, height;
};
const OverlayCase OverlayCases[] = {{"meter case", 18, 21, 6, 25}, {"drop start", 37, 8, 6, 3}};

TEST(Assets, PaintedOverlaysLieInsideTheShape) {
  for (const OverlayCase& o : OverlayCases)
    for (int f = 0; f < 9; ++f)
      for (int y = o.y; y < o.y + o.height; ++y)
        for (int x = o.x; x < o.x + o.width; ++x)
          EXPECT_EQ(FrameShapeMasks[(f * 48 + y) * 48 + x], 0) << o.what << " frame " << f << " x " << x << " y " << y;
}

// Only the background is black: any other black entry would punch a hole in the shape.
TEST(Assets, FramesUseBlackOnlyForTheBackground) {
  for (int f = 0; f < 9; ++f) {
    const Bmp bmp = LoadBmp("frame" + std::to_string(f) + ".bmp");
    for (size_t i = 1; i < bmp.palette.size(); ++i) EXPECT_FALSE(bmp.palette[i].Black()) << "frame " << f << " entry " << i;
  }
}

TEST(Assets, StreamMaskIsBlackExactlyUnderTheWater) {
  const Bmp sheet = LoadBmp("stream_sheet.bmp"), mask = LoadBmp("stream_mask.bmp");
  ASSERT_EQ(sheet.index.size(), mask.index.size());
  ASSERT_FALSE(sheet.index.empty());
  for (int y = 0; y < sheet.height; ++y)
    for (int x = 0; x < sheet.width; ++x)
      ASSERT_EQ(mask.Colour(x, y).Black(), !sheet.Colour(x, y).Black()) << "x " << x << " y " << y;
}

// The stream is blitted at window x 30 over the frame of its row: water over a black frame
// pixel would be clipped away by the window's shape, and wider columns must carry more water.
TEST(Assets, StreamCellsSitOnTheirFrame) {
  const Bmp sheet = LoadBmp("stream_sheet.bmp");
  ASSERT_FALSE(sheet.index.empty());
  for (int f = 0; f < 9; ++f) {
    const Bmp frame = LoadBmp("frame" + std::to_string(f) + ".bmp");
    int previous = 0;
    for (int col = 0; col < 12; ++col) {
      int water = 0;
      for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 18; ++x) {
          if (sheet.Colour(col * 18 + x, f * 48 + y).Black()) continue;
          ++water;
          EXPECT_FALSE(frame.Colour(30 + x, y).Black()) << "frame " << f << " column " << col << " x " << x << " y " << y;
        }
      EXPECT_GT(water, 0) << "frame " << f << " column " << col;
      if (col % 2 == 0) {
        EXPECT_GT(water, previous) << "frame " << f << " column " << col;
        previous = water;
      }
    }
  }
}

struct DropCase {
  int spriteX, width, height;
};
const DropCase DropCases[] = {{0, 2, 2}, {5, 4, 3}, {9, 2, 2}};

TEST(Assets, DropSpritesAndMasksAgree) {
  const Bmp strip = LoadBmp("meter_strip.bmp");
  ASSERT_FALSE(strip.index.empty());
  for (int phase = 0; phase < 2; ++phase)
    for (const DropCase& d : DropCases) {
      int on = 0;
      for (int y = 0; y < d.height; ++y)
        for (int x = 0; x < d.width; ++x) {
          const int sy = 75 + 4 * phase + y;
          const Rgb sprite = strip.Colour(d.spriteX + x, sy), mask = strip.Colour(d.spriteX + 11 + x, sy);
          EXPECT_TRUE(sprite.Black() ? mask.White() : mask.Black()) << "sprite " << d.spriteX << " phase " << phase;
          on += !sprite.Black();
        }
      EXPECT_GE(on, d.width * d.height / 2) << "sprite " << d.spriteX << " phase " << phase;
    }
}

// Bars are copied from the band's top row whatever their height, so they must not show the
// case's half mark; and every band needs its case and four bars.
TEST(Assets, MeterBandsHoldCaseAndBars) {
  const Bmp strip = LoadBmp("meter_strip.bmp");
  ASSERT_FALSE(strip.index.empty());
  for (int band = 0; band < 3; ++band)
    for (int x = 6; x < 24; ++x)
      for (int y = 2; y < 25; ++y)
        EXPECT_EQ(strip.At(x, band * 25 + y), strip.At(x, band * 25 + 1)) << "band " << band << " x " << x << " y " << y;
}

// A bar drawn over the case must keep the case's frame on its outer columns, and the filled
// part must not look like the empty one; the case shows its half mark on row 12.
struct BarCase {
  int x0, width;
  bool frameLeft, frameRight;
};
const BarCase BarCases[] = {{6, 3, true, false}, {9, 3, false, true}, {12, 6, true, true}, {18, 6, true, true}};

TEST(Assets, MeterBarsKeepTheCaseOutline) {
  const Bmp strip = LoadBmp("meter_strip.bmp");
  ASSERT_FALSE(strip.index.empty());
  for (int band = 0; band < 3; ++band) {
    const int row = band * 25 + 5;
    const uint8_t frame = strip.At(0, row), hollow = strip.At(2, row);
    EXPECT_EQ(strip.At(5, row), frame);
    EXPECT_NE(strip.At(1, band * 25 + 12), hollow) << "band " << band << ": no half mark";
    for (const BarCase& b : BarCases) {
      EXPECT_EQ(strip.At(b.x0, row) == frame, b.frameLeft) << "band " << band << " bar " << b.x0;
      EXPECT_EQ(strip.At(b.x0 + b.width - 1, row) == frame, b.frameRight) << "band " << band << " bar " << b.x0;
      EXPECT_NE(strip.At(b.x0 + 1, row), hollow) << "band " << band << " bar " << b.x0;
    }
  }
}

// The two columns of a pair alternate on every paint: they must differ or nothing shimmers.
TEST(Assets, StreamPhasesDiffer) {
  const Bmp sheet = LoadBmp("stream_sheet.bmp");
  ASSERT_FALSE(sheet.index.empty());
  for (int f = 0; f < 9; ++f)
    for (int pair = 0; pair < 6; ++pair) {
      int differ = 0;
      for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 18; ++x)
          differ += sheet.At(pair * 36 + x, f * 48 + y) != sheet.At(pair * 36 + 18 + x, f * 48 + y);
      EXPECT_GT(differ, 0) << "frame " << f << " pair " << pair;
    }
}

// Each icon and cursor file carries one 16-colour image for each size Windows asks for at
// the common DPIs, each drawn for its size; cursors keep their hot spot on the drawing.
struct IconCase {
  const char* name;
  int type;  // 1 icon, 2 cursor
  int count, sizes[4], hot[4][2];
};
const IconCase IconCases[] = {
    {"about.ico", 1, 3, {32, 48, 64}, {}},
    {"tray_tipping.ico", 1, 4, {16, 20, 24, 32}, {}},
    {"tray.ico", 1, 4, {16, 20, 24, 32}, {}},
    {"ladle.cur", 2, 3, {32, 48, 64}, {{0, 10}, {0, 15}, {0, 20}}},
    {"ladle_pouring.cur", 2, 3, {32, 48, 64}, {{4, 26}, {6, 39}, {8, 52}}},
    {"hand.cur", 2, 3, {32, 48, 64}, {{8, 20}, {12, 30}, {16, 40}}},
};

struct IconPicture {
  int size = 0, hotX = 0, hotY = 0;
  std::vector<Rgb> palette;
  std::vector<uint8_t> index, opaque;  // top row first
};

// Reads the directory and every image, checking the layout the resource compiler relies on:
// entries and images in the same order, packed one after another, rows padded to 32 bits.
std::vector<IconPicture> LoadIcons(const std::vector<uint8_t>& b, int type) {
  std::vector<IconPicture> images;
  if (b.size() < 6 || U16(b, 0) != 0 || U16(b, 2) != static_cast<uint32_t>(type)) return images;
  const size_t count = U16(b, 4);
  size_t next = 6 + 16 * count;
  for (size_t i = 0; i < count; ++i) {
    const size_t e = 6 + 16 * i;
    IconPicture p;
    p.size = b[e];
    p.hotX = static_cast<int>(U16(b, e + 4));
    p.hotY = static_cast<int>(U16(b, e + 6));
    const uint32_t bytes = U32(b, e + 8), at = U32(b, e + 12);
    const uint32_t n = static_cast<uint32_t>(p.size);
    const uint32_t xorStride = (n * 4 + 31) / 32 * 4, andStride = (n + 31) / 32 * 4;
    EXPECT_EQ(b[e + 1], p.size);
    EXPECT_EQ(b[e + 2], 16);
    if (at != next || bytes != 40 + 64 + (xorStride + andStride) * n || at + bytes > b.size()) return {};
    next = at + bytes;
    EXPECT_EQ(U32(b, at + 4), n);
    EXPECT_EQ(U32(b, at + 8), 2 * n);
    EXPECT_EQ(U16(b, at + 14), 4u);
    for (size_t c = at + 40; c < at + 104; c += 4) p.palette.push_back(Rgb{b[c + 2], b[c + 1], b[c]});
    const size_t xorAt = at + 104, andAt = xorAt + xorStride * n;
    for (uint32_t y = 0; y < n; ++y)
      for (uint32_t x = 0; x < n; ++x) {
        const uint8_t pair = b[xorAt + (n - 1 - y) * xorStride + x / 2];
        p.index.push_back(x % 2 ? pair & 0x0F : pair >> 4);
        p.opaque.push_back((b[andAt + (n - 1 - y) * andStride + x / 8] & (0x80 >> (x % 8))) == 0);
      }
    images.push_back(p);
  }
  EXPECT_EQ(next, b.size());
  return images;
}

TEST(Assets, IconsAndCursorsCarryEverySizeInAscendingOrder) {
  for (const IconCase& c : IconCases) {
    SCOPED_TRACE(c.name);
    const std::vector<IconPicture> images = LoadIcons(ReadRes(c.name), c.type);
    ASSERT_EQ(static_cast<int>(images.size()), c.count);
    for (int i = 0; i < c.count; ++i) {
      EXPECT_EQ(images[i].size, c.sizes[i]);
      if (c.type == 2) {
        EXPECT_EQ(images[i].hotX, c.hot[i][0]) << c.sizes[i];
        EXPECT_EQ(images[i].hotY, c.hot[i][1]) << c.sizes[i];
      }
    }
  }
}

// Where the AND mask lets the screen through, the XOR image must be black or it inverts the
// screen there; and every size shows the same picture: about as much of the square covered,
// in about the same colours.
TEST(Assets, EverySizeShowsTheSamePicture) {
  for (const IconCase& c : IconCases) {
    SCOPED_TRACE(c.name);
    const std::vector<IconPicture> images = LoadIcons(ReadRes(c.name), c.type);
    ASSERT_EQ(static_cast<int>(images.size()), c.count);
    double firstCover = 0, firstMean[3] = {};
    for (const IconPicture& p : images) {
      EXPECT_TRUE(p.palette[0].Black()) << p.size;
      int covered = 0, coloured = 0;
      double mean[3] = {};
      for (size_t i = 0; i < p.index.size(); ++i) {
        if (!p.opaque[i]) {
          ASSERT_EQ(p.index[i], 0) << p.size << " pixel " << i;
          continue;
        }
        ++covered;
        const Rgb k = p.palette[p.index[i]];
        if (k.Black()) continue;  // a cursor's outline keeps one or two pixels at every size
        ++coloured;
        mean[0] += k.r, mean[1] += k.g, mean[2] += k.b;
      }
      ASSERT_GT(coloured, 0) << p.size;
      const double cover = static_cast<double>(covered) / p.index.size();
      if (&p == &images[0]) {
        firstCover = cover;
        for (int k = 0; k < 3; ++k) firstMean[k] = mean[k] / coloured;
      }
      EXPECT_NEAR(cover, firstCover, 0.05) << p.size;
      for (int k = 0; k < 3; ++k)
        EXPECT_NEAR(mean[k] / coloured, firstMean[k], 16.0) << p.size << " channel " << k;
    }
  }
}

struct WaveCase {
  const char* name;
  uint32_t dataBytes;
  bool loops;
};
const WaveCase WaveCases[] = {
    {"strike.wav", 218028, false}, {"echo.wav", 55596, false},     {"spill.wav", 41216, false},
    {"water_a.wav", 242784, true}, {"water_b.wav", 278190, true},
};

// The hot spot is where the click lands: it must be on the drawing, not in thin air.
TEST(Assets, CursorHotSpotsTouchTheDrawing) {
  for (const IconCase& c : IconCases) {
    if (c.type != 2) continue;
    SCOPED_TRACE(c.name);
    for (const IconPicture& p : LoadIcons(ReadRes(c.name), c.type)) {
      auto opaque = [&](int x, int y) {
        return x >= 0 && y >= 0 && x < p.size && y < p.size && p.opaque[y * p.size + x];
      };
      bool near = false;
      for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) near = near || opaque(p.hotX + dx, p.hotY + dy);
      EXPECT_TRUE(near) << p.size;
    }
  }
}

std::vector<int> Samples(const std::vector<uint8_t>& b) {
  std::vector<int> s;
  for (size_t i = 44; i + 1 < b.size(); i += 2) s.push_back(static_cast<int16_t>(U16(b, i)));
  return s;
}

TEST(Assets, WavesArePcmMono22kHz16Bit) {
  for (const WaveCase& c : WaveCases) {
    SCOPED_TRACE(c.name);
    const std::vector<uint8_t> b = ReadRes(c.name);
    ASSERT_EQ(b.size(), 44u + c.dataBytes);
    EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "RIFF");
    EXPECT_EQ(U32(b, 4), 36 + c.dataBytes);
    EXPECT_EQ(std::string(b.begin() + 8, b.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(U32(b, 16), 16u);
    EXPECT_EQ(U16(b, 20), 1u);
    EXPECT_EQ(U16(b, 22), 1u);
    EXPECT_EQ(U32(b, 24), 22050u);
    EXPECT_EQ(U32(b, 28), 44100u);
    EXPECT_EQ(U16(b, 32), 2u);
    EXPECT_EQ(U16(b, 34), 16u);
    EXPECT_EQ(std::string(b.begin() + 36, b.begin() + 40), "data");
    EXPECT_EQ(U32(b, 40), c.dataBytes);
  }
}

TEST(Assets, WavesStayBelowFullScaleAndJoinCleanly) {
  for (const WaveCase& c : WaveCases) {
    SCOPED_TRACE(c.name);
    const std::vector<int> s = Samples(ReadRes(c.name));
    ASSERT_EQ(s.size(), c.dataBytes / 2);
    int peak = 0;
    std::vector<int> steps;
    for (size_t i = 0; i < s.size(); ++i) {
      peak = std::max(peak, std::abs(s[i]));
      if (i > 0) steps.push_back(std::abs(s[i] - s[i - 1]));
    }
    EXPECT_LT(peak, 32000);
    EXPECT_GT(peak, 3000);  // not silent either
    std::sort(steps.begin(), steps.end());
    const int typicalStep = steps[steps.size() * 9 / 10];
    if (c.loops) {
      // The loop's end runs into its start as smoothly as any two neighbouring samples.
      EXPECT_LE(std::abs(s.front() - s.back()), typicalStep);
    } else {
      // A one-shot starts and ends at rest, so it does not click on or off.
      EXPECT_LT(std::abs(s.front()), 200);
      EXPECT_LT(std::abs(s.back()), 200);
    }
  }
}

// The loudest 50 ms of a sound, as an RMS level in dB of full scale.
double LoudestDb(const std::vector<int>& s) {
  const size_t w = 1102;
  double sum = 0, best = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    sum += double(s[i]) * s[i];
    if (i >= w) sum -= double(s[i - w]) * s[i - w];
    best = std::max(best, sum);
  }
  return 10.0 * std::log10(best / w / (32768.0 * 32768.0));
}

TEST(Assets, OneShotsAreComparablyLoudAndCentred) {
  std::vector<double> levels;
  for (const WaveCase& c : WaveCases) {
    SCOPED_TRACE(c.name);
    const std::vector<int> s = Samples(ReadRes(c.name));
    ASSERT_FALSE(s.empty());
    double mean = 0;
    for (int v : s) mean += v;
    EXPECT_LT(std::abs(mean / s.size()), 30.0);  // no DC offset to thump on start and stop
    if (!c.loops) levels.push_back(LoudestDb(s));
  }
  ASSERT_EQ(levels.size(), 3u);
  const double loudest = *std::max_element(levels.begin(), levels.end());
  for (double l : levels) {
    EXPECT_GT(l, loudest - 8.0);
    EXPECT_GT(l, -30.0);
  }
}

// Played together, the two loops must not be one sound twice (they would comb and phase).
TEST(Assets, WaterLoopsAreUnlike) {
  const std::vector<int> a = Samples(ReadRes("water_a.wav")), b = Samples(ReadRes("water_b.wav"));
  ASSERT_FALSE(a.empty());
  ASSERT_NE(a.size(), b.size());
  double ab = 0, aa = 0, bb = 0;
  for (size_t i = 0; i < std::min(a.size(), b.size()); ++i) {
    ab += double(a[i]) * b[i];
    aa += double(a[i]) * a[i];
    bb += double(b[i]) * b[i];
  }
  EXPECT_LT(std::fabs(ab) / std::sqrt(aa * bb), 0.1);
}

}  // namespace
