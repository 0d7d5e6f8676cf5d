#include "app/commands.h"

#include <cstddef>
#include <initializer_list>

#include "base/settings.h"
#include "res/resource.h"
#include "sound/effects.h"

int32_t AppliedSettings[AppliedSettingCount] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1};

namespace {

constexpr int MaxGroupItems = 6;

// A volume chosen while nobody was at the machine, not yet carried out.
bool VolumeWaiting = false;

// Menu items of a group, indexed by the setting's value.
struct MarkGroup {
    int count;
    int items[MaxGroupItems];
};

constexpr MarkGroup WaterSourceItems = {3, {IDM_SOURCE_INSTANT, IDM_SOURCE_CUMULATIVE,
                                            IDM_SOURCE_RANDOM}};
constexpr MarkGroup SensitivityItems = {6, {IDM_SENS_0, IDM_SENS_1, IDM_SENS_2, IDM_SENS_3,
                                            IDM_SENS_4, IDM_SENS_5}};
constexpr MarkGroup VolumeItems = {4, {IDM_VOL_OFF, IDM_VOL_LOUD, IDM_VOL_NORMAL, IDM_VOL_QUIET}};
constexpr MarkGroup PositionItems = {3, {IDM_POS_PERCH, IDM_POS_FREE, IDM_POS_FREE_TOPMOST}};
constexpr MarkGroup TintItems = {3, {IDM_TINT_BRIGHT, IDM_TINT_DARK, IDM_TINT_STANDARD}};
// A switch is a group of one: 1 marks it, 0 clears it, anything else leaves it.
constexpr int SwitchOn = 1;

void MarkGroupFor(const ApplyPort& port, const MarkGroup& group, uint8_t value) {
    if (value >= group.count) return;   // out of range: the marks stay as they were
    for (int i = 0; i < group.count; ++i) port.checkItem(group.items[i], i == value);
}

void MarkSwitch(const ApplyPort& port, int item, uint8_t value) {
    if (value <= SwitchOn) port.checkItem(item, value == SwitchOn);
}

void StartWaterSounds(WindowHandle window, const ApplyPort& port) {
    // Nobody there: the return starts timer 3 and the loops as the switch says then.
    if (SoundAway != 0) return;
    port.startWaterTimer(window);
    port.playSoundEffect(SoundWaterA);
    port.playSoundEffect(SoundWaterB);
}

void VolumeChanged(WindowHandle window, const ApplyPort& port, uint8_t level) {
    if (SoundAway != 0) {
        // Nobody there to hear it (chosen through a message, say from another program): the
        // device stays closed, and the choice is carried out on the user's return.
        MarkGroupFor(port, VolumeItems, level);
        VolumeWaiting = true;
        return;
    }
    // The engine is rebuilt on every change, also a change to off, so the menu learns
    // whether it can start at all.
    if (port.startSoundEngine(window) == 0) {
        SoundMode = SoundModeEngine;
        for (int id : {IDM_VOL_LOUD, IDM_VOL_NORMAL, IDM_VOL_QUIET}) port.enableItem(id, true);
    } else {
        port.shutdownEngine();
        SoundMode = SoundModeSimple;
        // The greying outlives this call: only a later successful start enables the volume
        // choices again, and nothing enables the water sound again.
        for (int id : {IDM_VOL_LOUD, IDM_VOL_NORMAL, IDM_VOL_QUIET, IDM_WATER_SOUND}) {
            port.enableItem(id, false);
        }
        AppSettings.WaterSoundEffect = 0;
    }
    MarkGroupFor(port, VolumeItems, level);
    if (level == 0) {
        SoundMode = SoundModeOff;
        port.shutdownEngine();
    } else {
        const int32_t volume = EngineVolumeFor(port.volumeTable, level);
        for (uint32_t slot : {0u, 1u, 2u}) port.setVolume(slot, volume);   // the one-shot sounds
        if (AppSettings.WaterSoundEffect == SwitchOn) StartWaterSounds(window, port);
    }
}

void WaterSoundChanged(WindowHandle window, const ApplyPort& port, uint8_t value) {
    if (value == SwitchOn) {
        port.checkItem(IDM_WATER_SOUND, true);
        StartWaterSounds(window, port);
    } else if (value == 0) {
        port.checkItem(IDM_WATER_SOUND, false);
        // Timer 3 ends itself on its next tick once it finds the switch off.
        port.rewindSample(SoundWaterA);
        port.rewindSample(SoundWaterB);
    }
}

void PlacementChanged(const ApplyPort& port, uint8_t mode) {
    MarkGroupFor(port, PositionItems, mode);
    // Only the pointer passing over a free window's lower part ends a drag; a window perched
    // before that would keep every later tip silent. Perching ends it too.
    if (!FreePlacement(mode)) Dragging = 0;
}

}  // namespace

void ApplySettingsOver(WindowHandle window, const ApplyPort& port) {
    using R = AppSettingsRecord;
    enum Kind : uint8_t { Group, Switch, Volume, WaterSwitch, Placement };
    struct Setting {
        uint8_t field;            // offset in AppSettingsRecord
        Kind kind;
        uint16_t item;            // Switch
        const MarkGroup* group;   // Group
    };
    // The order is the order of AppliedSettings; WaterSoundEffect comes after VolumeLevel,
    // whose failed engine start clears it within this same call.
    static constexpr Setting settings[AppliedSettingCount] = {
        {offsetof(R, WaterSource), Group, 0, &WaterSourceItems},
        {offsetof(R, Sensitivity), Group, 0, &SensitivityItems},
        {offsetof(R, VolumeLevel), Volume, 0, nullptr},
        {offsetof(R, PositionMode), Placement, 0, nullptr},
        {offsetof(R, WaterSoundEffect), WaterSwitch, 0, nullptr},
        {offsetof(R, DropsEffect), Switch, IDM_DROPS, nullptr},
        {offsetof(R, EchoEffect), Switch, IDM_ECHO, nullptr},
        {offsetof(R, InstantMeterShown), Switch, IDM_METER_INSTANT, nullptr},
        {offsetof(R, CumulativeMeterShown), Switch, IDM_METER_CUMULATIVE, nullptr},
        {offsetof(R, MeterTint), Group, 0, &TintItems},
    };
    for (int i = 0; i < AppliedSettingCount; ++i) {
        const Setting& setting = settings[i];
        const uint8_t v = SettingByteAt(AppSettings, setting.field);
        if (AppliedSettings[i] == v) continue;
        AppliedSettings[i] = v;
        switch (setting.kind) {
        case Group: MarkGroupFor(port, *setting.group, v); break;
        case Switch: MarkSwitch(port, setting.item, v); break;
        case Volume: VolumeChanged(window, port, v); break;
        case WaterSwitch: WaterSoundChanged(window, port, v); break;
        case Placement: PlacementChanged(port, v); break;
        }
        const SettingKey& key = SettingKeyOf(setting.field);
        port.writeKey(SettingSections[key.section], key.key, v);
    }
}

bool ApplyWaitingVolumeOver(WindowHandle window, const ApplyPort& port) {
    if (!VolumeWaiting || SoundAway != 0) return false;
    VolumeWaiting = false;
    VolumeChanged(window, port, AppSettings.VolumeLevel);
    return true;
}

bool ChangeSettingForCommand(int commandId) {
    AppSettingsRecord& s = AppSettings;
    auto toggle = [](uint8_t& flag) { flag = flag == 0 ? 1 : 0; };
    switch (commandId) {
    case IDM_SOURCE_INSTANT: s.WaterSource = 0; return true;
    case IDM_SOURCE_CUMULATIVE: s.WaterSource = 1; return true;
    case IDM_SOURCE_RANDOM: s.WaterSource = 2; return true;
    case IDM_SENS_0: case IDM_SENS_1: case IDM_SENS_2:
    case IDM_SENS_3: case IDM_SENS_4: case IDM_SENS_5:
        s.Sensitivity = static_cast<uint8_t>(commandId - IDM_SENS_0);
        return true;
    case IDM_VOL_OFF: s.VolumeLevel = 0; return true;
    case IDM_VOL_LOUD: s.VolumeLevel = 1; return true;
    case IDM_VOL_NORMAL: s.VolumeLevel = 2; return true;
    case IDM_VOL_QUIET: s.VolumeLevel = 3; return true;
    case IDM_POS_PERCH: s.PositionMode = PositionPerched; return true;
    case IDM_POS_FREE: s.PositionMode = PositionFree; return true;
    case IDM_POS_FREE_TOPMOST: s.PositionMode = PositionFreeOnTop; return true;
    case IDM_TINT_BRIGHT: s.MeterTint = 0; return true;
    case IDM_TINT_DARK: s.MeterTint = 1; return true;
    case IDM_TINT_STANDARD: s.MeterTint = 2; return true;
    case IDM_WATER_SOUND: toggle(s.WaterSoundEffect); return true;
    case IDM_METER_INSTANT: toggle(s.InstantMeterShown); return true;
    case IDM_METER_CUMULATIVE: toggle(s.CumulativeMeterShown); return true;
    case IDM_DROPS: toggle(s.DropsEffect); return true;
    case IDM_ECHO: toggle(s.EchoEffect); return true;
    default: return false;
    }
}
