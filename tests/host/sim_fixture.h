// Shared set-up of the simulation tests: the process-wide state put back to a fresh start,
// default settings, and recorders in place of the platform services.
#pragma once
#include <gtest/gtest.h>
#include <cstring>
#include <vector>
#include "sim/sim.h"
#include "base/hooks.h"
#include "base/settings.h"
#include "base/state.h"
#include "res/resource.h"

struct PlatformRecorder {
    int32_t usage = 0;              // what the next CPU sample reports
    int samples = 0;
    int trayModifies = 0;
    int regionCalls = 0;
    WindowHandle lastWindow = nullptr;
    std::vector<int> sounds;
};

inline PlatformRecorder Recorder;

class SimTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = Platform;
        Recorder = PlatformRecorder{};
        Platform.sampleCpuUsage = [] {
            ++Recorder.samples;
            CpuUsage = Recorder.usage;
        };
        Platform.trayModify = [] { ++Recorder.trayModifies; };
        Platform.playSoundEffect = [](int index) {
            Recorder.sounds.push_back(index);
            return 0;
        };
        Platform.applyFrameRegion = [](WindowHandle window) {
            ++Recorder.regionCalls;
            Recorder.lastWindow = window;
        };

        CpuUsage = FillLevel = StreamLevel = SampleTick = FillThrottle = TooltipUsage = 0;
        StreamFalling = 0;
        RandomSeed = 1;
        TipPhase = FrameIndex = TipCounter = 0;
        ClickTip = 0;
        TrayIconId = IDI_APP;
        std::memset(TrayTip, 0, sizeof TrayTip);
        Dragging = 0;
        CpuMonitorUnavailable = 0;

        AppSettings = AppSettingsRecord{};
        AppSettings.WaterSource = 1;
        AppSettings.Sensitivity = 2;
        const int32_t thresholds[SensitivityCount] = {15, 30, 45, 60, 75, 90};
        const int32_t ranges[SensitivityCount] = {8, 16, 24, 32, 40, 48};
        std::memcpy(AppSettings.CpuThresholds, thresholds, sizeof thresholds);
        std::memcpy(AppSettings.RandomRanges, ranges, sizeof ranges);
        AppSettings.EchoEffect = 1;
    }
    void TearDown() override { Platform = saved_; }

    // Runs the seven calls that make up one sample; answers what the seventh said.
    static bool Sample() {
        for (int i = 0; i < 6; ++i) EXPECT_FALSE(FillStep());
        return FillStep();
    }

private:
    PlatformHooks saved_{};
};
