// The display: set-up and its log, each failing step, restore and release, presentation on a
// busy, lost or odd display, and the Czech error texts.
#include <iconv.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <set>

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

// The log of a set-up in which every call succeeds, as the scripted checks expect it too.
const std::string kFullLog = [] {
    std::ifstream file(VARNELO_FULL_SETUP_LOG, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}();

const std::vector<std::string> kSetUpCalls = {
    "DirectDrawCreateEx(null, \"IID_IDirectDraw7\", null)", "DirectDraw.SetCooperativeLevel(window, 19)",
    "DirectDraw.SetDisplayMode(320, 200, 32, 0, 1)", "DirectDraw.CreateSurface(33, 0x100218, 1, 0, 0, null)",
    "Primary.GetAttachedSurface(0x100004, 0, 0, 0)", "DirectDraw.CreateSurface(7, 0x100840, 1, 320, 200, null)",
    "DirectDraw.CreateSurface(7, 0x100840, 1, 320, 200, null)"};

std::string LogUpTo(size_t lines, const char* last = nullptr) {
    size_t end = 0;
    for (size_t line = 0; line < lines; ++line) end = kFullLog.find('\n', end) + 1;
    const std::string log = kFullLog.substr(0, end);
    return last == nullptr ? log : log + Cp1250(last) + "\n";
}

class DisplayTest : public ProgramTest {
protected:
    static HRESULT SetUpDisplay() { return InitDirectDraw(OpenWindow(), 320, 200); }
    // "Object.Method" of each call since the last ForgetCalls, a space after each.
    static std::string Targets() {
        std::string targets;
        for (const std::string& call : Calls()) targets += call.substr(0, call.find('(')) + " ";
        return targets;
    }
};

TEST_F(DisplayTest, SetUpWritesSeventeenLogLinesAndFillsEveryObject) {
    ASSERT_EQ(SetUpDisplay(), DD_OK);
    EXPECT_EQ(Read("DirectX.log"), LogUpTo(17));
    EXPECT_EQ(Calls(), kSetUpCalls);
    EXPECT_TRUE(lpDD && lpDDSPrimary && lpDDSBack && lpDDSOne && lpDDSTwo);
    EXPECT_EQ(DisplayWidth * 1000 + DisplayHeight, 320200);
}

struct FailingStep {
    const char* name;
    const char* method;
    std::vector<HRESULT> script;  // the earlier calls of the same method succeed
    const char* utf8Text;
    size_t logLines;  // lines of a successful set-up up to the failing call's own
    const char* released;
};

class SetUpFailure : public DisplayTest, public ::testing::WithParamInterface<FailingStep> {};

TEST_P(SetUpFailure, StopsLogsTheTextAndReleasesWhatExists) {
    const FailingStep& step = GetParam();
    recorder::Script(step.method, step.script);
    EXPECT_EQ(SetUpDisplay(), step.script.back());
    EXPECT_EQ(Read("DirectX.log"), LogUpTo(step.logLines, step.utf8Text));
    const std::vector<std::string> calls = Calls();
    EXPECT_EQ(calls, std::vector<std::string>(kSetUpCalls.begin(), kSetUpCalls.begin() + static_cast<long>(calls.size())));
    recorder::ForgetCalls();
    ReleaseDirectDraw();
    EXPECT_EQ(Targets(), step.released);
    EXPECT_FALSE(lpDD || lpDDSPrimary || lpDDSOne || lpDDSTwo);
}

INSTANTIATE_TEST_SUITE_P(
    , SetUpFailure,
    ::testing::Values(
        FailingStep{"Create", "DirectDrawCreateEx", {DDERR_GENERIC}, "Nedefinovaná chyba !", 3, ""},
        FailingStep{"CooperativeLevel", "SetCooperativeLevel", {VARNELO_HRESULT(0x88760245)},
                    "Cooperative mode nemohl být nastaven na EXCLUSIVE !", 5, "DirectDraw.Release "},
        FailingStep{"RefusedMode", "SetDisplayMode", {DDERR_INVALIDMODE}, "DirectDraw nepodporuje tento mód !", 7,
                    "DirectDraw.Release "},
        FailingStep{"Primary", "CreateSurface", {VARNELO_HRESULT(0x8876017C)}, "Málo Video-RAM ! !", 9, "DirectDraw.Release "},
        FailingStep{"UnknownCode", "GetAttachedSurface", {VARNELO_HRESULT(0x88760001)}, "Neidentifikovatelná chyba !", 11,
                    "Primary.Release DirectDraw.Release "},
        FailingStep{"PageOne", "CreateSurface", {DD_OK, DDERR_OUTOFMEMORY}, "Málo RAM !", 14,
                    "Primary.Release DirectDraw.Release "},
        FailingStep{"PageTwo", "CreateSurface", {DD_OK, DD_OK, DDERR_SURFACEBUSY},
                    "Surface nyní není k dispozici (zkuste to za 10 min.) !", 16,
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

// A display that never stops drawing costs the frame, but the presentation comes back after
// its wait of 4 ms. (How often it retried within them depends on the machine's load.)
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

// Without a complete set-up only the surfaces that exist are touched.
TEST_F(DisplayTest, IncompleteSetUpTouchesOnlyWhatExists) {
    const std::pair<const char*, std::vector<HRESULT>> failures[] = {
        {"DirectDrawCreateEx", {DDERR_GENERIC}}, {"CreateSurface", {DDERR_OUTOFMEMORY}}, {"GetAttachedSurface", {DDERR_GENERIC}},
        {"CreateSurface", {DD_OK, DD_OK, DDERR_OUTOFMEMORY}}, {"", {}}};
    for (const auto& [method, script] : failures) {
        Clear();
        recorder::Script(method, script);
        SetUpDisplay();
        if (script.empty()) ReleaseDirectDraw();
        recorder::ForgetCalls();
        void* pixels = nullptr;
        EXPECT_EQ(LockPage(&pixels), 0) << method;
        FlipPages();
        EXPECT_EQ(Targets(), lpDDSPrimary != nullptr ? "Primary.Flip " : "") << method;
        ReleaseDirectDraw();
    }
}

// Texts are taken literally, not as formats, and a log that cannot be written costs nothing.
TEST_F(DisplayTest, LogStartsAfreshTakesLinesLiterallyAndIsSkippedWhenUnwritable) {
    std::ofstream("DirectX.log") << "an older run\n";
    LogStart();
    for (const char* text : {"", "100% %s %d %n %%"}) LogLine(text);
    EXPECT_EQ(Read("DirectX.log"), LogUpTo(1) + "\n100% %s %d %n %%\n");
    std::filesystem::remove("DirectX.log");
    std::filesystem::create_directory("DirectX.log");
    EXPECT_EQ(SetUpDisplay(), DD_OK);
}

TEST(ErrorText, NinetyNineCodesHaveTextsOfTheirOwnThatMatchTheirDigest) {
    std::vector<uint32_t> codes = {0x80004001, 0x80004005, 0x800401F0, 0x8007000E, 0x80070057};
    for (uint32_t code = 0x88760000; code < 0x88760300; ++code) codes.push_back(code);
    const std::string unknown = DDErrorText(0);
    std::set<std::string> seen;
    uint64_t digest = 0xcbf29ce484222325;  // FNV-1a of the texts in code order, each ending in a line feed
    for (uint32_t code : codes) {
        const std::string text = DDErrorText(static_cast<HRESULT>(code)) + std::string("\n");
        if (text == unknown + "\n") continue;
        EXPECT_TRUE(seen.insert(text).second) << std::hex << code << " shares its text " << text;
        for (char c : text) digest = (digest ^ static_cast<uint8_t>(c)) * 0x100000001b3;
    }
    EXPECT_EQ(seen.size(), 99u);
    EXPECT_EQ(DDErrorText(DDERR_SURFACELOST), Cp1250("Přístup k surface byl ztracen !"));
    EXPECT_EQ(unknown, Cp1250("Neidentifikovatelná chyba !"));
    // Made with Python's cp1250 codec from the texts as a Czech reader writes them.
    EXPECT_EQ(digest, 0x684828c8ac53b05bu);
}

}  // namespace
