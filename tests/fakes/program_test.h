// The ground the display and application tests stand on: a scratch working folder (the file
// names are fixed), the program's globals cleared, and the recorder and its core as new.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "app/app.h"
#include "display/display.h"
#include "mix/compositor.h"
#include "tests/fakes/recorder.h"
#include "tests/platform/test_window.h"

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        home_ = std::filesystem::current_path();
        std::string pattern = (std::filesystem::temp_directory_path() / "varnelo-test-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
        std::filesystem::current_path(folder_);
        Clear();
    }
    void TearDown() override {
        ReleaseDirectDraw();
        Clear();
        std::filesystem::current_path(home_);
        std::filesystem::remove_all(folder_);
    }
    static void Clear() {
        lpDD = nullptr;
        lpDDSPrimary = lpDDSBack = lpDDSOne = lpDDSTwo = nullptr;
        ddsd = DDSURFACEDESC2{};
        DisplayWidth = DisplayHeight = bPageOne = bScreenshot = 0;
        FrameBuffer = nullptr;
        Spot = Scene = nullptr;
        recorder::Reset();
    }
    // A window of the core's, for the display to be set up on; its calls are forgotten.
    static HWND OpenWindow() {
        HWND window = OpenTestWindow(DefWindowProcA);
        recorder::ForgetCalls();
        return window;
    }
    static std::string Read(const char* path) {
        std::ifstream file(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    }

private:
    std::filesystem::path home_, folder_;
};

// Names a parameterised case by its name field, so that ctest -R can pick it.
template <typename Case> std::string CaseName(const ::testing::TestParamInfo<Case>& info) { return info.param.name; }
