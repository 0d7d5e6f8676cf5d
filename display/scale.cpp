#include "display/scale.h"

DisplayScaleRecord DisplayScale = {BaseDpi, ArtworkSide};

int32_t SozuSideForDpi(int32_t dpi) {
    if (dpi < BaseDpi) dpi = BaseDpi;
    if (dpi > MaxDpi) dpi = MaxDpi;
    return (ArtworkSide * dpi + BaseDpi / 2) / BaseDpi;
}

void SetDisplayScaleDpi(int32_t dpi) {
    if (dpi < BaseDpi) dpi = BaseDpi;
    if (dpi > MaxDpi) dpi = MaxDpi;
    DisplayScale = {dpi, SozuSideForDpi(dpi)};
}

int32_t ScaleLength(int32_t length, int32_t side) {
    return (length * side + ArtworkSide / 2) / ArtworkSide;
}
