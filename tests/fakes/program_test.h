// The ground of the display and application tests: a scratch working folder, the globals cleared, the recorder new.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "app/app.h"
#include "display/display.h"
#include "mix/compositor.h"
#include "tests/fakes/recorder.h"
#include "tests/platform/test_window.h"
#include "tests/support/working_folder.h"

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override { Clear(); }
    void TearDown() override {
        ReleaseDirectDraw();
        Clear();
    }
    static void Clear() {
        lpDD = nullptr;
        lpDDSPrimary = lpDDSBack = lpDDSOne = lpDDSTwo = nullptr;
        lpDDClipper = nullptr;
        DisplayWindow = nullptr;
        ddsd = DDSURFACEDESC2{};
        DisplayWidth = DisplayHeight = bPageOne = bScreenshot = bWindowed = bFramed = 0;
        ChooseDisplay(false, {});
        FrameBuffer = nullptr;
        Spot = Scene = nullptr;
        recorder::Reset();
    }
    // The display objects and program pictures still held, in the order declared: what set-up and shutdown checks compare.
    static std::string Held() {
        std::string held;
        const std::pair<const char*, bool> things[] = {
            {"lpDD", lpDD != nullptr}, {"lpDDSPrimary", lpDDSPrimary != nullptr}, {"lpDDSBack", lpDDSBack != nullptr},
            {"lpDDSOne", lpDDSOne != nullptr}, {"lpDDSTwo", lpDDSTwo != nullptr}, {"lpDDClipper", lpDDClipper != nullptr},
            {"bWindowed", bWindowed != 0}, {"FrameBuffer", FrameBuffer != nullptr}, {"Spot", Spot != nullptr},
            {"Scene", Scene != nullptr}};
        for (const auto& [name, isHeld] : things) held.append(isHeld && !held.empty() ? " " : "").append(isHeld ? name : "");
        return held;
    }
    // A window of the core's, for the display to be set up on; its calls are forgotten.
    static HWND OpenWindow() {
        HWND window = OpenTestWindow(DefWindowProcA);
        recorder::ForgetCalls();
        return window;
    }

    WorkingFolder folder_;  // the program's file names are fixed
};

// Names a parameterised case by its name field, so that --gtest_filter can pick it.
template <typename Case> std::string CaseName(const ::testing::TestParamInfo<Case>& info) { return info.param.name; }
