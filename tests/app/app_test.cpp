// The application shell against the recording Win32 and DirectDraw doubles: start-up order and
// arguments, the early returns, the keys, the frame step with its screenshots, and shutdown.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/app.h"
#include "display/display.h"
#include "image/bmp.h"
#include "image/tga.h"
#include "mix/compositor.h"
#include "tests/fakes/ddraw/ddraw_fake.h"
#include "tests/fakes/win32/win32_fake.h"

namespace {

namespace fs = std::filesystem;
using win32_fake::Step;

// A frame row in bytes: Width pixels of 32 bits.
constexpr size_t kRowBytes = size_t{Width} * 4;

// An uncompressed 24-bit TGA, rows from the top, of a picture given pixel by pixel.
void WriteTga(const std::string& path, int width, int height, uint32_t (*colour)(int x, int y)) {
    std::ofstream file(path, std::ios::binary);
    const uint8_t header[18] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                static_cast<uint8_t>(width), static_cast<uint8_t>(width >> 8),
                                static_cast<uint8_t>(height), static_cast<uint8_t>(height >> 8), 24, 0x20};
    file.write(reinterpret_cast<const char*>(header), sizeof header);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint32_t rgb = colour(x, y);
            const char bgr[3] = {static_cast<char>(rgb & 0xFF), static_cast<char>((rgb >> 8) & 0xFF),
                                 static_cast<char>((rgb >> 16) & 0xFF)};
            file.write(bgr, 3);
        }
    }
}

uint32_t SpotColour(int x, int y) {
    const int distance = std::abs(x - 24) + std::abs(y - 24);
    const int level = distance >= 24 ? 0 : 255 - distance * 10;
    return static_cast<uint32_t>(level << 16 | (level / 2) << 8 | (255 - level));
}

uint32_t SceneColour(int x, int y) {
    return static_cast<uint32_t>((x * 255 / 319) << 16 | (y * 255 / 199) << 8 | ((x ^ y) & 0xFF));
}

template <typename Case>
std::string CaseName(const ::testing::TestParamInfo<Case>& tested) {
    return tested.param.name;
}

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

int LineCount(const std::string& path) {
    const std::string text = ReadFile(path);
    int lines = 0;
    for (char c : text) lines += c == '\n';
    return lines;
}

void ClearProgramState() {
    lpDD = nullptr;
    lpDDSPrimary = lpDDSBack = lpDDSOne = lpDDSTwo = nullptr;
    ddsd = DDSURFACEDESC2{};
    DisplayWidth = DisplayHeight = 0;
    bPageOne = 0;
    bScreenshot = 0;
    FrameBuffer = nullptr;
    Spot = Scene = nullptr;
}

class AppTest : public ::testing::Test {
protected:
    void SetUp() override {
        home_ = fs::current_path();
        std::string pattern = (fs::temp_directory_path() / "varnelo-app-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        directory_ = pattern;
        fs::current_path(directory_);
        WriteTga("spot.tga", 49, 49, SpotColour);
        WriteTga("scr.tga", Width, Height, SceneColour);
        ClearProgramState();
        win32_fake::Reset();
        ddraw_fake::Reset();
    }

    void TearDown() override {
        fs::current_path(home_);
        fs::remove_all(directory_);
        ClearProgramState();
        win32_fake::Reset();
        ddraw_fake::Reset();
    }

    static int RunProgram(std::vector<Step> steps) {
        win32_fake::Script(std::move(steps));
        char commandLine[] = "";
        return WinMain(win32_fake::Instance(), nullptr, commandLine, 5);
    }

    // The frame the compositor makes for a cursor position, in display order.
    static std::vector<uint32_t> ComposedFrame(int x, int y) {
        Spot = LoadTga("spot.tga");
        Scene = LoadTga("scr.tga");
        std::vector<uint32_t> frame(size_t{Width} * size_t{Height});
        FrameBuffer = frame.data();
        ComposeFrame(x, y);
        FreeImage(Spot);
        FreeImage(Scene);
        FrameBuffer = nullptr;
        Spot = Scene = nullptr;
        return frame;
    }

    // The page's first Width pixels of each row, whatever its pitch.
    static std::vector<uint32_t> PageFrame(const IDirectDrawSurface7* page) {
        const std::vector<uint8_t>& memory = ddraw_fake::Memory(page);
        const auto pitch = static_cast<size_t>(ddraw_fake::Pitch(page));
        std::vector<uint32_t> frame(size_t{Width} * size_t{Height});
        for (size_t row = 0; row < size_t{Height}; ++row) {
            std::memcpy(frame.data() + row * size_t{Width}, memory.data() + row * pitch, kRowBytes);
        }
        return frame;
    }

    static std::string ExpectedScreenshot(int x, int y) {
        std::vector<uint32_t> frame = ComposedFrame(x, y);
        FrameBuffer = frame.data();
        SwapRedBlue();
        FrameBuffer = nullptr;
        const Image image{frame.data(), Width, Height};
        fs::create_directory("expected");
        EXPECT_EQ(SaveBmp("expected/frame.bmp", &image), 1);
        return ReadFile("expected/frame.bmp");
    }

    static std::vector<std::string> Screenshots() {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(".")) {
            const std::string name = entry.path().filename().string();
            if (name.rfind("Screenshot", 0) == 0) names.push_back(name);
        }
        return names;
    }

    fs::path home_;
    fs::path directory_;
};

TEST_F(AppTest, StartsUpInOrderRunsTheLoopAndEndsWithEscape) {
    // Win32 and DirectDraw calls on one time line, to see where the display set-up falls.
    std::vector<std::string> timeline;
    size_t seenDisplayCalls = 0;
    auto catchUpDisplay = [&] {
        const auto display = ddraw_fake::CallTexts();
        for (; seenDisplayCalls < display.size(); ++seenDisplayCalls) timeline.push_back("dd " + display[seenDisplayCalls]);
    };
    win32_fake::Observe([&](const std::string& call) {
        catchUpDisplay();
        timeline.push_back(call);
    });

    const int exitCode = RunProgram({{WM_KEYDOWN, VK_ESCAPE}});
    catchUpDisplay();

    EXPECT_EQ(exitCode, 0);
    EXPECT_FALSE(win32_fake::RanDry());
    const std::vector<std::string> expectedStart = {
        "LoadIconA(instance, 32512)",
        "LoadCursorA(null, 32512)",
        "GetStockObject(4)",
        "LoadIconA(null, 32512)",
        "RegisterClassExA(\"Pelloran\")",
        "CreateWindowExA(0x0, \"Pelloran\", \"Varnelo\", 0x400000, 0x80000000, 0x80000000, 320, 200, null, null, "
        "instance, null)",
        "ShowWindow(window, 5)",
        "UpdateWindow(window)",
        "ShowCursor(0)",
    };
    ASSERT_GT(timeline.size(), expectedStart.size());
    EXPECT_EQ(std::vector<std::string>(timeline.begin(), timeline.begin() + static_cast<long>(expectedStart.size())),
              expectedStart);
    // The display is set up right after the cursor is hidden, and before the timer starts.
    EXPECT_EQ(timeline[expectedStart.size()].rfind("dd DirectDrawCreateEx(", 0), 0u) << timeline[expectedStart.size()];

    const std::vector<std::string> win32 = win32_fake::Calls();
    const std::vector<std::string> expectedRest = {
        "ShowCursor(0)",
        "SetTimer(window, 0, 20, null)",
        "SetCursorPos(160, 100)",
        "GetMessageA(null, 0, 0)",
        "TranslateMessage(0x100)",
        "DispatchMessageA(0x100, 27)",
        "ShowCursor(1)",
        "SendMessageA(window, 0x10, 0, 0)",
        "DefWindowProcA(window, 0x10, 0, 0)",
        "PostQuitMessage(0)",
        "GetMessageA(null, 0, 0)",
    };
    ASSERT_GE(win32.size(), expectedRest.size());
    EXPECT_EQ(std::vector<std::string>(win32.end() - static_cast<long>(expectedRest.size()), win32.end()), expectedRest);
    EXPECT_EQ(win32_fake::CursorCount(), 0) << "Esc shows the cursor that start-up hid";

    // The destruction of the window released the display: the surfaces, then the object.
    EXPECT_EQ(ddraw_fake::CallTexts("Release"),
              (std::vector<std::string>{"Primary.Release()", "Offscreen1.Release()", "Offscreen2.Release()",
                                        "DirectDraw.Release()"}));
    EXPECT_EQ(lpDD, nullptr);
    EXPECT_EQ(FrameBuffer, nullptr);
    EXPECT_EQ(Spot, nullptr);
    EXPECT_EQ(Scene, nullptr);
}

TEST_F(AppTest, RegistersTheClassRecordFieldByField) {
    RunProgram({{WM_KEYDOWN, VK_ESCAPE}});
    const WNDCLASSEXA& record = win32_fake::RegisteredClass();
    EXPECT_EQ(record.cbSize, sizeof(WNDCLASSEXA));
    EXPECT_EQ(record.style, static_cast<UINT>(CS_HREDRAW | CS_VREDRAW));
    EXPECT_EQ(record.lpfnWndProc, &WindowProc);
    EXPECT_EQ(record.cbClsExtra, 0);
    EXPECT_EQ(record.cbWndExtra, 0);
    EXPECT_EQ(record.hInstance, win32_fake::Instance());
    // Each handle is the one the matching call returned.
    EXPECT_EQ(record.hIcon, LoadIconA(win32_fake::Instance(), IDI_APPLICATION));
    EXPECT_EQ(record.hCursor, LoadCursorA(nullptr, IDC_ARROW));
    EXPECT_EQ(static_cast<HGDIOBJ>(record.hbrBackground), GetStockObject(BLACK_BRUSH));
    EXPECT_EQ(record.hIconSm, LoadIconA(nullptr, IDI_APPLICATION));
    EXPECT_NE(record.hIcon, record.hIconSm);
    EXPECT_EQ(record.lpszMenuName, nullptr);
    EXPECT_EQ(win32_fake::RegisteredClassName(), "Pelloran");
}

struct EarlyReturn {
    const char* name;
    void (*arrange)();
    bool displaySetUp;
    const char* message;  // the call that tells the user, the last one of the run
};

class AppEarlyReturnTest : public AppTest, public ::testing::WithParamInterface<EarlyReturn> {};

TEST_P(AppEarlyReturnTest, TellsWhyAndFailsBeforeTheTimerStarts) {
    GetParam().arrange();
    const int exitCode = RunProgram({{WM_TIMER, 0}, {WM_KEYDOWN, VK_ESCAPE}});

    EXPECT_EQ(exitCode, 1);
    EXPECT_TRUE(win32_fake::CallsOf("SetTimer").empty());
    EXPECT_TRUE(win32_fake::CallsOf("GetMessageA").empty());
    EXPECT_EQ(win32_fake::Calls().back(), GetParam().message);
    EXPECT_TRUE(ddraw_fake::CallTexts("Lock").empty()) << "no frame is ever drawn";
    EXPECT_EQ(FrameBuffer, nullptr);
    EXPECT_EQ(Spot, nullptr);
    EXPECT_EQ(Scene, nullptr);
    if (GetParam().displaySetUp) {
        // Set up before any picture was read: its log is already complete. The box is shown
        // with the display given back and the cursor visible again.
        EXPECT_EQ(LineCount("DirectX.log"), 17);
        EXPECT_EQ(lpDD, nullptr);
        EXPECT_EQ(win32_fake::CursorCount(), 0);
    } else {
        EXPECT_FALSE(fs::exists("DirectX.log"));
        EXPECT_TRUE(ddraw_fake::Calls().empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    , AppEarlyReturnTest,
    ::testing::Values(
        EarlyReturn{"NoSpot", [] { fs::remove("spot.tga"); }, true,
                    "MessageBoxA(window, \"cannot read spot.tga: No such file or directory\", \"varnelo\", 0x10)"},
        EarlyReturn{"NoScene", [] { fs::remove("scr.tga"); }, true,
                    "MessageBoxA(window, \"cannot read scr.tga: No such file or directory\", \"varnelo\", 0x10)"},
        EarlyReturn{"SpotNotAPicture", [] { std::ofstream("spot.tga") << "not a picture"; }, true,
                    "MessageBoxA(window, \"cannot read spot.tga: not a TGA file\", \"varnelo\", 0x10)"},
        EarlyReturn{"ClassRefused", [] { win32_fake::FailRegisterClass(); }, false,
                    "MessageBoxA(null, \"cannot register the window class\", \"varnelo\", 0x10)"},
        EarlyReturn{"WindowRefused", [] { win32_fake::FailCreateWindow(); }, false,
                    "MessageBoxA(null, \"cannot create the window\", \"varnelo\", 0x10)"}),
    CaseName<EarlyReturn>);

TEST_F(AppTest, NoKeyButEscapeAndF12DoesAnythingOrReachesDefaultProcessing) {
    const WPARAM keys[] = {'A', '0', VK_SPACE, VK_RETURN, VK_F1, VK_F1 + 10, VK_MENU, VK_DELETE};
    for (int32_t flag : {0, 1}) {
        for (WPARAM key : keys) {
            bScreenshot = flag;
            EXPECT_EQ(WindowProc(win32_fake::Window(), WM_KEYDOWN, key, 0), 0) << key;
            EXPECT_EQ(bScreenshot, flag) << key;
        }
    }
    EXPECT_TRUE(win32_fake::Calls().empty());
    EXPECT_TRUE(ddraw_fake::Calls().empty());
}

TEST_F(AppTest, PassesOtherMessagesToDefaultProcessingWithItsResult) {
    win32_fake::SetDefWindowProcResult(1234);
    EXPECT_EQ(WindowProc(win32_fake::Window(), 0x0400, 7, 9), 1234);
    EXPECT_EQ(win32_fake::Calls(), std::vector<std::string>{"DefWindowProcA(window, 0x400, 7, 9)"});
}

TEST_F(AppTest, AnyTimerIdentifierRunsAFrame) {
    for (WPARAM id : {WPARAM{0}, WPARAM{1}, WPARAM{42}, WPARAM{0xFFFF}}) {
        ddraw_fake::Reset();
        win32_fake::Reset();
        ClearProgramState();
        win32_fake::MoveCursor(0, 0);
        const int exitCode = RunProgram({{WM_TIMER, id, [] { win32_fake::MoveCursor(90, 45); }},
                                         {WM_KEYDOWN, VK_ESCAPE}});
        EXPECT_EQ(exitCode, 0);
        EXPECT_EQ(ddraw_fake::CallTexts("Flip").size(), 1u) << id;
        EXPECT_EQ(win32_fake::CallsOf("GetCursorPos").size(), 1u) << id;
    }
}

struct ScreenshotCase {
    const char* name;
    std::vector<UINT> messages;  // F12 is a key-down of VK_F12, the others ticks
    size_t screenshots;
};

class AppScreenshotTest : public AppTest, public ::testing::WithParamInterface<ScreenshotCase> {};

TEST_P(AppScreenshotTest, TakesOneScreenshotPerTickThatFollowsF12) {
    std::vector<Step> steps;
    for (UINT message : GetParam().messages) {
        steps.push_back(message == WM_KEYDOWN ? Step{WM_KEYDOWN, VK_F12} : Step{WM_TIMER, 0});
    }
    steps.push_back({WM_KEYDOWN, VK_ESCAPE});
    EXPECT_EQ(RunProgram(steps), 0);
    EXPECT_EQ(Screenshots().size(), GetParam().screenshots);
}

INSTANTIATE_TEST_SUITE_P(, AppScreenshotTest,
                         ::testing::Values(ScreenshotCase{"TwicePressedBeforeATick", {WM_KEYDOWN, WM_KEYDOWN, WM_TIMER, WM_TIMER}, 1},
                                           ScreenshotCase{"HeldWithRepeat", {WM_KEYDOWN, WM_TIMER, WM_KEYDOWN, WM_TIMER, WM_TIMER}, 2},
                                           ScreenshotCase{"PressedAfterTheLastTick", {WM_TIMER, WM_KEYDOWN}, 0},
                                           ScreenshotCase{"NeverPressed", {WM_TIMER, WM_TIMER}, 0}),
                         CaseName<ScreenshotCase>);

TEST_F(AppTest, ScreenshotHoldsTheFrameTheTickPresented) {
    const IDirectDrawSurface7* firstPage = nullptr;
    RunProgram({{WM_KEYDOWN, VK_F12},
                {WM_TIMER, 0, [] { win32_fake::MoveCursor(37, 181); }},
                {WM_KEYDOWN, VK_ESCAPE, [&] { firstPage = lpDDSTwo; }}});

    ASSERT_EQ(Screenshots(), std::vector<std::string>{"Screenshot 0.bmp"});
    EXPECT_EQ(ReadFile("Screenshot 0.bmp"), ExpectedScreenshot(37, 181));
    ASSERT_NE(firstPage, nullptr);
    EXPECT_EQ(PageFrame(firstPage), ComposedFrame(37, 181)) << "presented before the screenshot's swap";
}

TEST_F(AppTest, ScreenshotIsTakenOnATickWhoseLockFailed) {
    RunProgram({{WM_KEYDOWN, VK_F12},
                {WM_TIMER, 0, [] {
                     win32_fake::MoveCursor(250, 20);
                     ddraw_fake::Script("Lock", {DDERR_SURFACELOST});
                 }},
                {WM_KEYDOWN, VK_ESCAPE}});

    EXPECT_EQ(ddraw_fake::CallTexts("Lock").size(), 1u);
    EXPECT_TRUE(ddraw_fake::CallTexts("Flip").empty());
    EXPECT_TRUE(ddraw_fake::CallTexts("BltFast").empty());
    ASSERT_EQ(Screenshots(), std::vector<std::string>{"Screenshot 0.bmp"});
    EXPECT_EQ(ReadFile("Screenshot 0.bmp"), ExpectedScreenshot(250, 20));
}

TEST_F(AppTest, FailedCursorReadKeepsTheLastKnownPosition) {
    const IDirectDrawSurface7* pages[2] = {};
    RunProgram({{WM_TIMER, 0, [] { win32_fake::MoveCursor(40, 150); }},
                {WM_TIMER, 0, [] {
                     win32_fake::MoveCursor(300, 10);
                     win32_fake::FailGetCursorPos(1);
                 }},
                {WM_KEYDOWN, VK_ESCAPE, [&] {
                     pages[0] = lpDDSTwo;
                     pages[1] = lpDDSOne;
                 }}});

    ASSERT_NE(pages[1], nullptr);
    const std::vector<uint32_t> expected = ComposedFrame(40, 150);
    EXPECT_EQ(PageFrame(pages[0]), expected);
    EXPECT_EQ(PageFrame(pages[1]), expected);
}

struct PitchCase {
    const char* name;
    LONG rowPadding;
    bool pageUsed;
};

class AppPitchTest : public AppTest, public ::testing::WithParamInterface<PitchCase> {};

TEST_P(AppPitchTest, CopiesTheFrameRowByRowIntoThePagesPitch) {
    ddraw_fake::SetSurfaceFormat(32, GetParam().rowPadding);
    ASSERT_EQ(InitDirectDraw(win32_fake::Window(), Width, Height), DD_OK);
    Spot = LoadTga("spot.tga");
    Scene = LoadTga("scr.tga");
    std::vector<uint32_t> frame(size_t{Width} * size_t{Height});
    FrameBuffer = frame.data();
    win32_fake::MoveCursor(160, 100);
    std::vector<uint8_t>& page = ddraw_fake::Memory(lpDDSTwo);
    std::fill(page.begin(), page.end(), uint8_t{0xA5});
    if (!GetParam().pageUsed) ddraw_fake::Script("BltFast", {DDERR_GENERIC});  // nothing to copy from it

    EXPECT_EQ(WindowProc(win32_fake::Window(), WM_TIMER, 0, 0), 0);

    FreeImage(Spot);
    FreeImage(Scene);
    Spot = Scene = nullptr;
    FrameBuffer = nullptr;
    // The page is unlocked again either way, so the next tick can take the other one.
    EXPECT_FALSE(ddraw_fake::IsLocked(lpDDSTwo));
    EXPECT_EQ(bPageOne, 1);
    if (!GetParam().pageUsed) {
        EXPECT_TRUE(std::all_of(page.begin(), page.end(), [](uint8_t byte) { return byte == 0xA5; }));
        return;
    }
    EXPECT_EQ(PageFrame(lpDDSTwo), ComposedFrame(160, 100));
    const auto pitch = static_cast<size_t>(ddraw_fake::Pitch(lpDDSTwo));
    for (size_t row = 0; row < size_t{Height}; ++row) {
        for (size_t byte = kRowBytes; byte < pitch; ++byte) {
            ASSERT_EQ(page[row * pitch + byte], 0xA5) << "padding of row " << row;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(, AppPitchTest,
                         ::testing::Values(PitchCase{"RowsAdjacent", 0, true}, PitchCase{"RowsPadded", 64, true},
                                           PitchCase{"OddPadding", 4, true}, PitchCase{"PitchShorterThanARow", -64, false}),
                         CaseName<PitchCase>);

TEST_F(AppTest, FramesAreSkippedWhenTheDisplayWasNeverSetUp) {
    ddraw_fake::Script("DirectDrawCreateEx", {DDERR_GENERIC});
    const int exitCode = RunProgram({{WM_KEYDOWN, VK_F12}, {WM_TIMER, 0}, {WM_KEYDOWN, VK_ESCAPE}});
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(ddraw_fake::Calls().size(), 1u) << "nothing but the failed creation";
    EXPECT_EQ(Screenshots().size(), 1u);
}

}  // namespace
