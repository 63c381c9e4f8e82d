// Page presentation: which page is locked, how the copy and the flip react to a busy or lost
// display, and what happens without a complete set-up.
#include "tests/display/display_test_support.h"

namespace {

using ddraw_fake::CallTexts;

class PresentTest : public DisplayTest {
protected:
    void SetUp() override {
        DisplayTest::SetUp();
        if (!HasFatalFailure()) {
            ASSERT_EQ(InitDirectDraw(kWindow, 320, 200), DD_OK);
            ddraw_fake::ForgetCalls();
        }
    }

    // "Object.Method" for each call since the last ForgetCalls.
    static std::vector<std::string> CallTargets() {
        std::vector<std::string> targets;
        for (const ddraw_fake::Call& call : ddraw_fake::Calls()) {
            targets.push_back(call.object + "." + call.method);
        }
        return targets;
    }

    static std::string LockText(const char* page) {
        return std::string(page) + ".Lock(rect=null, dwSize=" + std::to_string(sizeof(DDSURFACEDESC2)) +
               ", flags=0x0, event=null)";
    }
};

TEST_F(PresentTest, FirstTickUsesPageTwoAndThePagesAlternate) {
    const char* pages[] = {"Offscreen2", "Offscreen1", "Offscreen2", "Offscreen1"};
    for (uint8_t tick = 0; tick < 4; ++tick) {
        SCOPED_TRACE(tick);
        ddraw_fake::ForgetCalls();
        void* pixels = nullptr;
        ASSERT_EQ(LockPage(&pixels), 1);
        LPDIRECTDRAWSURFACE7 page = ddraw_fake::NameOf(lpDDSOne) == pages[tick] ? lpDDSOne : lpDDSTwo;
        EXPECT_EQ(pixels, ddraw_fake::Memory(page).data());
        EXPECT_EQ(LockedPagePitch(), 320 * 4);
        std::memset(pixels, tick + 1, 320 * 4 * 200);

        FlipPages();
        EXPECT_EQ(CallTexts(), (std::vector<std::string>{
                                   LockText(pages[tick]),
                                   std::string(pages[tick]) + ".Unlock(rect=null)",
                                   "Back.BltFast(x=0, y=0, source=" + std::string(pages[tick]) +
                                       ", rect={0,0,320,200}, flags=0x0)",
                                   "Primary.Flip(target=null, flags=0x0)",
                               }));
        EXPECT_EQ(bPageOne, tick % 2 == 0 ? 1 : 0);
        EXPECT_FALSE(ddraw_fake::IsLocked(page));
        // The frame written into the page is what the flipped primary now shows.
        EXPECT_EQ(ddraw_fake::Memory(lpDDSPrimary), std::vector<uint8_t>(320 * 4 * 200, uint8_t(tick + 1)));
    }
}

TEST_F(PresentTest, RefusedLockLeavesThePageForTheNextTick) {
    ddraw_fake::Script("Lock", {DDERR_SURFACEBUSY});
    int sentinel = 0;
    void* pixels = &sentinel;

    EXPECT_EQ(LockPage(&pixels), 0);
    EXPECT_EQ(pixels, &sentinel);
    EXPECT_EQ(bPageOne, 0);
    EXPECT_EQ(CallTexts(), std::vector<std::string>{LockText("Offscreen2")});

    EXPECT_EQ(LockPage(&pixels), 1);
    EXPECT_EQ(pixels, ddraw_fake::Memory(lpDDSTwo).data());
}

TEST_F(PresentTest, LockWithoutMemoryIsARefusedLock) {
    ddraw_fake::NullLockPointer();
    int sentinel = 0;
    void* pixels = &sentinel;

    EXPECT_EQ(LockPage(&pixels), 0);
    EXPECT_EQ(pixels, &sentinel);
    EXPECT_FALSE(ddraw_fake::IsLocked(lpDDSTwo));
    EXPECT_EQ(CallTargets(), (std::vector<std::string>{"Offscreen2.Lock", "Offscreen2.Unlock"}));
}

// A display that never stops drawing may cost the frame, but FlipPages must come back; the
// other call of the pair is still made once.
TEST_F(PresentTest, DisplayBusyForeverGivesUpTheFrame) {
    for (const char* busy : {"BltFast", "Flip"}) {
        SCOPED_TRACE(busy);
        ddraw_fake::Reset();
        ClearDisplayState();
        ASSERT_EQ(InitDirectDraw(kWindow, 320, 200), DD_OK);
        void* pixels = nullptr;
        ASSERT_EQ(LockPage(&pixels), 1);
        ddraw_fake::ScriptForever(busy, DDERR_WASSTILLDRAWING);
        ddraw_fake::ForgetCalls();

        FlipPages();
        const std::vector<std::string> blts = CallTexts("BltFast"), flips = CallTexts("Flip");
        EXPECT_GE((busy == std::string("BltFast") ? blts : flips).size(), 2u);
        EXPECT_EQ((busy == std::string("BltFast") ? flips : blts).size(), 1u);
        EXPECT_EQ(bPageOne, 1);
    }
}

TEST_F(PresentTest, PaddedRowsReportTheirPitch) {
    DisplayTest::TearDown();
    DisplayTest::SetUp();
    ddraw_fake::SetSurfaceFormat(32, 64);
    ASSERT_EQ(InitDirectDraw(kWindow, 320, 200), DD_OK);

    void* pixels = nullptr;
    ASSERT_EQ(LockPage(&pixels), 1);
    EXPECT_EQ(LockedPagePitch(), 320 * 4 + 64);
}

TEST_F(PresentTest, SixteenBitPageIsUnlockedAndRefusedEveryTick) {
    DisplayTest::TearDown();
    DisplayTest::SetUp();
    ddraw_fake::SetSurfaceFormat(16);
    ASSERT_EQ(InitDirectDraw(kWindow, 320, 200), DD_OK);
    ddraw_fake::ForgetCalls();

    void* pixels = nullptr;
    EXPECT_EQ(LockPage(&pixels), 0);
    EXPECT_EQ(LockPage(&pixels), 0);
    EXPECT_EQ(pixels, nullptr);
    EXPECT_EQ(bPageOne, 0);
    EXPECT_FALSE(ddraw_fake::IsLocked(lpDDSTwo));
    EXPECT_EQ(CallTargets(), (std::vector<std::string>{"Offscreen2.Lock", "Offscreen2.Unlock", "Offscreen2.Lock",
                                                       "Offscreen2.Unlock"}));
}

struct FlipCase {
    const char* name;
    std::vector<HRESULT> bltFast;
    std::vector<HRESULT> flip;
    std::vector<HRESULT> restore;
    std::vector<std::string> calls;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const FlipCase& testCase, std::ostream* out) {
    *out << testCase.name;
}

const FlipCase kFlipCases[] = {
    {"StillDrawingTwice", {DDERR_WASSTILLDRAWING, DDERR_WASSTILLDRAWING, DD_OK}, {}, {},
     {"Offscreen2.Unlock", "Back.BltFast", "Back.BltFast", "Back.BltFast", "Primary.Flip"}},
    {"LostInTheCopy", {DDERR_SURFACELOST}, {}, {},
     {"Offscreen2.Unlock", "Back.BltFast", "Primary.Restore", "Offscreen1.Restore", "Offscreen2.Restore",
      "Primary.Flip"}},
    {"RestoreFailsInTheCopy", {DDERR_SURFACELOST}, {}, {DDERR_SURFACELOST},
     {"Offscreen2.Unlock", "Back.BltFast", "Primary.Restore", "Primary.Flip"}},
    {"CopyRefused", {DDERR_GENERIC}, {}, {}, {"Offscreen2.Unlock", "Back.BltFast", "Primary.Flip"}},
    {"NotFlippable", {}, {DDERR_NOTFLIPPABLE}, {}, {"Offscreen2.Unlock", "Back.BltFast", "Primary.Flip"}},
    {"FlipStillDrawingThenLost", {}, {DDERR_WASSTILLDRAWING, DDERR_SURFACELOST}, {},
     {"Offscreen2.Unlock", "Back.BltFast", "Primary.Flip", "Primary.Flip", "Primary.Restore",
      "Offscreen1.Restore", "Offscreen2.Restore"}},
};

class FlipLoopTest : public PresentTest, public ::testing::WithParamInterface<FlipCase> {};

TEST_P(FlipLoopTest, CopiesAndFlipsUntilSettled) {
    void* pixels = nullptr;
    ASSERT_EQ(LockPage(&pixels), 1);
    ddraw_fake::ForgetCalls();
    ddraw_fake::Script("BltFast", GetParam().bltFast);
    ddraw_fake::Script("Flip", GetParam().flip);
    ddraw_fake::Script("Restore", GetParam().restore);

    FlipPages();
    EXPECT_EQ(CallTargets(), GetParam().calls);
    EXPECT_EQ(bPageOne, 1);
}

INSTANTIATE_TEST_SUITE_P(Results, FlipLoopTest, ::testing::ValuesIn(kFlipCases),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

struct IncompleteCase {
    const char* name;
    const char* method;  // scripted to fail at its last call of the set-up; empty for a released display
    std::vector<HRESULT> script;
    std::vector<std::string> flipCalls;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const IncompleteCase& testCase, std::ostream* out) {
    *out << testCase.name;
}

const IncompleteCase kIncompleteCases[] = {
    {"NoDirectDraw", "DirectDrawCreateEx", {DDERR_GENERIC}, {}},
    {"NoPrimary", "CreateSurface", {DDERR_OUTOFMEMORY}, {}},
    {"NoBackBuffer", "GetAttachedSurface", {DDERR_GENERIC}, {"Primary.Flip"}},
    {"NoPageTwo", "CreateSurface", {DD_OK, DD_OK, DDERR_OUTOFMEMORY}, {"Primary.Flip"}},
    {"Released", "", {}, {}},
};

class IncompleteSetupTest : public DisplayTest, public ::testing::WithParamInterface<IncompleteCase> {};

TEST_P(IncompleteSetupTest, TouchesOnlySurfacesThatExist) {
    const IncompleteCase& setup = GetParam();
    if (*setup.method != '\0') {
        ddraw_fake::Script(setup.method, setup.script);
        ASSERT_NE(InitDirectDraw(kWindow, 320, 200), DD_OK);
    } else {
        ASSERT_EQ(InitDirectDraw(kWindow, 320, 200), DD_OK);
        ReleaseDirectDraw();
    }
    ddraw_fake::ForgetCalls();

    void* pixels = nullptr;
    EXPECT_EQ(LockPage(&pixels), 0);
    EXPECT_EQ(pixels, nullptr);
    EXPECT_TRUE(CallTexts().empty());

    FlipPages();
    std::vector<std::string> targets;
    for (const ddraw_fake::Call& call : ddraw_fake::Calls()) {
        targets.push_back(call.object + "." + call.method);
    }
    EXPECT_EQ(targets, setup.flipCalls);
    EXPECT_EQ(bPageOne, 1);
}

INSTANTIATE_TEST_SUITE_P(Missing, IncompleteSetupTest, ::testing::ValuesIn(kIncompleteCases),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

}  // namespace
