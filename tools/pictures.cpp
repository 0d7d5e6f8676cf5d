// The pictures: nine frames of the sozu, the stream sheet and mask, the meter strip, the
// icons and the cursors, all drawn from geometry sampled at continuous coordinates.
#include <cmath>
#include <cstdio>
#include <string>

#include "tools/assetgen.h"

namespace assetgen {
namespace {

// ---------------------------------------------------------------- the frame palette ----
// Entry 0 is the black background; every other entry belongs to one shading ramp.
enum RampId { Rock, Moss, Tube, Post, Earth, Water, Inside, RampCount };
struct RampSpec {
  int count;
  Rgb dark, mid, light;
};
constexpr RampSpec Ramps[RampCount] = {
    {10, {38, 38, 42}, {104, 100, 94}, {196, 190, 172}},   // weathered grey rock
    {9, {22, 44, 20}, {74, 110, 40}, {176, 204, 96}},      // moss
    {10, {18, 58, 26}, {62, 138, 52}, {196, 232, 132}},    // fresh green bamboo
    {8, {62, 44, 22}, {150, 118, 62}, {232, 214, 150}},    // aged bamboo of the post
    {7, {48, 30, 18}, {110, 76, 44}, {176, 140, 96}},      // earth
    {8, {26, 60, 110}, {76, 146, 206}, {240, 250, 255}},   // water
    {3, {30, 26, 14}, {62, 54, 28}, {100, 88, 48}},        // inside of a cut bamboo
};

int RampBase(int ramp) {
  int base = 1;
  for (int i = 0; i < ramp; ++i) base += Ramps[i].count;
  return base;
}

uint8_t Lerp8(uint8_t a, uint8_t b, double t) {
  return static_cast<uint8_t>(std::floor(a + (b - a) * t + 0.5));
}

Rgb Mix(Rgb a, Rgb b, double t) { return Rgb{Lerp8(a.r, b.r, t), Lerp8(a.g, b.g, t), Lerp8(a.b, b.b, t)}; }

std::vector<Rgb> FramePalette() {
  std::vector<Rgb> pal{Rgb{0, 0, 0}};
  for (const RampSpec& r : Ramps) {
    for (int i = 0; i < r.count; ++i) {
      const double t = static_cast<double>(i) / (r.count - 1);
      pal.push_back(t < 0.5 ? Mix(r.dark, r.mid, t * 2.0) : Mix(r.mid, r.light, t * 2.0 - 1.0));
    }
  }
  // The rest of the 64 entries: a warm grey ramp that no frame needs but keeps the count.
  while (pal.size() < 64) {
    const double t = static_cast<double>(pal.size() - 50) / 14.0;
    pal.push_back(Mix(Rgb{70, 66, 60}, Rgb{220, 214, 204}, Clamp(t, 0.0, 1.0)));
  }
  return pal;
}

// Picks the ramp entry for a shading level in [0, 1].
int Shade(int ramp, double level) {
  const int n = Ramps[ramp].count;
  const int i = static_cast<int>(std::floor(Clamp(level, 0.0, 0.999) * n));
  return RampBase(ramp) + i;
}

// ---------------------------------------------------------------- scene geometry ----
// Window coordinates; a pixel (x, y) is sampled at its centre (x + 0.5, y + 0.5).
constexpr double PivotX = 21.0, PivotY = 17.5;      // the axle, above the meter case
constexpr double TubeRadius = 3.2;
constexpr double ButtLength = 17.0, MouthLength = 21.0, MouthCut = 5.0, NodeAt = 7.0;
// The tipped angle is as far as the mouth can go and still catch the stream.
constexpr double RestDegrees = -20.0, TippedDegrees = 26.0;
constexpr double PostLeft = 18.0, PostRight = 24.0, PostTop = 10.0;  // under the meter case
constexpr double GroundTop = 46.0;
constexpr double SpoutTipX = 36.8, SpoutY = 3.4, SpoutRadius = 2.3;
constexpr uint32_t RockSeed = 0x51a7e, MossSeed = 0x3055, EarthSeed = 0xea27;

double TubeAngle(int frame) {
  const double deg = frame <= 4 ? RestDegrees * (4 - frame) / 4.0 : TippedDegrees * (frame - 4) / 4.0;
  return deg * Pi / 180.0;
}

struct Blob {
  double cx, cy, rx, ry;
};
// The big rock behind everything on the right, and the stone the butt strikes.
const Blob RockBlobs[] = {
    {36.0, 21.0, 13.0, 17.5}, {42.5, 9.0, 8.0, 9.0}, {42.0, 33.0, 9.0, 14.0},
    {29.5, 36.0, 7.5, 11.0},  {47.0, 22.0, 4.0, 12.0},
};
const Blob StoneBlobs[] = {{6.0, 36.5, 8.5, 10.8}, {13.0, 42.5, 4.5, 5.0}};
// A knob of rock in front of the spout, so the pipe comes out of the rock.
const Blob SpoutCover = {47.5, 6.0, 3.6, 5.2};

double BlobHeight(const Blob& b, double x, double y) {
  const double dx = (x - b.cx) / b.rx, dy = (y - b.cy) / b.ry;
  return 1.0 - dx * dx - dy * dy;
}

// The blobs melt into one another (a smooth maximum), so a rock reads as one mass with
// bulges rather than a heap of separate balls.
template <size_t N>
double DomeZ(const Blob (&blobs)[N], double x, double y) {
  constexpr double Blend = 0.35, Height = 9.0;
  double field = -10.0;
  for (const Blob& b : blobs) {
    const double h = BlobHeight(b, x, y);
    const double k = Clamp((Blend - std::fabs(field - h)) / Blend, 0.0, 1.0);
    field = std::fmax(field, h) + k * k * Blend / 4.0;
  }
  return field > 0 ? std::sqrt(field) * Height : -1.0;
}

// Lambert shading of a dome field, lit from the upper left and a little from the front.
template <size_t N>
double DomeLight(const Blob (&blobs)[N], double x, double y, double* normalY) {
  const double e = 0.5;
  const double zx = DomeZ(blobs, x + e, y) - DomeZ(blobs, x - e, y);
  const double zy = DomeZ(blobs, x, y + e) - DomeZ(blobs, x, y - e);
  double nx = -zx, ny = -zy, nz = 2.0 * e;
  const double len = std::sqrt(nx * nx + ny * ny + nz * nz);
  nx /= len;
  ny /= len;
  nz /= len;
  if (normalY) *normalY = ny;
  const double lx = -0.52, ly = -0.62, lz = 0.59;
  return Clamp(nx * lx + ny * ly + nz * lz, 0.0, 1.0);
}

template <size_t N>
int StoneShade(const Blob (&blobs)[N], double x, double y, uint32_t seed, double mossBias) {
  if (DomeZ(blobs, x, y) < 0) return 0;
  double ny = 0;
  double level = 0.12 + 0.85 * DomeLight(blobs, x, y, &ny);
  level += (Fbm(x * 0.3, y * 0.3, seed) - 0.5) * 0.5;
    // Pits and fissures: where a fine noise runs through its middle value.
  if (std::fabs(ValueNoise(x * 0.3, y * 0.45, seed + 3) - 0.5) < 0.018) level -= 0.25;
  const double moss = -ny * 0.8 + (Fbm(x * 0.22, y * 0.22, seed ^ MossSeed) - 0.5) * 3.0 + mossBias;
  if (moss > 0.45) return Shade(Moss, level * 0.9 + 0.1);
  return Shade(Rock, level);
}

int RockShade(double x, double y) { return StoneShade(RockBlobs, x, y, RockSeed, 0.1 - y * 0.012); }

struct TubeFrame {
  double cx, cy, dx, dy;  // pivot and axis direction
};

TubeFrame TubeAxes(int frame) {
  const double a = TubeAngle(frame);
  return TubeFrame{PivotX, PivotY, Cos(a), Sin(a)};
}

// Returns the palette index of the tube at (x, y), or 0 when the point is off the tube.
int TubeShade(const TubeFrame& t, double x, double y) {
  const double px = x - t.cx, py = y - t.cy;
  const double u = px * t.dx + py * t.dy;   // along the tube, mouth positive
  const double v = -px * t.dy + py * t.dx;  // across it, underside positive
  if (v < -TubeRadius || v > TubeRadius || u < -ButtLength) return 0;
  const double across = (v + TubeRadius) / (2.0 * TubeRadius);  // 0 top, 1 underside
  const double cut = MouthLength - MouthCut * (1.0 - across);   // the slanted mouth
  if (u > cut) return 0;
  if (u < -ButtLength + 0.8 && (across < 0.12 || across > 0.88)) return 0;  // rounded butt
  if (u > cut - 1.5) return across < 0.62 ? Shade(Inside, 0.25 + across) : Shade(Post, 0.9);
  double level = 0.95 - 0.8 * across;
  if (across > 0.12 && across < 0.34) level += 0.25;  // the glossy stripe on top
  if (u < -ButtLength + 1.2) level -= 0.25;          // the closed butt, a node
  if (u > NodeAt - 0.6 && u < NodeAt + 0.6) level += 0.22;
  if (u >= NodeAt + 0.6 && u < NodeAt + 1.4) level -= 0.3;
  return Shade(Tube, level);
}

int PostShade(double x, double y) {
  if (x < PostLeft || x >= PostRight || y < PostTop || y >= GroundTop) return 0;
  const double t = (x - (PostLeft + PostRight) / 2.0) / ((PostRight - PostLeft) / 2.0);
  if (y < PostTop + 1.0) return (t < -0.6 || t > 0.6) ? Shade(Post, 0.85) : Shade(Inside, 0.2);
  double level = 0.72 - 0.45 * t - 0.25 * t * t;
  const double node[] = {27.0, 38.0};
  for (double n : node) {
    if (y >= n && y < n + 1.0) level += 0.25;
    if (y >= n + 1.0 && y < n + 2.0) level -= 0.3;
  }
  level += (ValueNoise(x * 0.6, y * 0.15, 77) - 0.5) * 0.15;
  return Shade(Post, level);
}

int PegShade(const TubeFrame& t, double x, double y) {
  const double dx = x - t.cx, dy = y - t.cy;
  if (dx * dx + dy * dy > 1.75 * 1.75) return 0;
  return (dx + dy < -0.9) ? Shade(Earth, 0.95) : Shade(Earth, 0.1);
}

int SpoutShade(double x, double y) {
  const double v = y - SpoutY;
  if (x < SpoutTipX || v < -SpoutRadius || v > SpoutRadius) return 0;
  const double across = (v + SpoutRadius) / (2.0 * SpoutRadius);
  if (x < SpoutTipX + 1.0) return across > 0.25 && across < 0.8 ? Shade(Inside, 0.1) : Shade(Post, 0.8);
  double level = 0.9 - 0.75 * across;
  if (across > 0.1 && across < 0.35) level += 0.25;
  if (x >= 42.0 && x < 43.0) level += 0.2;
  return Shade(Tube, level);
}

int GroundShade(double x, double y) {
  if (y < GroundTop) return 0;
  double level = (y < GroundTop + 1.0 ? 0.62 : 0.4) + (Fbm(x * 0.5, y * 0.9, EarthSeed) - 0.5) * 0.7;
  if (ValueNoise(x * 0.9, y * 1.3, EarthSeed + 9) > 0.82) level += 0.35;  // a pebble
  return Shade(Earth, level);
}

// ---------------------------------------------------------------- water in the frames ----
struct WaterDot {
  int x, y;
  double level;
};

// Drops thrown up as the tube leaves rest, and the spill from the mouth while it tips.
std::vector<WaterDot> FrameWater(int frame) {
  std::vector<WaterDot> dots;
  const TubeFrame t = TubeAxes(frame);
  const double nx = -t.dy, ny = t.dx;  // towards the underside
  // The upper lip of the slanted mouth and the lower lip at its tip.
  const double ux = t.cx + (MouthLength - MouthCut) * t.dx - TubeRadius * nx;
  const double uy = t.cy + (MouthLength - MouthCut) * t.dy - TubeRadius * ny;
  const double lx = t.cx + MouthLength * t.dx + TubeRadius * nx;
  const double ly = t.cy + MouthLength * t.dy + TubeRadius * ny;
  Prng rng(0x5a1a5u + static_cast<uint32_t>(frame) * 7919u);
  auto add = [&](double x, double y, double level) {
    dots.push_back(WaterDot{static_cast<int>(std::floor(x)), static_cast<int>(std::floor(y)), level});
  };
  if (frame == 1) {  // the jolt of the first movement throws a few drops out of the mouth
    add(ux + 2.0, uy - 2.5, 0.9);
    add(ux + 4.5, uy - 1.2, 0.75);
    add(ux + 0.5, uy - 4.0, 0.6);
  }
  if (frame == 4) {  // water reaches the lip and starts to splash over it
    add(lx + 1.0, ly - 1.0, 0.9);
    add(lx + 2.0, ly - 2.5, 0.7);
    add(lx + 0.5, ly + 1.0, 0.8);
    add(lx + 2.5, ly + 0.5, 0.6);
  }
  if (frame == 5) {  // the first water runs over the lower lip
    for (int i = 0; i < 4; ++i) add(lx, ly + i, 0.8 - 0.1 * i);
    add(lx + 1.5, ly + 6.0, 0.7);
    add(lx - 0.5, ly + 9.0, 0.6);
  }
  if (frame >= 6) {  // a sheet of water pours off the lower lip and splashes on the ground
    const int thickness = frame == 8 ? 3 : 2;
    const double out = 0.25 + 0.1 * (frame - 6);
    for (double y = ly; y < GroundTop - 0.5; y += 1.0) {
      const double fall = y - ly;
      const double x = lx - 0.5 + out * std::sqrt(fall * 4.0);
      for (int k = 0; k < thickness; ++k) {
        const double shimmer = ValueNoise(k * 3.0, y * 0.8, 300 + frame);
        add(x + k, y, k == 0 ? 0.55 + shimmer * 0.4 : 0.35 + shimmer * 0.35);
      }
    }
    const double impactX = lx - 0.5 + out * std::sqrt((GroundTop - 1.0 - ly) * 4.0);
    const int spray = frame * 3 - 12;
    for (int i = 0; i < spray; ++i) {
      const double sx = impactX + rng.Signed() * (1.5 + 0.8 * (frame - 6)) + 0.5;
      const double sy = GroundTop - 1.0 - rng.Unit() * (1.0 + 1.5 * (frame - 6));
      add(sx, sy, 0.7 + rng.Unit() * 0.3);
    }
    add(impactX - 1.0, GroundTop - 1.0, 0.95);
    add(impactX + thickness, GroundTop - 1.0, 0.95);
  }
  return dots;
}

int SceneIndex(int frame, const std::vector<WaterDot>& water, double x, double y) {
  const int ix = static_cast<int>(std::floor(x)), iy = static_cast<int>(std::floor(y));
  for (const WaterDot& d : water)
    if (d.x == ix && d.y == iy) return Shade(Water, d.level);
  const TubeFrame t = TubeAxes(frame);
  if (int c = PegShade(t, x, y)) return c;
  if (int c = TubeShade(t, x, y)) return c;
  if (int c = PostShade(x, y)) return c;
  if (BlobHeight(SpoutCover, x, y) > 0) return RockShade(x, y) ? RockShade(x, y) : Shade(Rock, 0.5);
  if (int c = SpoutShade(x, y)) return c;
  if (int c = GroundShade(x, y)) return c;
  if (int c = StoneShade(StoneBlobs, x, y, RockSeed + 5, 0.25)) return c;
  return RockShade(x, y);
}

// What stops the stream: the tube and the ground (drops thrown about do not).
bool StopsStream(int frame, int x, int y) {
  if (y >= GroundTop) return true;
  return TubeShade(TubeAxes(frame), x + 0.5, y + 0.5) != 0;
}

// ---------------------------------------------------------------- 16-colour quantising ----
struct Sample {
  double r, g, b;
};

// Deterministic k-means over the opaque pixels; entry 0 stays black for transparency.
std::vector<Rgb> FitPalette16(const std::vector<Sample>& px, const std::vector<uint8_t>& opaque) {
  std::vector<Sample> pts;
  for (size_t i = 0; i < px.size(); ++i)
    if (opaque[i]) pts.push_back(px[i]);
  std::vector<Sample> centre;
  for (int k = 0; k < 15 && !pts.empty(); ++k) {  // farthest-point start
    size_t pick = 0;
    double bestD = -1;
    for (size_t i = 0; i < pts.size(); ++i) {
      double d = 1e30;
      for (const Sample& c : centre) {
        const double dr = pts[i].r - c.r, dg = pts[i].g - c.g, db = pts[i].b - c.b;
        d = std::fmin(d, dr * dr + dg * dg + db * db);
      }
      if (centre.empty()) d = pts[i].r + pts[i].g + pts[i].b;
      if (d > bestD) {
        bestD = d;
        pick = i;
      }
    }
    centre.push_back(pts[pick]);
  }
  for (int iter = 0; iter < 12; ++iter) {
    std::vector<Sample> sum(centre.size(), Sample{0, 0, 0});
    std::vector<int> count(centre.size(), 0);
    for (const Sample& p : pts) {
      size_t best = 0;
      double bestD = 1e30;
      for (size_t c = 0; c < centre.size(); ++c) {
        const double dr = p.r - centre[c].r, dg = p.g - centre[c].g, db = p.b - centre[c].b;
        const double d = dr * dr + dg * dg + db * db;
        if (d < bestD) {
          bestD = d;
          best = c;
        }
      }
      sum[best].r += p.r;
      sum[best].g += p.g;
      sum[best].b += p.b;
      ++count[best];
    }
    for (size_t c = 0; c < centre.size(); ++c)
      if (count[c]) centre[c] = Sample{sum[c].r / count[c], sum[c].g / count[c], sum[c].b / count[c]};
  }
  std::vector<Rgb> pal{Rgb{0, 0, 0}};
  for (const Sample& c : centre) {
    Rgb q{static_cast<uint8_t>(Clamp(std::floor(c.r + 0.5), 0, 255)),
          static_cast<uint8_t>(Clamp(std::floor(c.g + 0.5), 0, 255)),
          static_cast<uint8_t>(Clamp(std::floor(c.b + 0.5), 0, 255))};
    pal.push_back(q);
  }
  while (pal.size() < 16) pal.push_back(Rgb{128, 128, 128});
  return pal;
}

IconImage Quantise(int size, const std::vector<Sample>& px, const std::vector<uint8_t>& opaque,
                   std::vector<Rgb> palette) {
  IconImage icon;
  icon.size = size;
  icon.palette = palette;
  icon.opaque = opaque;
  icon.pixels.assign(px.size(), 0);
  for (size_t i = 0; i < px.size(); ++i) {
    if (!opaque[i]) continue;
    int best = 0;
    double bestD = 1e30;
    for (size_t c = 0; c < palette.size(); ++c) {
      const double dr = px[i].r - palette[c].r, dg = px[i].g - palette[c].g, db = px[i].b - palette[c].b;
      const double d = dr * dr + dg * dg + db * db;
      if (d < bestD) {
        bestD = d;
        best = static_cast<int>(c);
      }
    }
    icon.pixels[i] = static_cast<uint8_t>(best);
  }
  return icon;
}


}  // namespace

// ---------------------------------------------------------------- frames ----
IndexedImage MakeFrame(int frame) {
  IndexedImage image(FrameSide, FrameSide, FramePalette());
  const std::vector<WaterDot> water = FrameWater(frame);
  for (int y = 0; y < FrameSide; ++y)
    for (int x = 0; x < FrameSide; ++x) image.At(x, y) = static_cast<uint8_t>(SceneIndex(frame, water, x + 0.5, y + 0.5));
  return image;
}

// ---------------------------------------------------------------- stream ----
constexpr int StreamCellW = 18, StreamCellH = 48, StreamLeft = 30, StreamTopY = 4;
constexpr int StreamWidths[6] = {1, 2, 3, 4, 5, 6};
constexpr int SheetBlack = 15;

IndexedImage MakeStreamSheet(const std::vector<IndexedImage>& frames) {
  std::vector<Rgb> pal;
  for (int i = 0; i < 15; ++i) {
    const double t = i / 14.0;
    pal.push_back(t < 0.6 ? Mix(Rgb{24, 64, 120}, Rgb{96, 168, 222}, t / 0.6)
                          : Mix(Rgb{96, 168, 222}, Rgb{244, 252, 255}, (t - 0.6) / 0.4));
  }
  pal.push_back(Rgb{0, 0, 0});
  IndexedImage sheet(StreamCellW * 12, StreamCellH * FrameCount, pal);
  for (uint8_t& p : sheet.pixels) p = SheetBlack;
  for (int f = 0; f < FrameCount; ++f) {
    for (int col = 0; col < 12; ++col) {
      const int w = StreamWidths[col / 2], phase = col % 2;
      const int left = 37 - (w - 1) / 2;  // window x of the stream's left edge, under the spout's lip
      for (int k = 0; k < w; ++k) {
        const int wx = left + k;
        int end = StreamTopY;
        while (end < FrameSide && !StopsStream(f, wx, end)) ++end;
        if (end >= FrameSide) end = FrameSide - 1;
        for (int y = StreamTopY; y <= end; ++y) {
          if (frames[f].At(wx, y) == 0) continue;  // nothing would show there
          // Across: darker edges, a bright core; along: ripples that move between phases.
          const double edge = w == 1 ? 0.5 : std::fabs((k + 0.5) / w - 0.5) * 2.0;
          double level = 0.72 - 0.4 * edge;
          const int ripple = (y * 2 + phase * 3 + k) % 7;
          if (ripple == 0) level += 0.28;
          if (ripple == 3) level -= 0.18;
          if (y == end) level = 0.95;
          const int idx = static_cast<int>(Clamp(std::floor(level * 15.0), 0.0, 14.0));
          sheet.At(col * StreamCellW + wx - StreamLeft, f * StreamCellH + y) = static_cast<uint8_t>(idx);
        }
        // A little spray where the stream lands, on alternate sides in the two phases.
        const int side = phase == 0 ? left - 1 : left + w;
        if (k == 0 && end - 1 > StreamTopY && side >= StreamLeft && side < StreamLeft + StreamCellW &&
            frames[f].At(side, end - 1) != 0)
          sheet.At(col * StreamCellW + side - StreamLeft, f * StreamCellH + end - 1) = 13;
      }
    }
  }
  return sheet;
}

IndexedImage MakeStreamMask(const IndexedImage& sheet) {
  // White keeps the frame under SRCAND; black clears it where the water goes.
  IndexedImage mask(sheet.width, sheet.height, {Rgb{255, 255, 255}, Rgb{0, 0, 0}, Rgb{0, 0, 0}});
  for (size_t i = 0; i < sheet.pixels.size(); ++i) mask.pixels[i] = sheet.pixels[i] == SheetBlack ? 0 : 1;
  return mask;
}

// ---------------------------------------------------------------- meter strip ----
IndexedImage MakeMeterStrip() {
  struct Tint {
    Rgb border, hollow, mark, instant[3], cumulative[3];
  };
  const Tint tints[3] = {
      // bright
      {{214, 206, 180}, {92, 98, 92}, {250, 244, 210},
       {{120, 206, 84}, {178, 240, 128}, {234, 255, 196}},
       {{96, 176, 240}, {150, 214, 255}, {226, 246, 255}}},
      // dark
      {{40, 32, 22}, {14, 18, 16}, {120, 110, 80},
       {{26, 78, 28}, {44, 118, 40}, {92, 160, 70}},
       {{20, 48, 104}, {34, 78, 150}, {76, 130, 196}}},
      // standard
      {{98, 72, 42}, {36, 40, 34}, {214, 196, 140},
       {{58, 140, 46}, {96, 188, 70}, {188, 238, 150}},
       {{44, 110, 190}, {82, 158, 228}, {196, 232, 255}}},
  };
  std::vector<Rgb> pal{Rgb{0, 0, 0}, Rgb{255, 255, 255}};
  auto index = [&](Rgb c) -> uint8_t {
    for (size_t i = 0; i < pal.size(); ++i)
      if (pal[i] == c) return static_cast<uint8_t>(i);
    pal.push_back(c);
    return static_cast<uint8_t>(pal.size() - 1);
  };
  IndexedImage strip(24, 83, {});
  for (int band = 0; band < 3; ++band) {
    const Tint& t = tints[band];
    for (int y = 0; y < 25; ++y) {
      const int row = band * 25 + y;
      for (int x = 0; x < 6; ++x) {  // the empty case: a frame, a hollow, a tick at half height
        Rgb c = (x == 0 || x == 5 || y == 0) ? t.border : t.hollow;
        if (y == 12 && (x == 1 || x == 4)) c = t.mark;
        strip.At(x, row) = index(c);
      }
      // Bars: the same on every row but the first, whose lighter line is the water's surface
      // wherever the bar is cut off; the outer columns carry the case's frame.
      auto bar = [&](int x0, int width, const Rgb* ramp, bool frameLeft, bool frameRight) {
        for (int x = 0; x < width; ++x) {
          Rgb c;
          if ((x == 0 && frameLeft) || (x == width - 1 && frameRight)) {
            c = t.border;
          } else {
            const double p = (x + 0.5) / width;  // lit from the left like the post
            c = p < 0.45 ? ramp[1] : ramp[0];
            if (width == 6 && (x == 1)) c = ramp[1];
            if (y == 0) c = ramp[2];
          }
          strip.At(x0 + x, row) = index(c);
        }
      };
      bar(6, 3, t.instant, true, false);
      bar(9, 3, t.cumulative, false, true);
      bar(12, 6, t.instant, true, true);
      bar(18, 6, t.cumulative, true, true);
    }
  }
  // Drop sprites, two phases of four rows: a small round drop, a larger one with a glint,
  // and a second small one; 'a'..'c' are three water shades, '.' is empty.
  const char* sprites[2][4] = {
      {"ab....ab.ab", "bc...abcbbc", "......bc...", "..........."},
      {"ba....ba.ba", "cb...bacbcb", "......cb...", "..........."},
  };
  const Rgb shades[3] = {Rgb{232, 248, 255}, Rgb{130, 190, 236}, Rgb{58, 118, 188}};
  for (int phase = 0; phase < 2; ++phase)
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 11; ++x) {
        const char ch = sprites[phase][y][x];
        const bool on = ch != '.';
        strip.At(x, 75 + phase * 4 + y) = on ? index(shades[ch - 'a']) : 0;
        strip.At(x + 11, 75 + phase * 4 + y) = on ? 0 : 1;  // mask: black on the drop
      }
  while (pal.size() < 132) pal.push_back(Mix(Rgb{0, 0, 0}, Rgb{255, 255, 255}, (pal.size() - 2) / 132.0));
  strip.palette = pal;
  return strip;
}

// ---------------------------------------------------------------- icons ----
IconImage MakeAboutIcon(const IndexedImage& sheet, int size) {
  // The scene drawn at the icon's size, 3x3 samples a pixel, the stream laid over it. The
  // tube and the water win any pixel they cover a third of, and the rock next to the tube is
  // darkened, so that at the small sizes the tube still stands out from the mossy rock.
  constexpr int Sub = 3;
  const int N = size;
  const double unit = static_cast<double>(FrameSide) / N;  // scene pixels an icon pixel
  const int shadow = N / 32;  // rows of shadow under the tube: one at 32 and 48, two at 64
  const std::vector<WaterDot> water = FrameWater(0);
  const std::vector<Rgb> pal = FramePalette();
  const TubeFrame tube = TubeAxes(0);
  std::vector<Sample> px(N * N, Sample{0, 0, 0});
  std::vector<uint8_t> opaque(N * N, 0), front(N * N, 0);
  for (int y = 0; y < N; ++y)
    for (int x = 0; x < N; ++x) {
      Sample all{0, 0, 0}, fore{0, 0, 0};
      int hits = 0, foreHits = 0;
      for (int sy = 0; sy < Sub; ++sy)
        for (int sx = 0; sx < Sub; ++sx) {
          const double fx = (x + (sx + 0.5) / Sub) * unit, fy = (y + (sy + 0.5) / Sub) * unit;
          const int idx = SceneIndex(0, water, fx, fy);
          if (!idx) continue;
          Rgb c = pal[idx];
          bool isFront = TubeShade(tube, fx, fy) != 0 || PegShade(tube, fx, fy) != 0;
          // The stream's ripples are bands one scene pixel tall, as in the window; the
          // sheet holds them for this frame and width, so it is sampled like the scene.
          const int wx = static_cast<int>(fx), wy = static_cast<int>(fy);
          if (wx >= StreamLeft) {
            const uint8_t s = sheet.At(4 * StreamCellW + wx - StreamLeft, wy);
            if (s != SheetBlack) {
              c = sheet.palette[s];
              isFront = true;
            }
          }
          ++hits;
          all.r += c.r, all.g += c.g, all.b += c.b;
          if (isFront) ++foreHits, fore.r += c.r, fore.g += c.g, fore.b += c.b;
        }
      if (hits * 2 <= Sub * Sub) continue;
      opaque[y * N + x] = 1;
      if (foreHits * 3 >= Sub * Sub) {
        px[y * N + x] = Sample{fore.r / foreHits, fore.g / foreHits, fore.b / foreHits};
        front[y * N + x] = 1;
      } else {
        px[y * N + x] = Sample{all.r / hits, all.g / hits, all.b / hits};
      }
    }
  for (int y = 0; y < N; ++y)  // a shadow under the tube, a darker rim over it
    for (int x = 0; x < N; ++x) {
      if (front[y * N + x] || !opaque[y * N + x]) continue;
      bool below = false, above = false;
      for (int d = 1; d <= shadow; ++d) {
        below = below || (y >= d && front[(y - d) * N + x]);
        above = above || (y + d < N && front[(y + d) * N + x]);
      }
      const double k = below ? 0.5 : (above ? 0.7 : 1.0);
      Sample& p = px[y * N + x];
      p = Sample{p.r * k, p.g * k, p.b * k};
    }
  return Quantise(N, px, opaque, FitPalette16(px, opaque));
}

IconImage MakeTrayIcon(bool tipping, int size) {
  // A diagonal tube on a dark rounded square: blue at rest, red while tipping (mouth down).
  // The geometry is laid out on the 16 pixel design and every size samples it on its own
  // pixel grid, so the larger sizes get sharper edges rather than bigger pixels.
  constexpr double Design = 16.0, CornerRadius = 2.0;
  constexpr int Sub = 4;
  const int N = size;
  const double unit = Design / N;  // design units a pixel
  const Rgb groundTop = tipping ? Rgb{120, 24, 20} : Rgb{28, 52, 120};
  const Rgb groundLow = tipping ? Rgb{58, 8, 8} : Rgb{10, 20, 60};  // mixed half and half
  const double a = (tipping ? 32.0 : -32.0) * Pi / 180.0;
  const double dx = Cos(a), dy = Sin(a), cx = 7.6, cy = 8.6, r = 2.4;
  std::vector<Sample> px(N * N);
  std::vector<uint8_t> opaque(N * N, 0);
  for (int y = 0; y < N; ++y)
    for (int x = 0; x < N; ++x) {
      // The rounded corners: a pixel whose centre lies outside the corner's arc stays clear.
      const double ox = Clamp((x + 0.5) * unit, CornerRadius, Design - CornerRadius) - (x + 0.5) * unit;
      const double oy = Clamp((y + 0.5) * unit, CornerRadius, Design - CornerRadius) - (y + 0.5) * unit;
      if (ox * ox + oy * oy > CornerRadius * CornerRadius) continue;
      opaque[y * N + x] = 1;
      Sample sum{0, 0, 0};
      for (int sy = 0; sy < Sub; ++sy)
        for (int sx = 0; sx < Sub; ++sx) {
          const double fx = (x + (sx + 0.5) / Sub) * unit, fy = (y + (sy + 0.5) / Sub) * unit;
          Rgb c = Mix(groundTop, groundLow, 0.5);
          // Water: the stream falling into the mouth at rest, the spill under it while tipping.
          const bool stream = tipping ? (fx >= 12.8 && fx < 13.8 && fy >= 12.5 && fy < 15.0) ||
                                            (fx >= 11.0 && fx < 12.0 && fy >= 14.0 && fy < 15.0)
                                      : (fx >= 12.2 && fx < 13.2 && fy >= 1.0 && fy < 5.0);
          if (stream) c = Rgb{150, 210, 255};
          const double u = (fx - cx) * dx + (fy - cy) * dy, v = -(fx - cx) * dy + (fy - cy) * dx;
          const double across = (v + r) / (2 * r);
          const double cut = 7.6 - 2.6 * (1.0 - across);
          if (v >= -r && v <= r && u >= -7.2 && u <= cut) {
            const Rgb* tube = nullptr;
            static const Rgb greens[4] = {{24, 80, 30}, {60, 140, 50}, {140, 206, 96}, {212, 240, 160}};
            int level = across < 0.3 ? 3 : (across < 0.55 ? 2 : (across < 0.8 ? 1 : 0));
            if (u > -0.8 && u < 0.2) level = level > 0 ? level - 1 : 0;  // the node
            tube = &greens[level];
            c = *tube;
            if (u > cut - 1.1 && across < 0.6) c = Rgb{40, 34, 18};  // the open mouth
          }
          sum.r += c.r;
          sum.g += c.g;
          sum.b += c.b;
        }
      px[y * N + x] = Sample{sum.r / (Sub * Sub), sum.g / (Sub * Sub), sum.b / (Sub * Sub)};
    }
  return Quantise(N, px, opaque, FitPalette16(px, opaque));
}

// ---------------------------------------------------------------- cursors ----
namespace {

constexpr int CursorDesign = 32;  // the cursors' geometry is laid out on 32 pixels

// Cursors are drawn hard-edged and then given a black outline, like the system's own; the
// outline is one pixel up to 48 and two from 64, so it keeps its weight against the drawing.
// The hot spot is given on the 32 pixel design and scaled to the size.
IconImage OutlinedCursor(int size, const std::vector<int>& colour, const std::vector<Rgb>& palette, int hotX,
                         int hotY) {
  const int N = size, outline = size / CursorDesign;
  IconImage icon;
  icon.size = N;
  icon.palette = palette;
  icon.pixels.assign(N * N, 0);
  icon.opaque.assign(N * N, 0);
  for (int y = 0; y < N; ++y)
    for (int x = 0; x < N; ++x) {
      const int c = colour[y * N + x];
      if (c > 0) {
        icon.pixels[y * N + x] = static_cast<uint8_t>(c);
        icon.opaque[y * N + x] = 1;
        continue;
      }
      bool edge = c < 0;  // negative: drawn as black on purpose
      for (int ny = y - outline; ny <= y + outline && !edge; ++ny)
        for (int nx = x - outline; nx <= x + outline && !edge; ++nx) {
          const int d2 = (nx - x) * (nx - x) + (ny - y) * (ny - y);
          if (d2 == 0 || d2 > outline * outline) continue;
          if (nx >= 0 && ny >= 0 && nx < N && ny < N && colour[ny * N + nx] > 0) edge = true;
        }
      if (edge) icon.opaque[y * N + x] = 1;  // black (entry 0) outline
    }
  icon.hotX = hotX * N / CursorDesign;
  icon.hotY = hotY * N / CursorDesign;
  return icon;
}

const std::vector<Rgb> CursorPalette = {
    {0, 0, 0},       {255, 255, 255}, {236, 214, 150}, {200, 166, 96},  {150, 112, 56},
    {98, 70, 34},    {120, 190, 240}, {60, 130, 210},  {252, 220, 184}, {230, 186, 146},
    {192, 142, 106}, {128, 128, 128}, {200, 200, 200}, {64, 64, 64},    {30, 80, 160},
    {255, 250, 230},
};

}  // namespace

IconImage MakeLadleCursor(bool pouring, int size) {
  // A bamboo ladle: a cup with the open side up and a long handle off its right side. In local
  // coordinates the lip, where the hot spot sits, is the origin.
  const int N = size;
  const double unit = static_cast<double>(CursorDesign) / N;
  const double phi = pouring ? 55.0 * Pi / 180.0 : 0.0;
  const double c = Cos(phi), s = Sin(phi);
  const double ox = pouring ? 4.5 : 1.0, oy = pouring ? 26.5 : 10.5;
  // Water leaving the lip: design pixels, each filled whole.
  const int fall[][2] = {{3, 27}, {4, 27}, {3, 28}, {3, 29}, {4, 30}, {3, 31}};
  std::vector<int> colour(N * N, 0);
  for (int y = 0; y < N; ++y)
    for (int x = 0; x < N; ++x) {
      const double px = (x + 0.5) * unit, py = (y + 0.5) * unit;
      const double wx = px - ox, wy = py - oy;
      // Undo the tilt: screen = rotate(local) with the cup's top turning to the left.
      const double lx = wx * c - wy * s, ly = wx * s + wy * c;
      int col = 0;
      if (lx >= 0 && lx < 9.5 && ly >= 0 && ly < 10) {  // the cup
        const double t = lx / 9.5;
        col = t < 0.3 ? 2 : (t < 0.75 ? 3 : 4);
        if (ly < 1.2) col = 15;                                   // the cut rim
        if (ly >= 1.2 && ly < 2.3 && lx > 1 && lx < 8.5) col = pouring ? 6 : 7;  // water inside
        if (ly >= 8.5) col = 5;                                   // the node at the bottom
      }
      if (lx >= 9.5 && lx < 30.5 && ly >= 2.0 + (lx - 9.5) * -0.05 && ly < 4.2 + (lx - 9.5) * -0.05) {
        col = (ly < 3.0 + (lx - 9.5) * -0.05) ? 2 : 4;             // the handle
        if (lx > 20 && lx < 21) col = 5;
      }
      if (pouring)
        for (const auto& p : fall)
          if (px >= p[0] && px < p[0] + 1 && py >= p[1] && py < p[1] + 1) col = 6;
      colour[y * N + x] = col;
    }
  return OutlinedCursor(N, colour, CursorPalette, pouring ? 4 : 0, pouring ? 26 : 10);
}

IconImage MakeHandCursor(int size) {
  // An open right hand, palm towards the viewer, fingers up and the thumb out to the left.
  const int N = size;
  const double unit = static_cast<double>(CursorDesign) / N;
  struct Capsule {
    double x0, y0, x1, y1, r;
  };
  const Capsule parts[] = {
      {10.5, 8.5, 10.5, 18.0, 1.5},   // index
      {14.5, 5.5, 14.5, 18.0, 1.5},   // middle
      {18.5, 7.0, 18.5, 18.0, 1.5},   // ring
      {22.0, 10.5, 22.0, 19.0, 1.2},  // little
      {5.5, 14.0, 10.0, 22.0, 1.6},   // thumb
  };
  std::vector<int> colour(N * N, 0);
  for (int y = 0; y < N; ++y)
    for (int x = 0; x < N; ++x) {
      const double px = (x + 0.5) * unit, py = (y + 0.5) * unit;
      int col = 0;
      if (px >= 9.0 && px < 23.5 && py >= 17.0 && py < 27.0) col = 8;  // the palm
      if (px >= 10.0 && px < 22.0 && py >= 27.0 && py < 31.0) col = 9;  // the wrist
      for (const Capsule& k : parts) {
        const double vx = k.x1 - k.x0, vy = k.y1 - k.y0;
        const double t = Clamp(((px - k.x0) * vx + (py - k.y0) * vy) / (vx * vx + vy * vy), 0.0, 1.0);
        const double dx = px - (k.x0 + vx * t), dy = py - (k.y0 + vy * t);
        if (dx * dx + dy * dy <= k.r * k.r) col = 8;
      }
      if (col == 8 && px > 21.0 && py > 17) col = 9;  // the shaded side of the palm
      // The slits between the fingers stay open, so the outline runs down between them.
      for (double slit : {12.0, 16.0, 20.0})
        if (py >= 5 && py < 17 && px >= slit && px < slit + 1) col = 0;
      if (py >= 21 && py < 22 && px >= 12 && px < 19) col = 10;  // a palm line
      colour[y * N + x] = col;
    }
  return OutlinedCursor(N, colour, CursorPalette, 8, 20);
}

// ---------------------------------------------------------------- mask table ----
std::string MakeMaskSource(const std::vector<IndexedImage>& frames) {
  std::string s =
      "// Made by tools/assetgen from res/frame0.bmp .. frame8.bmp; do not edit by hand.\n"
      "// 0 where a frame's pixel is not black (inside the window's shape), 1 where it is black.\n"
      "#include \"display/frame_masks.h\"\n\n"
      "const uint8_t FrameShapeMasks[9 * 48 * 48] = {\n";
  for (size_t f = 0; f < frames.size(); ++f) {
    s += "    // frame " + std::to_string(f) + "\n";
    for (int y = 0; y < FrameSide; ++y) {
      s += "    ";
      for (int x = 0; x < FrameSide; ++x) {
        s += frames[f].At(x, y) == 0 ? "1," : "0,";
      }
      s += "\n";
    }
  }
  s += "};\n";
  return s;
}

}  // namespace assetgen
