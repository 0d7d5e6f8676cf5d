#include "sim/sim.h"
#include "base/hooks.h"
#include "base/settings.h"
#include "res/resource.h"

int32_t TipPhase = 0;
int32_t FrameIndex = 0;
int32_t TipCounter = 0;
uint8_t ClickTip = 0;

namespace {

constexpr int32_t PhaseFilling = 0;
constexpr int32_t PhaseSpill = 6;
constexpr int32_t PhaseHold = 7;       // frame 7 is held before the tube goes fully over
constexpr int32_t PhaseSwingBack = 8;
constexpr int32_t PhaseStrike = 9;
constexpr int32_t PhaseRebound = 10;
constexpr int32_t PhaseRest = 11;
constexpr int32_t ForcedEntryPhase = 2;  // a forced tip runs phase 2's rule at once: frame 3

constexpr int32_t HoldSteps = 3;         // extra steps on frame 7 before frame 8
constexpr int32_t SwingSteps = 6;        // frames 8 down to 3, then one more step on 3
constexpr int32_t FrameFull = 8;
constexpr int32_t FrameRest = 0;
constexpr int32_t FrameRebound = 1;
constexpr int32_t FrameAfterSwing = 3;
constexpr uint8_t EchoOn = 1;

void PlayUnlessDragging(int sound) {
    // Dragging the window must not set off the tip's sounds; the frames still run.
    if (Dragging == 0) Platform.playSoundEffect(sound);
}

void FallOneFrame() {
    ++FrameIndex;
    TipPhase = FrameIndex;
}

void BlinkTrayIcon() {
    TrayIconId = TrayIconId == IDI_APP ? IDI_TRAY_TIPPING : IDI_APP;
    Platform.trayModify();
}

void EndTip() {
    ClickTip = 0;
    FrameIndex = FrameRest;
    TipPhase = PhaseFilling;
    // The blink that follows turns this into the resting icon, whatever the parity was.
    TrayIconId = IDI_TRAY_TIPPING;
}

void AdvanceTip() {
    switch (TipPhase) {
    case PhaseSpill:
        PlayUnlessDragging(SoundSpill);
        FallOneFrame();
        break;
    case PhaseHold:
        if (TipCounter < HoldSteps) {
            ++TipCounter;
        } else {
            TipCounter = 0;
            FrameIndex = FrameFull;
            TipPhase = PhaseSwingBack;
        }
        break;
    case PhaseSwingBack:
        if (TipCounter < SwingSteps) {
            FrameIndex = FrameFull - TipCounter;
            ++TipCounter;
        } else {
            TipCounter = 0;
            FrameIndex = FrameAfterSwing;
            TipPhase = PhaseStrike;
        }
        break;
    case PhaseStrike:
        PlayUnlessDragging(SoundStrike);
        FrameIndex = FrameRest;
        TipPhase = PhaseRebound;
        break;
    case PhaseRebound:
        FrameIndex = FrameRebound;
        TipPhase = PhaseRest;
        break;
    case PhaseRest:
        if (AppSettings.EchoEffect == EchoOn) PlayUnlessDragging(SoundEcho);
        EndTip();
        break;
    default:
        if (TipPhase >= 1 && TipPhase < PhaseSpill) {
            FallOneFrame();
        } else {
            // Never reached by the cycle itself; a phase outside it ends the tip at rest
            // rather than walking frames outside the nine that exist.
            EndTip();
        }
        break;
    }
}

}  // namespace

void TipStep(bool startTip, WindowHandle window) {
    if (startTip) {
        ClickTip = 1;
        TipPhase = ForcedEntryPhase;
        FrameIndex = ForcedEntryPhase;
        AdvanceTip();
        BlinkTrayIcon();
    } else if (TipPhase == PhaseFilling) {
        if (FillStep()) {
            TipCounter = 0;
            FrameIndex = 1;
            TipPhase = 1;
        }
    } else {
        AdvanceTip();
        BlinkTrayIcon();
    }
    Platform.applyFrameRegion(window);
}
