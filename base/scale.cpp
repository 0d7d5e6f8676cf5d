#include "base/scale.h"

DisplayScaleRecord DisplayScale = {BaseDpi, ArtworkSide};

int32_t HeldDpi(int32_t dpi) { return dpi < BaseDpi ? BaseDpi : dpi > MaxDpi ? MaxDpi : dpi; }

int32_t SozuSideForDpi(int32_t dpi) {
    return (ArtworkSide * HeldDpi(dpi) + BaseDpi / 2) / BaseDpi;
}

void SetDisplayScaleDpi(int32_t dpi) { DisplayScale = {HeldDpi(dpi), SozuSideForDpi(dpi)}; }

int32_t ScaleLength(int32_t length, int32_t side) {
    return (length * side + ArtworkSide / 2) / ArtworkSide;
}
