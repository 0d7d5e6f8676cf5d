// The display scale: how many screen pixels the sozu's 48-pixel artwork takes at a given DPI,
// and the nearest-neighbour enlargement that keeps every pixel one of the artwork's own
// colours. Portable.
#pragma once
#include <cstdint>
#include "base/state.h"

constexpr int32_t BaseDpi = 96;        // 100 %: the artwork's own size
constexpr int32_t MaxDpi = 480;        // 500 %, the largest scale Windows offers
constexpr int32_t ArtworkSide = 48;    // the frames, masks and paint plan are drawn at this size
constexpr int32_t MaxSozuSide = ArtworkSide * MaxDpi / BaseDpi;

// The scale in force: the window's DPI and the sozu's side in screen pixels at that DPI. One
// process-wide value, set at start-up and whenever the window's DPI changes.
struct DisplayScaleRecord {
    int32_t dpi;
    int32_t side;
};
extern DisplayScaleRecord DisplayScale;

// 48 x dpi / 96, rounded to the nearest pixel: 48 at 96, 60 at 120, 72 at 144, 96 at 192.
// A DPI below 96 (no Windows reports one) keeps the artwork's size; one above 500 % is held
// there, so that the scaled pictures' buffers have a bound.
int32_t SozuSideForDpi(int32_t dpi);

// dpi held to 96..480, as above.
int32_t HeldDpi(int32_t dpi);

// Sets DisplayScale for dpi (held to 96..480 as above).
void SetDisplayScaleDpi(int32_t dpi);

// A length of the 48-pixel design in screen pixels at side, rounded to the nearest pixel.
int32_t ScaleLength(int32_t length, int32_t side);

// Which artwork row or column (0..47) screen pixel i (0..side-1) of the sozu shows: each screen
// pixel takes the artwork pixel it lies in, so every artwork pixel covers one or more whole
// screen pixels and no two are ever blended.
inline int32_t ArtworkPixel(int32_t i, int32_t side) { return i * ArtworkSide / side; }

// Enlarges a 48 x 48 picture (rowStride elements a row) to side x side, nearest neighbour, into
// out (side elements a row). Used for the window's shape masks and for the composed picture
// alike, so that the shape is exactly the painted pixels.
template <typename Pixel>
void EnlargeArtwork(const Pixel* in, int32_t rowStride, int32_t side, Pixel* out) {
    int32_t columns[MaxSozuSide];
    for (int32_t x = 0; x < side; ++x) columns[x] = ArtworkPixel(x, side);
    for (int32_t y = 0; y < side; ++y) {
        const Pixel* row = in + ArtworkPixel(y, side) * rowStride;
        Pixel* to = out + y * side;
        for (int32_t x = 0; x < side; ++x) to[x] = row[columns[x]];
    }
}
