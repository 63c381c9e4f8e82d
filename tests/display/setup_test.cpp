// Display set-up, restore and release: the calls made, the log written and what is released.
#include <cstring>

#include "tests/display/display_test_support.h"

namespace {

using ddraw_fake::CallTexts;
using ddraw_fake::NameOf;

const std::vector<std::string> kSuccessLog = {
    "__________Direct Draw - Log__________",
    "Debug - mode Inactive",
    "DirectDrawCreateEx(NULL, &lpDD, IID_IDirectDraw7, NULL);",
    "    OK",
    "SetCooperativeLevel(EXCLUSIVE | ALLOWREBOOT | FULLSCREEN);",
    "    OK",
    "SetDisplayMode(Width, Height, 32, 0, DDSDM_STANDARDVGAMODE);",
    "    OK",
    "CreateSurface(&ddsd, &lpDDSPrimary, NULL);",
    "    OK",
    "GetAttachedSurface(&ddscaps, &lpDDSBack);",
    "    OK",
    "Creating Offscreen surfaces",
    "CreateSurface(&ddsd, &lpDDSOne, NULL);",
    "    OK",
    "CreateSurface(&ddsd, &lpDDSTwo, NULL);",
    "    OK",
};

const std::vector<std::string> kSuccessCalls = {
    "DirectDrawCreateEx(driver=null, iid=IID_IDirectDraw7, outer=null)",
    "DirectDraw.SetCooperativeLevel(hwnd=0x1234, flags=0x13)",
    "DirectDraw.SetDisplayMode(width=320, height=200, bpp=32, refresh=0, flags=0x1)",
    "DirectDraw.CreateSurface(dwFlags=0x21, dwCaps=0x100218, dwBackBufferCount=1, dwWidth=0, dwHeight=0, "
    "outer=null)",
    "Primary.GetAttachedSurface(dwCaps=0x100004, dwCaps2=0x0, dwCaps3=0x0, dwCaps4=0x0)",
    "DirectDraw.CreateSurface(dwFlags=0x7, dwCaps=0x100840, dwBackBufferCount=1, dwWidth=320, dwHeight=200, "
    "outer=null)",
    "DirectDraw.CreateSurface(dwFlags=0x7, dwCaps=0x100840, dwBackBufferCount=1, dwWidth=320, dwHeight=200, "
    "outer=null)",
};

using SetupTest = DisplayTest;

TEST_F(SetupTest, SucceedsWithSeventeenLogLinesAndEveryObjectInPlace) {
    EXPECT_EQ(InitDirectDraw(kWindow, 320, 200), DD_OK);

    EXPECT_EQ(LogLines(), kSuccessLog);
    EXPECT_EQ(LogBytes().find('\r'), std::string::npos) << "text mode writes bare LF off Windows";
    EXPECT_EQ(CallTexts(), kSuccessCalls);
    EXPECT_EQ(NameOf(lpDD), "DirectDraw");
    EXPECT_EQ(NameOf(lpDDSPrimary), "Primary");
    EXPECT_EQ(NameOf(lpDDSBack), "Back");
    EXPECT_EQ(NameOf(lpDDSOne), "Offscreen1");
    EXPECT_EQ(NameOf(lpDDSTwo), "Offscreen2");
    EXPECT_EQ(DisplayWidth, 320);
    EXPECT_EQ(DisplayHeight, 200);
}

TEST_F(SetupTest, PrimaryDescriptionIsClearedApartFromItsFields) {
    std::memset(&ddsd, 0xAB, sizeof(ddsd));  // left over from an earlier use
    ASSERT_EQ(InitDirectDraw(kWindow, 320, 200), DD_OK);

    DDSURFACEDESC2 expected;
    std::memset(&expected, 0, sizeof(expected));
    expected.dwSize = sizeof(DDSURFACEDESC2);
    expected.dwFlags = 0x21;
    expected.ddsCaps.dwCaps = 0x100218;
    expected.dwBackBufferCount = 1;
    const ddraw_fake::Call& primary = ddraw_fake::Calls().at(3);
    ASSERT_EQ(primary.method, "CreateSurface");
    EXPECT_EQ(std::memcmp(&primary.desc, &expected, sizeof(expected)), 0);

    // Both pages come from the one description, changed only in flags, caps and size.
    expected.dwFlags = 7;
    expected.ddsCaps.dwCaps = 0x100840;
    expected.dwWidth = 320;
    expected.dwHeight = 200;
    for (size_t page : {5u, 6u}) {
        EXPECT_EQ(std::memcmp(&ddraw_fake::Calls().at(page).desc, &expected, sizeof(expected)), 0) << page;
    }
}

struct FailingStep {
    const char* name;
    const char* method;
    std::vector<HRESULT> script;  // the call's predecessors of the same method succeed
    HRESULT code;
    const char* utf8Text;
    size_t logLinesBefore;  // successful-set-up lines up to and including the failing call's own
    std::vector<std::string> released;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const FailingStep& testCase, std::ostream* out) {
    *out << testCase.name;
}

const FailingStep kFailingSteps[] = {
    {"Create", "DirectDrawCreateEx", {DDERR_GENERIC}, DDERR_GENERIC, "Nedefinovaná chyba !", 3, {}},
    {"CooperativeLevel", "SetCooperativeLevel", {VARNELO_HRESULT(0x88760245)}, VARNELO_HRESULT(0x88760245),
     "Cooperative mode nemohl být nastaven na EXCLUSIVE !", 5, {"DirectDraw.Release()"}},
    {"DisplayMode", "SetDisplayMode", {DDERR_INVALIDMODE}, DDERR_INVALIDMODE, "DirectDraw nepodporuje tento mód !", 7,
     {"DirectDraw.Release()"}},
    {"Primary", "CreateSurface", {VARNELO_HRESULT(0x8876017C)}, VARNELO_HRESULT(0x8876017C), "Málo Video-RAM ! !", 9,
     {"DirectDraw.Release()"}},
    {"BackBuffer", "GetAttachedSurface", {VARNELO_HRESULT(0x88760001)}, VARNELO_HRESULT(0x88760001),
     "Neidentifikovatelná chyba !", 11, {"Primary.Release()", "DirectDraw.Release()"}},
    {"PageOne", "CreateSurface", {DD_OK, DDERR_OUTOFMEMORY}, DDERR_OUTOFMEMORY, "Málo RAM !", 14,
     {"Primary.Release()", "DirectDraw.Release()"}},
    {"PageTwo", "CreateSurface", {DD_OK, DD_OK, DDERR_SURFACEBUSY}, DDERR_SURFACEBUSY,
     "Surface nyní není k dispozici (zkuste to za 10 min.) !", 16,
     {"Primary.Release()", "Offscreen1.Release()", "DirectDraw.Release()"}},
};

class SetupFailureTest : public DisplayTest, public ::testing::WithParamInterface<FailingStep> {};

TEST_P(SetupFailureTest, StopsAtTheFailingStepAndReleasesWhatExists) {
    const FailingStep& step = GetParam();
    ddraw_fake::Script(step.method, step.script);

    EXPECT_EQ(InitDirectDraw(kWindow, 320, 200), step.code);

    std::vector<std::string> expectedLog(kSuccessLog.begin(), kSuccessLog.begin() + step.logLinesBefore);
    expectedLog.push_back(Cp1250(step.utf8Text));
    EXPECT_EQ(LogLines(), expectedLog);

    // Every step up to the failing one is tried, none after it.
    const std::vector<std::string> calls = CallTexts();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(ddraw_fake::Calls().back().method, step.method);
    EXPECT_EQ(calls, std::vector<std::string>(kSuccessCalls.begin(), kSuccessCalls.begin() + calls.size()));

    ddraw_fake::ForgetCalls();
    ReleaseDirectDraw();
    EXPECT_EQ(CallTexts(), step.released);
    EXPECT_EQ(lpDD, nullptr);
    EXPECT_EQ(lpDDSPrimary, nullptr);
    EXPECT_EQ(lpDDSOne, nullptr);
    EXPECT_EQ(lpDDSTwo, nullptr);
}

INSTANTIATE_TEST_SUITE_P(EachStep, SetupFailureTest, ::testing::ValuesIn(kFailingSteps),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

TEST_F(SetupTest, ReleaseLeavesTheBackBufferToItsChainAndASecondReleaseDoesNothing) {
    ASSERT_EQ(InitDirectDraw(kWindow, 320, 200), DD_OK);
    LPDIRECTDRAWSURFACE7 back = lpDDSBack;
    ddraw_fake::ForgetCalls();

    ReleaseDirectDraw();
    EXPECT_EQ(CallTexts(), (std::vector<std::string>{"Primary.Release()", "Offscreen1.Release()",
                                                     "Offscreen2.Release()", "DirectDraw.Release()"}));
    EXPECT_EQ(lpDDSBack, back);

    ReleaseDirectDraw();
    EXPECT_EQ(CallTexts().size(), 4u);
}

TEST_F(SetupTest, ReleaseWithoutSetUpDoesNothing) {
    ReleaseDirectDraw();
    EXPECT_TRUE(CallTexts().empty());
}

struct RestoreCase {
    const char* name;
    std::vector<HRESULT> script;
    HRESULT result;
    std::vector<std::string> restored;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const RestoreCase& testCase, std::ostream* out) {
    *out << testCase.name;
}

const RestoreCase kRestoreCases[] = {
    {"AllRestored", {}, DD_OK, {"Primary.Restore()", "Offscreen1.Restore()", "Offscreen2.Restore()"}},
    {"PrimaryFails", {DDERR_SURFACELOST}, DDERR_SURFACELOST, {"Primary.Restore()"}},
    {"PageOneFails", {DD_OK, DDERR_WRONGMODE}, DDERR_WRONGMODE, {"Primary.Restore()", "Offscreen1.Restore()"}},
    {"PageTwoFails",
     {DD_OK, DD_OK, DDERR_GENERIC},
     DDERR_GENERIC,
     {"Primary.Restore()", "Offscreen1.Restore()", "Offscreen2.Restore()"}},
};

class RestoreTest : public DisplayTest, public ::testing::WithParamInterface<RestoreCase> {};

TEST_P(RestoreTest, StopsAtTheFirstFailure) {
    ASSERT_EQ(InitDirectDraw(kWindow, 320, 200), DD_OK);
    ddraw_fake::ForgetCalls();
    ddraw_fake::Script("Restore", GetParam().script);

    EXPECT_EQ(RestoreSurfaces(), GetParam().result);
    EXPECT_EQ(CallTexts(), GetParam().restored);
}

INSTANTIATE_TEST_SUITE_P(Restore, RestoreTest, ::testing::ValuesIn(kRestoreCases),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

}  // namespace
