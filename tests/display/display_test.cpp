// The display: set-up and its log, each failing step, release, presentation on a busy, lost or odd display, the texts.
#include <iconv.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <fstream>

#include "display/window.h"
#include "tests/fakes/program_test.h"

namespace {

using recorder::Calls;

std::string Cp1250(std::string utf8) {  // the system's iconv, not the compiler's conversion
    iconv_t converter = iconv_open("CP1250", "UTF-8");
    std::string out(utf8.size(), '\0');
    char *in = utf8.data(), *to = out.data();
    size_t inLeft = utf8.size(), outLeft = out.size();
    EXPECT_NE(iconv(converter, &in, &inLeft, &to, &outLeft), static_cast<size_t>(-1)) << utf8;
    iconv_close(converter);
    return out.substr(0, out.size() - outLeft);
}

// The logs the scripted checks expect too: of a set-up in which every call succeeds, and of a window's after a refusal.
const std::string kFullLog = ReadFileText(VARNELO_SUPPORT "/full_setup.log");
const std::string kWindowLog = ReadFileText(VARNELO_SUPPORT "/window_setup.log");

const std::vector<std::string> kSetUpCalls = {
    "DirectDrawCreateEx(null, \"IID_IDirectDraw7\", null)", "DirectDraw.SetCooperativeLevel(window, 19)",
    "DirectDraw.SetDisplayMode(320, 200, 32, 0, 1)", "DirectDraw.CreateSurface(33, 0x100218, 1, 0, 0, null)",
    "Primary.GetAttachedSurface(0x100004, 0, 0, 0)", "DirectDraw.CreateSurface(7, 0x100840, 1, 320, 200, null)",
    "DirectDraw.CreateSurface(7, 0x100840, 1, 320, 200, null)"};
// On a 640 x 480 desktop, after the release of an exclusive flip chain and the mode.
const std::vector<std::string> kWindowCalls = {
    "DirectDraw.SetCooperativeLevel(window, 8)", "MonitorFromWindow(window, 2)", "GetMonitorInfoA(other, other)",
    "SetWindowLongA(window, 0xfffffff0, 0x90000000)", "SetWindowPos(window, null, 0, 0, 640, 480, 96)",
    "DirectDraw.CreateSurface(1, 512, 0, 0, 0, null)", "DirectDraw.CreateClipper(0, null)", "Clipper.SetHWnd(0, window)",
    "Primary.SetClipper(Clipper)", "DirectDraw.CreateSurface(4103, 2112, 0, 320, 200, null)",
    "DirectDraw.CreateSurface(4103, 2112, 0, 320, 200, null)"};

std::string LogUpTo(size_t lines, const char* last = nullptr) {
    size_t end = 0;
    for (size_t line = 0; line < lines; ++line) end = kFullLog.find('\n', end) + 1;
    const std::string log = kFullLog.substr(0, end);
    return last == nullptr ? log : log + Cp1250(last) + "\n";
}

class DisplayTest : public ProgramTest {
protected:
    static HRESULT SetUpDisplay() { return InitDirectDraw(OpenWindow(), 320, 200); }
    // Afresh, in a window over a desktop of the given size.
    static void SetUpWindowOn(int width, int height) {
        ReleaseDirectDraw();
        Clear();
        std::tie(memory_screen::Get().desktopWidth, memory_screen::Get().desktopHeight) = std::pair(width, height);
        recorder::Script("SetDisplayMode", {DDERR_UNSUPPORTED});
        SetUpDisplay();
    }
    // "Object.Method" of each call since the last ForgetCalls, a space after each.
    static std::string Targets() {
        std::string targets;
        for (const std::string& call : Calls()) targets += call.substr(0, call.find('(')) + " ";
        return targets;
    }
};

TEST_F(DisplayTest, SetUpWritesSeventeenLogLinesAndFillsEveryObject) {
    ASSERT_EQ(SetUpDisplay(), DD_OK);
    EXPECT_EQ(ReadFileText("DirectX.log"), LogUpTo(17));
    EXPECT_EQ(Calls(), kSetUpCalls);
    EXPECT_EQ(Held(), "lpDD lpDDSPrimary lpDDSBack lpDDSOne lpDDSTwo");
    EXPECT_EQ(std::pair(DisplayWidth, DisplayHeight), std::pair(320, 200));
}

struct FailingStep {
    const char* name;
    const char* method;
    std::vector<HRESULT> script;  // the earlier calls of the same method succeed
    const char* utf8Text;
    size_t logLines;  // lines of a successful set-up up to the failing call's own
    bool windowed;
    std::vector<std::string> undone;  // what the exclusive attempt left, undone before the window
    const char* released;
};

constexpr const char* kWindowRelease = "Primary.Release Offscreen1.Release Offscreen2.Release Clipper.Release DirectDraw.Release ";

class SetUpFailure : public DisplayTest, public ::testing::WithParamInterface<FailingStep> {};

// A refusal of full screen, its mode or its flip chain leads to a window; any other failure leaves nothing to show on.
TEST_P(SetUpFailure, LogsTheTextThenSetsUpAWindowOrStops) {
    const FailingStep& step = GetParam();
    recorder::Script(step.method, step.script);
    EXPECT_EQ(SetUpDisplay(), step.script.back());
    std::vector<std::string> calls(kSetUpCalls.begin(), kSetUpCalls.begin() + static_cast<long>((step.logLines - 1) / 2));
    calls.insert(calls.end(), step.undone.begin(), step.undone.end());
    if (step.windowed) calls.insert(calls.end(), kWindowCalls.begin(), kWindowCalls.end());
    EXPECT_EQ(Calls(), calls);
    std::string log = LogUpTo(step.logLines, step.utf8Text);
    const bool modeSet = !step.undone.empty() && step.undone.back() == "DirectDraw.RestoreDisplayMode()";
    std::string windowLog = kWindowLog;  // a mode that was set is given back right after "Windowed mode"
    if (modeSet) windowLog.insert(windowLog.find('\n') + 1, "RestoreDisplayMode();\n    OK\n");
    if (step.windowed) log += windowLog;
    EXPECT_EQ(ReadFileText("DirectX.log"), log);
    EXPECT_EQ(std::pair(PresentationReady(), bWindowed), std::pair(step.windowed, step.windowed ? 1 : 0)) << "ready, windowed";
    recorder::ForgetCalls();
    ReleaseDirectDraw();
    EXPECT_EQ(Targets(), step.released);
    EXPECT_EQ(Held(), "");
    EXPECT_FALSE(PresentationReady());
}

INSTANTIATE_TEST_SUITE_P(
    , SetUpFailure,
    ::testing::Values(
        FailingStep{"Create", "DirectDrawCreateEx", {DDERR_GENERIC}, "Nedefinovaná chyba !", 3, false, {}, ""},
        FailingStep{"CooperativeLevel", "SetCooperativeLevel", {VARNELO_HRESULT(0x88760245)},
                    "Cooperative mode nemohl být nastaven na EXCLUSIVE !", 5, true, {}, kWindowRelease},
        FailingStep{"RefusedMode", "SetDisplayMode", {DDERR_UNSUPPORTED}, "Operace není podporována !", 7, true, {}, kWindowRelease},
        FailingStep{"Primary", "CreateSurface", {VARNELO_HRESULT(0x8876017C)}, "Málo Video-RAM ! !", 9, true,
                    {"DirectDraw.RestoreDisplayMode()"}, kWindowRelease},
        FailingStep{"UnknownCode", "GetAttachedSurface", {VARNELO_HRESULT(0x88760001)}, "Neidentifikovatelná chyba !", 11, true,
                    {"Primary.Release()", "DirectDraw.RestoreDisplayMode()"}, kWindowRelease},
        FailingStep{"PageOne", "CreateSurface", {DD_OK, DDERR_OUTOFMEMORY}, "Málo RAM !", 14, false, {},
                    "Primary.Release DirectDraw.Release "},
        FailingStep{"PageTwo", "CreateSurface", {DD_OK, DD_OK, DDERR_SURFACEBUSY},
                    "Surface nyní není k dispozici (zkuste to za 10 min.) !", 16, false, {},
                    "Primary.Release Offscreen1.Release DirectDraw.Release "}),
    CaseName<FailingStep>);

// A refused lock, a lock without memory and a 16-bit page draw nothing and keep the page.
TEST_F(DisplayTest, UnusableLocksLeaveThePageForTheNextTick) {
    ASSERT_EQ(SetUpDisplay(), DD_OK);
    const std::pair<void (*)(), const char*> cases[] = {
        {[] { recorder::Script("Lock", {DDERR_SURFACEBUSY}); }, "Offscreen2.Lock "},
        {[] { recorder::Locks().nullPointer = true; }, "Offscreen2.Lock Offscreen2.Unlock "},
        {[] { recorder::Locks() = {false, 16, 0}; }, "Offscreen2.Lock Offscreen2.Unlock "}};
    for (const auto& [arrange, calls] : cases) {
        recorder::ForgetCalls();
        arrange();
        void* pixels = nullptr;
        EXPECT_EQ(LockPage(&pixels), 0) << calls;
        EXPECT_EQ(pixels, nullptr);
        EXPECT_EQ(Targets(), calls);
        EXPECT_EQ(bPageOne, 0);
    }
    recorder::Locks() = {false, 32, 64};
    void* pixels = nullptr;
    EXPECT_EQ(LockPage(&pixels), 1) << "the page was unlocked each time";
    EXPECT_EQ(LockedPagePitch(), 320 * 4 + 64);
}

struct FlipCase {
    const char* name;
    std::vector<HRESULT> bltFast, flip, restore;
    const char* calls;  // after the page's Unlock
};

class FlipLoop : public DisplayTest, public ::testing::WithParamInterface<FlipCase> {};

TEST_P(FlipLoop, CopiesAndFlipsUntilSettled) {
    ASSERT_EQ(SetUpDisplay(), DD_OK);
    void* pixels = nullptr;
    ASSERT_EQ(LockPage(&pixels), 1);
    recorder::ForgetCalls();
    recorder::Script("BltFast", GetParam().bltFast);
    recorder::Script("Flip", GetParam().flip);
    recorder::Script("Restore", GetParam().restore);
    FlipPages();
    EXPECT_EQ(Targets(), "Offscreen2.Unlock " + std::string(GetParam().calls));
    EXPECT_EQ(bPageOne, 1);
}

INSTANTIATE_TEST_SUITE_P(
    , FlipLoop,
    ::testing::Values(
        FlipCase{"StillDrawingTwice", {DDERR_WASSTILLDRAWING, DDERR_WASSTILLDRAWING}, {}, {},
                 "Back.BltFast Back.BltFast Back.BltFast Primary.Flip "},
        FlipCase{"LostInTheCopy", {DDERR_SURFACELOST}, {}, {},
                 "Back.BltFast Primary.Restore Offscreen1.Restore Offscreen2.Restore Primary.Flip "},
        FlipCase{"RestoreFails", {DDERR_SURFACELOST}, {}, {DDERR_SURFACELOST}, "Back.BltFast Primary.Restore Primary.Flip "},
        FlipCase{"CopyRefused", {DDERR_GENERIC}, {}, {}, "Back.BltFast Primary.Flip "},
        FlipCase{"NotFlippable", {}, {DDERR_NOTFLIPPABLE}, {}, "Back.BltFast Primary.Flip "},
        FlipCase{"FlipStillDrawingThenLost", {}, {DDERR_WASSTILLDRAWING, DDERR_SURFACELOST}, {},
                 "Back.BltFast Primary.Flip Primary.Flip Primary.Restore Offscreen1.Restore Offscreen2.Restore "}),
    CaseName<FlipCase>);

// A display that never stops drawing costs the frame after a wait of 4 ms (its retries depend on the machine's load).
TEST_F(DisplayTest, BusyForeverGivesUpTheFrame) {
    const char* const cases[][2] = {{"BltFast", "Primary.Flip"}, {"Flip", "Back.BltFast"}};
    for (const auto& [busy, once] : cases) {
        ASSERT_EQ(SetUpDisplay(), DD_OK);
        void* pixels = nullptr;
        ASSERT_EQ(LockPage(&pixels), 1);
        recorder::Script(busy, {DDERR_WASSTILLDRAWING}, true);
        const auto start = std::chrono::steady_clock::now();
        FlipPages();
        EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(4)) << busy;
        EXPECT_EQ(Calls(once).size(), 1u) << busy;
        ReleaseDirectDraw();
        Clear();
    }
}

struct Incomplete {
    std::vector<std::pair<const char*, std::vector<HRESULT>>> scripts;
    const char* lastCall;  // the log's last call, followed by the text of the failure
    const char* flip;      // what FlipPages still touches
};

TEST_F(DisplayTest, AnIncompleteSetUpShowsNothingAndTouchesOnlyWhatExists) {
    const std::vector<HRESULT> refused = {DDERR_UNSUPPORTED}, pass = {DD_OK};
    const Incomplete cases[] = {
        {{{"DirectDrawCreateEx", {DDERR_GENERIC}}}, "DirectDrawCreateEx(NULL, &lpDD, IID_IDirectDraw7, NULL);", ""},
        {{{"CreateSurface", {DD_OK, DD_OK, DDERR_OUTOFMEMORY}}}, "CreateSurface(&ddsd, &lpDDSTwo, NULL);", "Primary.Flip "},
        {{{"SetDisplayMode", refused}, {"SetCooperativeLevel", {DD_OK, DDERR_GENERIC}}}, "SetCooperativeLevel(NORMAL);", ""},
        {{{"SetDisplayMode", refused}, {"CreateSurface", {DDERR_OUTOFMEMORY}}}, "CreateSurface(&ddsd, &lpDDSPrimary, NULL);", ""},
        {{{"SetDisplayMode", refused}, {"CreateClipper", {DDERR_OUTOFMEMORY}}}, "CreateClipper(0, &lpDDClipper, NULL);", ""},
        {{{"SetDisplayMode", refused}, {"SetHWnd", {VARNELO_HRESULT(0x8876023B)}}}, "SetHWnd(0, hwnd);", ""},
        {{{"SetDisplayMode", refused}, {"SetClipper", {DDERR_GENERIC}}}, "SetClipper(lpDDClipper);", ""},
        {{{"SetDisplayMode", refused}, {"CreateSurface", {DD_OK, DDERR_OUTOFMEMORY}}}, "CreateSurface(&ddsd, &lpDDSOne, NULL);", ""},
        {{}, nullptr, ""}};  // a display released, on which Alt+Enter has nothing to switch either
    for (const auto& [scripts, lastCall, flip] : cases) {
        Clear();
        HRESULT failure = DD_OK;
        for (const auto& [method, results] : scripts) {
            recorder::Script(method, results);
            failure = results.back();
        }
        SetUpDisplay();
        if (lastCall != nullptr) {
            EXPECT_FALSE(PresentationReady()) << lastCall;
            const std::string log = ReadFileText("DirectX.log");
            EXPECT_EQ(log.substr(log.rfind('\n', log.size() - 2) - std::string(lastCall).size()),
                      lastCall + std::string("\n") + DDErrorText(failure) + "\n");
        } else {
            ReleaseDirectDraw();
        }
        recorder::ForgetCalls();
        void* pixels = nullptr;
        EXPECT_EQ(LockPage(&pixels), 0) << lastCall;
        FlipPages();
        if (lastCall == nullptr) SwitchFullScreen();
        EXPECT_EQ(Targets(), flip) << lastCall;
        ReleaseDirectDraw();
    }
}

// In a window: twice as large amid 640 x 480, then only what changed; nothing while minimised; all again once restored.
TEST_F(DisplayTest, AWindowGetsTheFrameStretchedBetweenBlackBands) {
    recorder::Script("SetDisplayMode", {DDERR_UNSUPPORTED});
    ASSERT_EQ(SetUpDisplay(), DDERR_UNSUPPORTED);
    std::vector<uint32_t> frame(size_t{Width} * Height);
    for (size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<uint32_t>(i * 2654435761u) | 1;
    using Blts = std::vector<std::string>;
    const auto present = [&frame] {
        void* pixels = nullptr;
        if (LockPage(&pixels) != 1) return Blts{"no page"};
        std::copy(frame.begin(), frame.end(), static_cast<uint32_t*>(pixels));
        recorder::ForgetCalls();
        FlipPages();
        return Calls("Primary");
    };
    EXPECT_EQ(present(), Blts{"Primary.Blt(0,40,640,440, Offscreen2, 0,0,320,200, 0, null)"});
    EXPECT_EQ(present(), Blts{}) << "the same frame again";
    EXPECT_FALSE(PlanWindowCopy(frame.data(), Width * 4 - 4).placed) << "a pitch shorter than a row";
    frame[7 * Width + 5] = 0;
    frame[9 * Width] = 0;
    EXPECT_EQ(present(), Blts{"Primary.Blt(0,54,12,60, Offscreen2, 0,7,6,10, 0, null)"});
    const memory_screen::State& screen = memory_screen::Get();
    ASSERT_EQ(std::pair(screen.shownWidth, screen.shownHeight), std::pair(640, 480));
    const auto* shown = reinterpret_cast<const uint32_t*>(screen.shown32.data());
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 640; ++x) {
            const uint32_t expected = y < 40 || y >= 440 ? 0 : frame[size_t((y - 40) / 2 * Width + x / 2)];
            ASSERT_EQ(shown[y * 640 + x], expected) << "at " << x << "," << y;
        }
    }
    for (int frames = 3; frames < FramesBetweenWholeCopies; ++frames) ASSERT_EQ(present(), Blts{}) << frames;
    EXPECT_EQ(present(), Blts{"Primary.Blt(0,40,640,440, Offscreen2, 0,0,320,200, 0, null)"}) << "all again, to mend";
    memory_screen::TakeAway();
    EXPECT_EQ(present(), Blts{});
    EXPECT_EQ(Targets(), "GetClientRect Offscreen1.Unlock ");
    memory_screen::GiveBack();
    recorder::Script("Blt", {DDERR_SURFACELOST});
    present();
    EXPECT_EQ(Targets(), "GetClientRect ClientToScreen Offscreen2.Unlock Primary.Blt Primary.Restore Offscreen1.Restore "
                         "Offscreen2.Restore ");
    EXPECT_EQ(present(), Blts{"Primary.Blt(0,40,640,440, Offscreen1, 0,0,320,200, 0, null)"});
    SetWindowPos(DisplayWindow, HWND_TOP, 100, 50, 320, 240, 0);  // moved, and smaller: the frame shown again at once
    recorder::ForgetCalls();
    RepaintWindow();
    EXPECT_EQ(Calls("Primary"), Blts{"Primary.Blt(100,70,420,270, Offscreen1, 0,0,320,200, 0, null)"}) << "the page shown";
    EXPECT_EQ(present(), Blts{"Primary.Blt(100,70,420,270, Offscreen2, 0,0,320,200, 0, null)"}) << "and then all of the next";
    SetUpWindowOn(1024, 768);  // at a scale of 3.2 a part widens to whole steps of 5 frame pixels
    present();
    frame[7 * Width + 5] = frame[9 * Width] = 1;
    EXPECT_EQ(present(), Blts{"Primary.Blt(0,80,32,96, Offscreen1, 0,5,10,10, 0, null)"});
    const std::vector<uint8_t> partly = memory_screen::Get().shown32;
    SwitchFullScreen(), SwitchFullScreen();  // Alt+Enter there and back, with no mode to leave: the window is shown anew
    EXPECT_EQ(present(), Blts{"Primary.Blt(0,64,1024,704, Offscreen2, 0,0,320,200, 0, null)"});
    const std::vector<uint8_t>& whole = memory_screen::Get().shown32;
    EXPECT_EQ(std::mismatch(partly.begin(), partly.end(), whole.begin(), whole.end()).first - partly.begin(),
              std::max(std::ssize(partly), std::ssize(whole)))
        << "the first byte at which the part differs from the whole frame, of " << partly.size();
}

// The frame as large as fits, centred, maps the pointer both ways (off it: its nearest edge); exclusive mode does not.
TEST_F(DisplayTest, ThePointerIsMappedThroughTheFrameOnScreenInAWindowOnly) {
    const std::pair<std::array<int, 2>, std::array<LONG, 4>> desktops[] = {
        {{640, 480}, {0, 40, 640, 440}}, {{1024, 768}, {0, 64, 1024, 704}}, {{1920, 1080}, {96, 0, 1824, 1080}}};
    for (const auto& [desktop, expected] : desktops) {
        SetUpWindowOn(desktop[0], desktop[1]);
        RECT onScreen{};
        ASSERT_TRUE(FrameOnScreen(&onScreen)) << desktop[0];
        EXPECT_EQ((std::array<LONG, 4>{onScreen.left, onScreen.top, onScreen.right, onScreen.bottom}), expected) << desktop[0];
        const std::pair<POINT, POINT> points[] = {{{0, 0}, {0, 0}}, {{desktop[0] - 1, desktop[1] - 1}, {319, 199}},
                                                  {{-5, 9000}, {0, 199}}, {{(expected[0] + expected[2]) / 2, expected[1]}, {160, 0}}};
        for (auto [screen, frame] : points) {
            ASSERT_TRUE(ScreenToFrame(&screen));
            EXPECT_EQ(std::pair(screen.x, screen.y), std::pair(frame.x, frame.y)) << "on a desktop " << desktop[0] << " wide";
        }
        for (POINT frame : {POINT{0, 0}, POINT{319, 199}, POINT{37, 181}, POINT{160, 100}}) {
            POINT there = frame;
            ASSERT_TRUE(FrameToScreen(&there));
            ASSERT_TRUE(ScreenToFrame(&there));
            EXPECT_EQ(std::pair(there.x, there.y), std::pair(frame.x, frame.y)) << desktop[0] << " wide, there and back";
        }
    }
    POINT beyond{400, 250};  // off the frame: the middle of its nearest pixel on 1920 x 1080
    ASSERT_TRUE(FrameToScreen(&beyond));
    EXPECT_EQ(std::pair(beyond.x, beyond.y), std::pair(1821, 1077));
    SetUpWindowOn(640, 1);  // a desktop one row tall still shows the frame, as one pixel
    RECT one{};
    ASSERT_TRUE(FrameOnScreen(&one));
    EXPECT_EQ((std::array<LONG, 4>{one.left, one.top, one.right, one.bottom}), (std::array<LONG, 4>{319, 0, 320, 1}));
    for (auto [width, height] : {std::pair(0, 480), std::pair(640, 0)}) {  // a window without an area shows no frame
        SetWindowPos(DisplayWindow, HWND_TOP, 0, 0, width, height, 0);
        EXPECT_FALSE(FrameOnScreen(&one)) << width << " x " << height;
    }
    memory_screen::TakeAway();  // minimised: nowhere to map through
    POINT kept{5, 5};
    EXPECT_FALSE(ScreenToFrame(&kept));
    EXPECT_FALSE(FrameToScreen(&kept));
    EXPECT_EQ(std::pair(kept.x, kept.y), std::pair(5, 5));
    ReleaseDirectDraw();
    Clear();
    ASSERT_EQ(SetUpDisplay(), DD_OK);
    recorder::ForgetCalls();
    POINT outside{400, -5};
    EXPECT_TRUE(ScreenToFrame(&outside));
    EXPECT_TRUE(FrameToScreen(&outside));
    EXPECT_EQ(std::pair(outside.x, outside.y), std::pair(400, -5));
    RepaintWindow();  // the monitor shows the flip chain, not a window
    EXPECT_TRUE(Calls().empty());
}

struct ShapeCase {
    letterbox::Shape shape;
    std::array<LONG, 4> over1920;  // the frame in a window over a 1920 x 1080 monitor
    const char* framed;            // the window's place when framed there (the core's windows have no border)
};

// The shape chosen places the frame in the window, the pointer follows it, and a framed window is the largest whole
// multiple of the frame in that shape that fits, centred; on a monitor too small for any, once, kept on it.
TEST_F(DisplayTest, TheShapeChosenPlacesTheFrameAndSizesTheWindow) {
    using letterbox::Aspect;
    const ShapeCase cases[] = {
        {{Aspect::Square, false}, {96, 0, 1824, 1080}, "SetWindowPos(window, other, 160, 40, 1600, 1000, 96)"},
        {{Aspect::Square, true}, {160, 40, 1760, 1040}, "SetWindowPos(window, other, 160, 40, 1600, 1000, 96)"},
        {{Aspect::FourThree, false}, {240, 0, 1680, 1080}, "SetWindowPos(window, other, 320, 60, 1280, 960, 96)"},
        {{Aspect::FourThree, true}, {320, 40, 1600, 1040}, "SetWindowPos(window, other, 320, 40, 1280, 1000, 96)"}};
    for (const auto& [shape, over1920, framed] : cases) {
        const std::string name = std::string(shape.aspect == Aspect::Square ? "square" : "4:3") + (shape.whole ? " whole" : "");
        SetUpWindowOn(1920, 1080);
        ChooseDisplay(false, shape);
        RECT onScreen{};
        ASSERT_TRUE(FrameOnScreen(&onScreen)) << name;
        EXPECT_EQ((std::array<LONG, 4>{onScreen.left, onScreen.top, onScreen.right, onScreen.bottom}), over1920) << name;
        POINT corner{onScreen.right - 1, onScreen.bottom - 1}, middle{160, 100};
        ASSERT_TRUE(ScreenToFrame(&corner) && FrameToScreen(&middle) && ScreenToFrame(&middle));
        EXPECT_EQ(std::tuple(corner.x, corner.y, middle.x, middle.y), std::tuple(319, 199, 160, 100)) << name << ": a corner, and the middle there and back";
        recorder::ForgetCalls();
        FrameWindow(DisplayWindow);
        EXPECT_EQ(Calls("SetWindow"), (std::vector<std::string>{"SetWindowLongA(window, 0xfffffff0, 0x10cf0000)", framed})) << name;
    }
    SetUpWindowOn(300, 100);
    recorder::ForgetCalls();
    FrameWindow(DisplayWindow);
    EXPECT_EQ(Calls("SetWindowPos"), std::vector<std::string>{"SetWindowPos(window, other, 0, 0, 320, 200, 96)"});
}

// Asked for a window, set-up tries no exclusive mode: the log goes from DirectDraw's creation to a window's set-up.
TEST_F(DisplayTest, AWindowAskedForSkipsTheExclusiveMode) {
    ChooseDisplay(true, {});
    ASSERT_EQ(SetUpDisplay(), DD_OK);
    EXPECT_EQ(ReadFileText("DirectX.log"), LogUpTo(4) + kWindowLog);
    EXPECT_EQ(Calls("DirectDraw.Set"), std::vector<std::string>{"DirectDraw.SetCooperativeLevel(window, 8)"});
    EXPECT_EQ(std::tuple(PresentationReady(), bWindowed, bFramed), std::tuple(true, 1, 1)) << "ready, windowed, framed";
}

TEST_F(DisplayTest, LogStartsAfreshTakesLinesLiterallyAndIsSkippedWhenUnwritable) {
    std::ofstream("DirectX.log") << "an older run\n";
    LogStart();
    for (const char* text : {"", "100% %s %d %n %%"}) LogLine(text);
    EXPECT_EQ(ReadFileText("DirectX.log"), LogUpTo(1) + "\n100% %s %d %n %%\n");
    std::filesystem::remove("DirectX.log");
    std::filesystem::create_directory("DirectX.log");
    EXPECT_EQ(SetUpDisplay(), DD_OK);
}

// Each code has its text as a Czech reader writes it, in Windows-1250 by iconv; every other code, 0 too, the default.
TEST(ErrorText, EachCodeHasItsTextAndEveryOtherTheDefault) {
    std::ifstream table(VARNELO_SUPPORT "/error_texts.txt");
    std::set<uint32_t> listed;
    for (std::string line; std::getline(table, line);) {
        const auto code = static_cast<uint32_t>(std::stoul(line.substr(0, 10), nullptr, 16));
        listed.insert(code);
        EXPECT_EQ(DDErrorText(static_cast<HRESULT>(code)), Cp1250(line.substr(11))) << std::hex << code;
    }
    EXPECT_EQ(listed.size(), 99u);
    const std::string unknown = Cp1250("Neidentifikovatelná chyba !");
    for (uint32_t code : {0u, 0x80004002u, 0x08760078u, 0x887601C3u, 0xFFFFFFFFu}) {
        EXPECT_EQ(DDErrorText(static_cast<HRESULT>(code)), unknown) << std::hex << code;
    }
    for (uint32_t code = 0x88760000; code < 0x88760300; ++code) {
        if (listed.count(code) == 0) {
            EXPECT_EQ(DDErrorText(static_cast<HRESULT>(code)), unknown) << std::hex << code;
        }
    }
}

// The conversion the texts are built with, against iconv's code page: each byte from the character it stands for.
TEST(ErrorText, Windows1250IsTheSystemsCodePage) {
    iconv_t toUtf32 = iconv_open("UTF-32LE", "CP1250");
    for (int byte = 1; byte < 256; ++byte) {
        char32_t character = 0;
        char in = static_cast<char>(byte), *from = &in, *to = reinterpret_cast<char*>(&character);
        size_t inLeft = 1, outLeft = sizeof character;
        if (iconv(toUtf32, &from, &inLeft, &to, &outLeft) != 0) continue;  // a byte the code page leaves out
        EXPECT_EQ(Windows1250Byte(character), in) << std::hex << byte;
    }
    iconv_close(toUtf32);
    for (uint32_t lacking : {0x80u, 0x81u, 0xFFu, 0x20ADu}) EXPECT_THROW(Windows1250Byte(lacking), const char*) << std::hex << lacking;
}

}  // namespace
