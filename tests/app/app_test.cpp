// The application shell on the recording doubles: start-up, the early returns, keys, frames, screenshots, shutdown.
#include <algorithm>
#include <cstdlib>
#include <functional>
#include <regex>
#include <tuple>

#include "image/bmp.h"
#include "image/tga.h"
#include "image/tga_writer.h"
#include "platform/core/standins.h"
#include "tests/fakes/program_test.h"

namespace {

namespace fs = std::filesystem;
using recorder::Calls;

class AppTest : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        for (const char* name : {"spot.tga", "scr.tga"}) fs::copy_file(fs::path(VARNELO_ASSETS) / name, name);
    }
    // Runs the program with the options on the input: K a key (F12, or Esc last), T a tick.
    static int Run(const std::string& input, std::string options = "") {
        for (char c : input) c == 'T' ? recorder::Tick() : recorder::Key(c == 'K' ? VK_F12 : VK_ESCAPE);
        return WinMain(standins::ProgramInstance(), nullptr, options.data(), 5);
    }
    static void Pointer(int x, int y) { std::tie(memory_screen::Get().pointerX, memory_screen::Get().pointerY) = std::pair(x, y); }
    // The frame the compositor makes for a pointer position, as the display shows it.
    static std::vector<uint8_t> Composed(int x, int y, bool swapped = false, const char* scene = "scr.tga") {
        Spot = LoadTga("spot.tga");
        Scene = LoadTga(scene);
        std::vector<uint32_t> frame(size_t{Width} * Height);
        FrameBuffer = frame.data();
        ComposeFrame(x, y);
        if (swapped) SwapRedBlue();
        FreeImage(Spot);
        FreeImage(Scene);
        FrameBuffer = nullptr;
        Spot = Scene = nullptr;
        const auto* bytes = reinterpret_cast<const uint8_t*>(frame.data());
        return {bytes, bytes + frame.size() * 4};
    }
    static std::string ExpectedScreenshot(int x, int y) {
        std::vector<uint8_t> frame = Composed(x, y, true);
        const Image image{reinterpret_cast<uint32_t*>(frame.data()), Width, Height};
        fs::create_directory("expected");
        EXPECT_EQ(SaveBmp("expected/frame.bmp", &image), 1);
        return ReadFileText("expected/frame.bmp");
    }
    size_t Screenshots() const {
        return static_cast<size_t>(std::ranges::count_if(folder_.Names(), [](const std::string& name) { return name.starts_with("Screenshot"); }));
    }
};

TEST_F(AppTest, StartsUpInOrderRunsTheLoopAndEndsWithEscape) {
    EXPECT_EQ(Run("E"), 0);
    std::vector<std::string> calls = Calls();
    ASSERT_EQ(calls.size(), 27u) << testing::PrintToString(calls);
    EXPECT_EQ(calls[5].rfind("DirectDrawCreateEx(", 0), 0u) << "the display is set up once the cursor is hidden";
    calls.erase(calls.begin() + 5, calls.begin() + 12);
    EXPECT_EQ(calls, (std::vector<std::string>{
                         "RegisterClassExA(\"Pelloran\")",
                         "CreateWindowExA(0, \"Pelloran\", \"Varnelo\", 0x400000, 0x80000000, 0x80000000, 320, 200, "
                         "null, null, instance, null)",
                         "ShowWindow(window, 5)", "UpdateWindow(window)", "ShowCursor(0)", "timeBeginPeriod(1)", "SetTimer(window, 0, 20, null)",
                         "SetCursorPos(160, 100)", "GetMessageA(message, null, 0, 0)", "DispatchMessageA(256, 27)",
                         "ShowCursor(1)", "SendMessageA(window, 16, 0, 0)", "DefWindowProcA(window, 16, 0, 0)",
                         "Primary.Release()", "Offscreen1.Release()", "Offscreen2.Release()", "DirectDraw.Release()",
                         "PostQuitMessage(0)", "GetMessageA(message, null, 0, 0)", "timeEndPeriod(1)"}));
    EXPECT_TRUE(memory_screen::Get().pointerShown) << "Esc shows the cursor that start-up hid";
    EXPECT_EQ(std::pair(memory_screen::Get().blackPaints, Held()), std::pair(1, std::string())) << "black paints, objects held";
}

struct EarlyReturn {
    const char* name;
    void (*arrange)();
    const char* told;
    long logLines;  // set up before any picture was read, the log is complete; without a window there is none
};

#define NO_PICTURE(why) "cannot show the picture: " why " (DirectX.log says why)"

class AppEarlyReturn : public AppTest, public ::testing::WithParamInterface<EarlyReturn> {};

TEST_P(AppEarlyReturn, TellsWhyAndFailsBeforeTheTimerStarts) {
    GetParam().arrange();
    EXPECT_EQ(Run("TE"), 1);
    EXPECT_EQ(memory_screen::Get().told, "varnelo: " + std::string(GetParam().told) + "\n");
    EXPECT_EQ(Calls().back(), "MessageBoxA(" + std::string(GetParam().logLines != 0 ? "window" : "null") + ", \"" + GetParam().told +
                                  "\", \"varnelo\", 16)");
    for (const char* none : {"time", "SetTimer", "GetMessageA", "Offscreen2.Lock"}) EXPECT_EQ(Calls(none), std::vector<std::string>{});
    EXPECT_EQ(Held(), "");
    EXPECT_TRUE(memory_screen::Get().pointerShown);
    const std::string log = ReadFileText("DirectX.log");
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), GetParam().logLines);
}

INSTANTIATE_TEST_SUITE_P(
    , AppEarlyReturn,
    ::testing::Values(
        EarlyReturn{"NoSpot", [] { fs::remove("spot.tga"); }, "cannot read spot.tga: No such file or directory", 17},
        EarlyReturn{"NoScene", [] { fs::remove("scr.tga"); }, "cannot read scr.tga: No such file or directory", 17},
        EarlyReturn{"SpotNotAPicture", [] { std::ofstream("spot.tga") << "not a picture"; }, "cannot read spot.tga: not a TGA file", 17},
        EarlyReturn{"SceneOfNoPixels", [] { WriteFileBytes("scr.tga", TgaHeaderBytes({0, 0, 2, 0, 5, 0, 0, 24, 0})); }, "cannot read scr.tga: no pixels to fit", 17},
        EarlyReturn{"SpotOfBillionsOfPixels", [] { WriteFileBytes("spot.tga", TgaHeaderBytes({0, 0, 2, 65535, 65535, 0, 0, 24, 0})); },
                    "cannot read spot.tga: 65535 x 65535 pixels, more than the 50 million taken", 17},
        EarlyReturn{"ClassRefused", [] { recorder::Script("RegisterClassExA", {DDERR_GENERIC}); }, "cannot register the window class", 0},
        EarlyReturn{"NoDisplay", [] { memory_screen::Get().noDisplay = true; }, "cannot create the window", 0},
        EarlyReturn{"NoDirectDraw", [] { recorder::Script("DirectDrawCreateEx", {DDERR_GENERIC}); }, NO_PICTURE("DirectDraw could not be started"), 4},
        EarlyReturn{"NothingDrawsInTheWindow", [] { memory_screen::Get().noDrawing = true; }, NO_PICTURE("DirectDraw could not be started"), 4},
        EarlyReturn{"NoWindowEither", [] { recorder::Script("SetDisplayMode", {DDERR_UNSUPPORTED}), recorder::Script("CreateClipper", {DDERR_OUTOFMEMORY}); },
                    NO_PICTURE("the display refused both full screen and a window"), 15},
        EarlyReturn{"NoPagesInFullScreen", [] { recorder::Script("CreateSurface", {DD_OK, DD_OK, DDERR_OUTOFMEMORY}); },
                    NO_PICTURE("the display gave full screen but no pages for the frames"), 17},
        EarlyReturn{"NoPagesInAWindow", [] { recorder::Script("SetDisplayMode", {DDERR_UNSUPPORTED}), recorder::Script("CreateSurface", {DD_OK, DDERR_OUTOFMEMORY}); },
                    NO_PICTURE("the display gave a window but no pages for the frames"), 22}),
    CaseName<EarlyReturn>);

// A scene of another size shows fitted, each made from one 320 x 200 picture so that any sane fitting's result is
// known without the rule: its blocks doubled, every second pixel, its first pixel alone, one column more on the left.
TEST_F(AppTest, ASceneOfAnotherSizeShowsFittedToTheFrame) {
    using Place = std::function<std::pair<int32_t, int32_t>(int32_t, int32_t)>;  // a pixel's place in the picture
    const struct {
        int32_t width, height;
        Place scene, shown;
    } scenes[] = {
        {640, 400, [](int32_t x, int32_t y) { return std::pair(x / 2, y / 2); }, [](int32_t x, int32_t y) { return std::pair(x, y); }},
        {160, 100, [](int32_t x, int32_t y) { return std::pair(x * 2, y * 2); }, [](int32_t x, int32_t y) { return std::pair(x / 2 * 2, y / 2 * 2); }},
        {1, 1, [](int32_t, int32_t) { return std::pair(0, 0); }, [](int32_t, int32_t) { return std::pair(0, 0); }},
        {321, 200, [](int32_t x, int32_t y) { return std::pair(std::max(x - 1, 0), y); }, [](int32_t x, int32_t y) { return std::pair(x, y); }}};
    const auto tga = [](const char* name, int32_t width, int32_t height, const Place& place) {
        std::vector<uint8_t> bgr;
        for (int32_t y = 0; y < height; ++y) {
            for (int32_t x = 0; x < width; ++x) {
                const auto [pictureX, pictureY] = place(x, y);
                for (int32_t channel = 0; channel < 3; ++channel) bgr.push_back(static_cast<uint8_t>(((pictureY * Width + pictureX) * 3 + channel) * 7919 % 251));
            }
        }
        const TgaLayout layout{.width = static_cast<uint16_t>(width), .height = static_cast<uint16_t>(height), .descriptor = 0x20};
        return WriteFileBytes(name, TgaFile(layout, {{}, {}, bgr}));
    };
    for (const auto& scene : scenes) {
        Clear();
        ASSERT_STREQ(tga("scr.tga", scene.width, scene.height, scene.scene), nullptr);
        ASSERT_STREQ(tga("shown.tga", Width, Height, scene.shown), nullptr);
        recorder::Tick([] { Pointer(100, 70); });
        EXPECT_EQ(Run("E"), 0) << scene.width << " x " << scene.height;
        EXPECT_EQ(memory_screen::Get().shown32, Composed(100, 70, false, "shown.tga")) << scene.width << " x " << scene.height;
    }
}

TEST_F(AppTest, GivesTheFineTickBackHoweverTheLoopEnds) {
    const std::tuple<const char*, void (*)(), bool> endings[] = {
        {"window closed", [] { memory_screen::Get().inputs.push_back([](int) { standins::PostClose(); }); }, true},
        {"GetMessageA failed", [] { recorder::Script("GetMessageA", {DDERR_GENERIC}); }, true},
        {"fine tick refused", [] { recorder::Script("timeBeginPeriod", {97}), recorder::Key(VK_ESCAPE); }, false},  // TIMERR_NOCANDO
    };
    for (const auto& [name, arrange, givenBack] : endings) {
        ReleaseDirectDraw();
        Clear();
        arrange();
        EXPECT_EQ(Run(""), 0) << name;
        const std::vector<std::string> fine = {"timeBeginPeriod(1)", "timeEndPeriod(1)"};
        EXPECT_EQ(Calls("time"), std::vector(fine.begin(), fine.begin() + (givenBack ? 2 : 1))) << name;
        EXPECT_EQ(Calls().back() == fine[1], givenBack) << name << ": last call " << Calls().back();
    }
}

TEST_F(AppTest, OneScreenshotPerTickThatFollowsF12) {
    const std::pair<const char*, size_t> inputs[] = {{"KKTTE", 1}, {"KTKTTE", 2}, {"TKE", 0}, {"TTE", 0}};
    for (const auto& [input, screenshots] : inputs) {
        const size_t before = Screenshots();
        Clear();
        EXPECT_EQ(Run(input), 0) << input;
        EXPECT_EQ(Screenshots() - before, screenshots) << input;
    }
}

TEST_F(AppTest, ScreenshotHoldsTheFrameTheTickPresented) {
    recorder::Key(VK_F12);
    recorder::Tick([] { Pointer(37, 181); });
    EXPECT_EQ(Run("E"), 0);
    EXPECT_EQ(ReadFileText("Screenshot 0.bmp"), ExpectedScreenshot(37, 181));
    EXPECT_EQ(memory_screen::Get().shown32, Composed(37, 181)) << "presented before the screenshot's swap";
}

TEST_F(AppTest, ScreenshotIsTakenOnATickWhoseLockFailed) {
    recorder::Key(VK_F12);
    recorder::Tick([] { recorder::Script("Lock", {DDERR_SURFACELOST}), Pointer(250, 20); });
    EXPECT_EQ(Run("E"), 0);
    for (const char* none : {"Back.BltFast", "Primary.Flip"}) EXPECT_EQ(Calls(none), std::vector<std::string>{});
    EXPECT_EQ(ReadFileText("Screenshot 0.bmp"), ExpectedScreenshot(250, 20));
}

TEST_F(AppTest, FailedPointerReadKeepsTheLastKnownPosition) {
    recorder::Tick([] { Pointer(40, 150); });
    recorder::Tick([] { recorder::Script("GetCursorPos", {DDERR_GENERIC}), Pointer(300, 10); });
    EXPECT_EQ(Run("E"), 0);
    EXPECT_EQ(Calls("GetCursorPos").size(), 2u);
    EXPECT_EQ(memory_screen::Get().shown32, Composed(40, 150));
}

TEST_F(AppTest, CopiesTheFrameRowByRowIntoPaddedPagesAndLeavesTooNarrowOnesAlone) {
    for (LONG padding : {64, 4, -64}) {
        Clear();
        recorder::Locks().padding = padding;
        recorder::Tick([] { Pointer(160, 100); });
        recorder::Tick([padding, frame = Composed(160, 100)] {  // before the next frame, on the other page
            const size_t row = size_t{Width} * 4, pitch = row + static_cast<size_t>(padding);
            std::vector<uint8_t> expected(pitch * Height, 0xA5);
            for (size_t y = 0; y < size_t{Height} && pitch >= row; ++y) {
                std::copy_n(frame.begin() + static_cast<long>(y * row), row, expected.begin() + static_cast<long>(y * pitch));
            }
            EXPECT_EQ(recorder::Padded(lpDDSTwo), expected) << "padding " << padding;
        });
        EXPECT_EQ(Run("E"), 0);
    }
}

// Where the display refuses the mode, the pointer starts amid the frame on the screen and steers through it.
TEST_F(AppTest, InAWindowThePointerIsMappedThroughTheFrameOnScreen) {
    recorder::Script("SetDisplayMode", {DDERR_UNSUPPORTED});
    recorder::Key(VK_F12);
    recorder::Tick([] { Pointer(2 * 37 + 1, 40 + 2 * 181); });
    EXPECT_EQ(Run("E"), 0);
    EXPECT_EQ(Calls("SetCursorPos"), std::vector<std::string>{"SetCursorPos(321, 241)"});
    EXPECT_EQ(ReadFileText("Screenshot 0.bmp"), ExpectedScreenshot(37, 181));
}

// A start that asks for help or the version, or misuses an option, answers in a box and makes no window.
TEST_F(AppTest, AnswersHelpVersionAndMisuseInABoxWithoutAWindow) {
    const std::tuple<const char*, int, const char*> answers[] = {  // options, exit code, the box's text as a pattern
        {"--help", 0, "varnelo: usage: varnelo \\[--window\\][\\s\\S]*Alt\\+Enter switches between full screen and a window\\.\n"},
        {"--version", 0, "varnelo: varnelo [0-9]+\\.[0-9]+\\.[0-9]+\n"},
        {"--aspect 5:4", 2, "varnelo: varnelo: --aspect takes 4:3 or square, not 5:4\nusage: varnelo \\[--window\\][^\n]*\n"},
        {"\"--whole\" --whole", 2, "varnelo: varnelo: --whole given twice\nusage: [^\n]*\n"}};
    for (const auto& [options, exitCode, told] : answers) {
        Clear();
        EXPECT_EQ(Run("", options), exitCode) << options;
        EXPECT_TRUE(std::regex_match(memory_screen::Get().told, std::regex(told))) << options << " told " << memory_screen::Get().told;
        EXPECT_TRUE(Calls().size() == 1 && Calls()[0].starts_with("MessageBoxA(null, ") && Calls()[0].ends_with(exitCode ? " 16)" : " 64)"))
            << options << " called " << testing::PrintToString(Calls());
    }
}

struct Switching {
    const char* name;
    const char* options;
    void (*arrange)();
    void (*beforeSecond)();
    POINT windowed;                     // where the frame's pixel (37, 181) is on the screen in the window or over the monitor
    std::vector<std::string> switches;  // what each Alt+Enter called, by name
    const char* places;                 // the window's style and place, at set-up and after each
    const char* cursor;                 // over the border, after set-up and each Alt+Enter
};

void PrintTo(const Switching& run, std::ostream* out) { *out << run.name; }

class AppSwitching : public AppTest, public ::testing::WithParamInterface<Switching> {};

// Alt+Enter twice from each start: the frames and screenshots stay exact, the log as set-up wrote it.
TEST_P(AppSwitching, AltEnterTwiceTradesFullScreenAndAWindow) {
    const Switching& run = GetParam();
    run.arrange();
    std::string log, cursor;
    const auto look = [&cursor] { cursor += memory_screen::Get().pointerShown ? "shown " : "hidden "; };
    recorder::Tick([&] { log = ReadFileText("DirectX.log"), look(); });
    for (int turn = 0; turn < 2; ++turn) {
        recorder::AltKey(VK_RETURN);
        recorder::Key(VK_F12);
        recorder::Tick([&] { bWindowed != 0 ? Pointer(run.windowed.x, run.windowed.y) : Pointer(37, 181), look(); });
        recorder::Tick(turn == 0 ? run.beforeSecond : nullptr);
    }
    EXPECT_EQ(Run("E", run.options), 0);
    std::vector<std::string> switches;  // from each Alt+Enter's dispatch up to the next message's
    bool switching = false;
    for (const std::string& call : Calls()) {
        if (call == "DispatchMessageA(260, 13)") switches.emplace_back();
        switching = call == "DispatchMessageA(260, 13)" || (switching && !call.starts_with("DispatchMessageA"));
        if (switching && !call.starts_with("DispatchMessageA")) switches.back() += call.substr(0, call.find('(')) + " ";
    }
    EXPECT_EQ(switches, run.switches);
    std::string places;
    for (const std::string& call : Calls("SetWindow")) places += call.substr(call.find('(')) + " ";
    EXPECT_EQ(places, run.places);
    EXPECT_EQ(cursor, run.cursor);
    EXPECT_EQ(ReadFileText("DirectX.log"), log);
    const std::string expected = ExpectedScreenshot(37, 181);
    for (const char* name : {"Screenshot 0.bmp", "Screenshot 1.bmp"}) EXPECT_TRUE(ReadFileText(name) == expected) << name << " is not the frame at (37, 181)";
    EXPECT_EQ(Calls("DefWindowProcA(window, 26"), std::vector<std::string>{}) << "Alt+Enter reached default processing";
}

#define LEAVE "Primary.Release Offscreen1.Release Offscreen2.Release DirectDraw.RestoreDisplayMode DirectDraw.SetCooperativeLevel "
#define FRAME "MonitorFromWindow GetMonitorInfoA AdjustWindowRectEx SetWindowLongA SetWindowPos "
#define COVER "MonitorFromWindow GetMonitorInfoA SetWindowLongA SetWindowPos "
#define WINDOW_SURFACES "DirectDraw.CreateSurface DirectDraw.CreateClipper Clipper.SetHWnd Primary.SetClipper DirectDraw.CreateSurface DirectDraw.CreateSurface "
#define RELEASE_WINDOW "Primary.Release Offscreen3.Release Offscreen4.Release Clipper.Release "
#define FRAMED_AT(place) "(window, 0xfffffff0, 0x10cf0000) (window, other, " place ", 96) "
#define COVERING "(window, 0xfffffff0, 0x90000000) (window, null, 0, 0, 640, 480, 96) "

INSTANTIATE_TEST_SUITE_P(, AppSwitching, ::testing::Values(
    Switching{"Granted", "", [] {}, [] {}, {75, 402},
              {LEAVE FRAME WINDOW_SURFACES "ShowCursor ", RELEASE_WINDOW COVER "DirectDraw.SetCooperativeLevel DirectDraw.SetDisplayMode "
               "DirectDraw.CreateSurface Primary.GetAttachedSurface DirectDraw.CreateSurface DirectDraw.CreateSurface ShowCursor "},
              FRAMED_AT("0, 40, 640, 400") COVERING, "hidden shown hidden "},
    Switching{"RefusedOnTheWayBack", "", [] {}, [] { recorder::Script("SetDisplayMode", {DDERR_UNSUPPORTED}); }, {75, 402},
              {LEAVE FRAME WINDOW_SURFACES "ShowCursor ", RELEASE_WINDOW COVER "DirectDraw.SetCooperativeLevel DirectDraw.SetDisplayMode "
               "DirectDraw.SetCooperativeLevel " FRAME WINDOW_SURFACES},
              FRAMED_AT("0, 40, 640, 400") COVERING FRAMED_AT("0, 40, 640, 400"), "hidden shown shown "},
    Switching{"Refused", "", [] { recorder::Script("SetDisplayMode", {DDERR_UNSUPPORTED}); }, [] {}, {75, 402},
              {FRAME "ShowCursor ", COVER "ShowCursor "}, COVERING FRAMED_AT("0, 40, 640, 400") COVERING, "hidden shown hidden "},
    // A window's page refused: all it had is given back, and full screen is taken again.
    Switching{"NoPageForTheWindow", "", [] { recorder::Script("CreateSurface", {DD_OK, DD_OK, DD_OK, DD_OK, DDERR_OUTOFMEMORY}); }, [] {},
              {75, 402}, {LEAVE FRAME "DirectDraw.CreateSurface DirectDraw.CreateClipper Clipper.SetHWnd Primary.SetClipper DirectDraw.CreateSurface "
                          "Primary.Release Clipper.Release " COVER "DirectDraw.SetCooperativeLevel DirectDraw.SetDisplayMode "
                          "DirectDraw.CreateSurface Primary.GetAttachedSurface DirectDraw.CreateSurface DirectDraw.CreateSurface ",
                          "Primary.Release Offscreen3.Release Offscreen4.Release DirectDraw.RestoreDisplayMode DirectDraw.SetCooperativeLevel "
                          FRAME WINDOW_SURFACES "ShowCursor "},
              FRAMED_AT("0, 40, 640, 400") COVERING FRAMED_AT("0, 40, 640, 400"), "hidden hidden shown "},
    Switching{"Window", "--window --aspect 4:3", [] {}, [] {}, {75, 435},
              {COVER "ShowCursor ", FRAME "ShowCursor "}, FRAMED_AT("0, 0, 640, 480") COVERING FRAMED_AT("0, 0, 640, 480"),
              "shown hidden shown "}),
    CaseName<Switching>);

// A held Alt+Enter and a plain Enter switch nothing and reach no default processing; Alt+F4 still closes.
TEST_F(AppTest, OnlyAFreshAltEnterSwitchesAndAltF4StillCloses) {
    recorder::AltKey(VK_RETURN, true);
    recorder::Key(VK_RETURN);
    recorder::Tick();
    recorder::AltKey(VK_F4);
    EXPECT_EQ(Run(""), 0);
    EXPECT_EQ(Calls("DirectDraw.SetCooperativeLevel").size(), 1u) << "set-up's alone";
    EXPECT_EQ(Calls("SetWindow"), std::vector<std::string>{});
    EXPECT_EQ(Calls("DefWindowProcA"), (std::vector<std::string>{"DefWindowProcA(window, 260, 115, 0x20000001)", "DefWindowProcA(window, 16, 0, 0)"}));
    EXPECT_EQ(Calls("PostQuitMessage"), std::vector<std::string>{"PostQuitMessage(0)"});
}

// In a window the cursor hides over the picture alone; full screen leaves it to default processing, hidden.
TEST_F(AppTest, OverTheWindowThePictureHidesTheCursorAndTheBorderShowsIt) {
    const auto setCursor = [](LPARAM hitTest) {
        recorder::ForgetCalls();
        const LRESULT result = WindowProc(DisplayWindow, WM_SETCURSOR, 0, hitTest);
        return std::pair(result, Calls());
    };
    using Handled = std::pair<LRESULT, std::vector<std::string>>;
    recorder::Tick([&] {
        EXPECT_EQ(setCursor(HTCLIENT), (Handled{TRUE, {"SetCursor(null)"}}));
        EXPECT_EQ(setCursor(2), (Handled{0, {"DefWindowProcA(window, 32, 0, 2)"}})) << "over the title bar";
    });
    recorder::AltKey(VK_RETURN);
    recorder::Tick([&] { EXPECT_EQ(setCursor(HTCLIENT), (Handled{0, {"DefWindowProcA(window, 32, 0, 1)"}})) << "full screen"; });
    EXPECT_EQ(Run("E", "--window"), 0);
}

}  // namespace
