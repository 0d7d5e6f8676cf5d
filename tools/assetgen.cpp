// assetgen: makes every picture and sound of Tsutsuri from code.
//
//   assetgen RES_DIR MASK_DIR [PREVIEW_DIR]
//
// writes the bitmaps, icons, cursors and WAVE files into RES_DIR and the window-shape table
// frame_masks.cpp into MASK_DIR. The output depends on nothing but this code, so running it
// again gives the same bytes (the assets.regenerate test holds the committed files to that).
// With PREVIEW_DIR it also writes preview.bmp: every frame as the window paints it, with the
// stream, the meters and a few drops laid over, for judging the artwork as a whole.
#include <cstdio>
#include <string>
#include <vector>

#include "tools/assetgen.h"

using namespace assetgen;

namespace {

struct SoundFile {
  const char* name;
  size_t dataBytes;
  std::vector<int16_t> (*make)(size_t count);
};

std::vector<int16_t> MakeWaterA(size_t n) { return MakeWater(n, false); }
std::vector<int16_t> MakeWaterB(size_t n) { return MakeWater(n, true); }

const SoundFile Sounds[] = {
    {"strike.wav", 218028, MakeStrike}, {"echo.wav", 55596, MakeEcho},
    {"spill.wav", 41216, MakeSpill},    {"water_a.wav", 242784, MakeWaterA},
    {"water_b.wav", 278190, MakeWaterB},
};

Rgb PaletteColour(const IndexedImage& image, int x, int y) { return image.palette[image.At(x, y)]; }

// Lays the stream cell, the meters and the drops over each frame the way the paint handler
// does (mask AND, sheet OR, meter copies, drop mask AND and sprite OR), one frame per tile,
// every tile enlarged 4 times, with a second row showing the widest stream.
std::vector<uint8_t> MakePreview(const std::vector<IndexedImage>& frames, const IndexedImage& sheet,
                                 const IndexedImage& mask, const IndexedImage& meter) {
  constexpr int Zoom = 4, Tile = FrameSide * Zoom + 4;
  const int width = Tile * FrameCount, height = Tile * 3;
  std::vector<Rgb> out(static_cast<size_t>(width) * height, Rgb{60, 60, 70});
  for (int row = 0; row < 3; ++row) {
    for (int f = 0; f < FrameCount; ++f) {
      std::vector<Rgb> win(FrameSide * FrameSide);
      for (int y = 0; y < FrameSide; ++y)
        for (int x = 0; x < FrameSide; ++x) win[y * FrameSide + x] = PaletteColour(frames[f], x, y);
      const int column = row == 0 ? (f % 2) : (row == 1 ? 10 + f % 2 : 4);
      for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 18; ++x) {
          const int sx = column * 18 + x, sy = f * 48 + y;
          Rgb& d = win[y * FrameSide + 30 + x];
          const Rgb m = PaletteColour(mask, sx, sy), s = PaletteColour(sheet, sx, sy);
          d = Rgb{static_cast<uint8_t>((d.r & m.r) | s.r), static_cast<uint8_t>((d.g & m.g) | s.g),
                  static_cast<uint8_t>((d.b & m.b) | s.b)};
        }
      if (row != 1) {  // meters: both shown, standard tint, instant 70 %, cumulative 40 %
        const int tint = row == 0 ? 2 : (f % 2);
        for (int y = 0; y < 25; ++y)
          for (int x = 0; x < 6; ++x) win[(21 + y) * 48 + 18 + x] = PaletteColour(meter, x, 25 * tint + y);
        const int gaps[2] = {(100 - 70) / 4, (100 - 40) / 4};
        for (int b = 0; b < 2; ++b)
          for (int y = 0; y < 25 - gaps[b]; ++y)
            for (int x = 0; x < 3; ++x)
              win[(21 + gaps[b] + y) * 48 + 18 + 3 * b + x] = PaletteColour(meter, 6 + 3 * b + x, 25 * tint + y);
      }
      const int dropX[3] = {0, 5, 9}, dropW[3] = {2, 4, 2}, dropH[3] = {2, 3, 2};
      for (int d = 0; d < 3; ++d) {  // three drops at different heights
        const int wx = 37 + d, wy = 14 + 11 * d + f % 3, phase = (f + d) % 2;
        for (int y = 0; y < dropH[d]; ++y)
          for (int x = 0; x < dropW[d]; ++x) {
            const Rgb m = PaletteColour(meter, dropX[d] + 11 + x, 75 + 4 * phase + y);
            const Rgb s = PaletteColour(meter, dropX[d] + x, 75 + 4 * phase + y);
            Rgb& p = win[(wy + y) * 48 + wx + x];
            p = Rgb{static_cast<uint8_t>((p.r & m.r) | s.r), static_cast<uint8_t>((p.g & m.g) | s.g),
                    static_cast<uint8_t>((p.b & m.b) | s.b)};
          }
      }
      for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 48; ++x) {
          // The window region hides whatever lies over a black frame pixel.
          const bool inside = frames[f].At(x, y) != 0;
          const Rgb c = inside ? win[y * 48 + x] : Rgb{60, 60, 70};
          for (int zy = 0; zy < Zoom; ++zy)
            for (int zx = 0; zx < Zoom; ++zx)
              out[static_cast<size_t>(row * Tile + 2 + y * Zoom + zy) * width + f * Tile + 2 + x * Zoom + zx] = c;
        }
    }
  }
  return EncodeBmp24(width, height, out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3 || argc > 4) {
    std::fprintf(stderr, "usage: assetgen RES_DIR MASK_DIR [PREVIEW_DIR]\n");
    return 2;
  }
  const std::string res = std::string(argv[1]) + "/";
  const std::string masks = std::string(argv[2]) + "/";
  bool ok = true;
  auto write = [&](const std::string& path, const std::vector<uint8_t>& bytes) {
    if (!WriteFile(path, bytes)) {
      std::fprintf(stderr, "assetgen: cannot write %s\n", path.c_str());
      ok = false;
    }
  };

  std::vector<IndexedImage> frames;
  for (int f = 0; f < FrameCount; ++f) {
    frames.push_back(MakeFrame(f));
    write(res + "frame" + std::to_string(f) + ".bmp", EncodeBmp8(frames.back()));
  }
  const IndexedImage sheet = MakeStreamSheet(frames);
  const IndexedImage mask = MakeStreamMask(sheet);
  const IndexedImage meter = MakeMeterStrip();
  write(res + "stream_sheet.bmp", EncodeBmp8(sheet));
  write(res + "stream_mask.bmp", EncodeBmp8(mask));
  write(res + "meter_strip.bmp", EncodeBmp8(meter));
  const std::string table = MakeMaskSource(frames);
  write(masks + "frame_masks.cpp", std::vector<uint8_t>(table.begin(), table.end()));

  // The sizes Windows asks for: the small icon at 96, 120, 144 and 192 DPI, the large icon
  // and the cursors at 96, 144 and 192 DPI.
  const int traySizes[] = {16, 20, 24, 32}, largeSizes[] = {32, 48, 64};
  std::vector<IconImage> about, resting, tipping, ladle, pouring, hand;
  for (int n : largeSizes) {
    about.push_back(MakeAboutIcon(sheet, n));
    ladle.push_back(MakeLadleCursor(false, n));
    pouring.push_back(MakeLadleCursor(true, n));
    hand.push_back(MakeHandCursor(n));
  }
  for (int n : traySizes) {
    resting.push_back(MakeTrayIcon(false, n));
    tipping.push_back(MakeTrayIcon(true, n));
  }
  write(res + "about.ico", EncodeIconFile(about, false));
  write(res + "tray_tipping.ico", EncodeIconFile(tipping, false));
  write(res + "tray.ico", EncodeIconFile(resting, false));
  write(res + "ladle.cur", EncodeIconFile(ladle, true));
  write(res + "ladle_pouring.cur", EncodeIconFile(pouring, true));
  write(res + "hand.cur", EncodeIconFile(hand, true));

  for (const SoundFile& s : Sounds) write(res + s.name, EncodeWave16Mono(s.make(s.dataBytes / 2), SoundRate));

  if (argc == 4) write(std::string(argv[3]) + "/preview.bmp", MakePreview(frames, sheet, mask, meter));
  return ok ? 0 : 1;
}
