// The platform core on the screen in memory: messages, timers, the cursor, windows, and DirectDraw's rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include <windows.h>
#include <ddraw.h>

#include "image/image.h"
#include "platform/core/standins.h"
#include "platform/memory/screen.h"
#include "platform/screen.h"
#include "tests/platform/test_window.h"

namespace {

memory_screen::State& Screen() { return memory_screen::Get(); }
// IID_IDirectDraw7 as Windows' own headers give it, so that a typo in the core's copy cannot agree with itself.
const GUID DirectDraw7 = {0x15E65EC0, 0x3B9C, 0x11D2, {0xB9, 0x2F, 0x00, 0x60, 0x97, 0x97, 0xEA, 0x5B}};

class CoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        window_ = OpenTestWindow(DefWindowProcA);
        ASSERT_NE(window_, nullptr);
    }
    void TearDown() override {
        EXPECT_EQ(directDraw_ == nullptr ? 0u : directDraw_->Release(), 0u) << "the last reference";
        standins::ShutDown();
        Screen() = memory_screen::State{};
    }
    static MSG Next() {
        MSG message{};
        EXPECT_EQ(GetMessageA(&message, nullptr, 0, 0), TRUE);
        return message;
    }
    static DDSURFACEDESC2 ChainDescription() {
        DDSURFACEDESC2 desc{};
        desc.dwSize = sizeof desc;
        desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
        desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
        desc.dwBackBufferCount = 1;
        return desc;
    }
    // Exclusive full screen in the demo's mode, with a flip chain and one page.
    void SetUpDisplay() {
        ASSERT_EQ(DirectDrawCreateEx(nullptr, reinterpret_cast<LPVOID*>(&directDraw_), DirectDraw7, nullptr), DD_OK);
        ASSERT_EQ(directDraw_->SetCooperativeLevel(window_, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DD_OK);
        ASSERT_EQ(directDraw_->SetDisplayMode(Width, Height, 32, 0, 0), DD_OK);
        DDSURFACEDESC2 desc = ChainDescription();
        ASSERT_EQ(directDraw_->CreateSurface(&desc, &primary_, nullptr), DD_OK);
        DDSCAPS2 caps{DDSCAPS_BACKBUFFER, 0, 0, 0};
        ASSERT_EQ(primary_->GetAttachedSurface(&caps, &back_), DD_OK);
        desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
        desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
        desc.dwWidth = Width;
        desc.dwHeight = Height;
        ASSERT_EQ(directDraw_->CreateSurface(&desc, &page_, nullptr), DD_OK);
    }

    HWND window_ = nullptr;
    LPDIRECTDRAW7 directDraw_ = nullptr;
    LPDIRECTDRAWSURFACE7 primary_ = nullptr, back_ = nullptr, page_ = nullptr;
};

TEST_F(CoreTest, TicksKeepTheirGridAndAStallGivesOneTick) {
    const uint64_t start = Screen().nowMs;
    ASSERT_EQ(SetTimer(window_, 1, 20, nullptr), 1u);
    Screen().nowMs += 5;  // a second call for the same timer restarts it, 5 ms later, rather than adding another
    ASSERT_EQ(SetTimer(window_, 1, 20, nullptr), 1u);
    // Work shorter than a period keeps the grid; a stall of 95 ms is one tick at once, and the next is on the grid.
    const uint64_t steps[][2] = {{0, 25}, {7, 45}, {19, 65}, {95, 160}, {0, 165}, {0, 185}};
    for (const auto& [stallMs, tickAtMs] : steps) {
        Screen().nowMs += stallMs;
        const MSG message = Next();
        EXPECT_EQ(std::tuple(message.message, message.wParam, message.time), std::tuple(UINT{WM_TIMER}, WPARAM{1}, DWORD(Screen().nowMs)));
        EXPECT_EQ(Screen().nowMs - start, tickAtMs) << "after a stall of " << stallMs << " ms";
    }
}

TEST_F(CoreTest, QueuedInputComesBeforeADueTickAndInOrder) {
    ASSERT_NE(SetTimer(window_, 1, 20, nullptr), 0u);
    Screen().nowMs += 50;
    standins::PostKeyDown(VK_F12, 0x58, false);
    standins::PostKeyDown(VK_ESCAPE, 0x01, true);
    const MSG first = Next(), second = Next();
    EXPECT_EQ(first.message, static_cast<UINT>(WM_KEYDOWN));
    EXPECT_EQ(std::pair(first.wParam, first.lParam), std::pair(WPARAM{VK_F12}, LPARAM{1 | (0x58 << 16)}));
    EXPECT_EQ(std::pair(second.wParam, second.lParam), std::pair(WPARAM{VK_ESCAPE}, LPARAM{1 | (0x01 << 16) | (1 << 30)}))
        << "bit 30: the key was already down";
    EXPECT_EQ(Next().message, static_cast<UINT>(WM_TIMER));
    standins::PostClose();  // as the close box sends it
    const MSG close = Next();
    EXPECT_EQ(std::tuple(close.message, close.wParam, close.lParam), std::tuple(UINT{WM_CLOSE}, WPARAM{0}, LPARAM{0}));
    PostQuitMessage(3);
    MSG quit{};
    EXPECT_EQ(GetMessageA(&quit, nullptr, 0, 0), FALSE);
    EXPECT_EQ(std::pair(quit.message, quit.wParam), std::pair(UINT{WM_QUIT}, WPARAM{3})) << "the exit code travels";
}

TEST_F(CoreTest, TheCursorShowsOnlyWhileItsCountIsNotNegative) {
    const std::pair<BOOL, bool> steps[] = {{FALSE, false}, {FALSE, false}, {TRUE, false}, {TRUE, true}, {TRUE, true}};
    int count = 0;
    for (const auto& [show, shown] : steps) {
        count += show ? 1 : -1;
        EXPECT_EQ(ShowCursor(show), count);
        EXPECT_EQ(Screen().pointerShown, shown) << "count " << count;
    }
}

TEST_F(CoreTest, WindowCursorAndTimerCallsAnswerOnTheWindowAndFailWithoutIt) {
    // Only DirectDraw 7 is on offer: the first DirectDraw's identity, IID_IDirectDraw, is refused.
    const GUID first = {0x6C14DB80, 0xA733, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};
    for (bool open : {true, false}) {
        EXPECT_EQ((std::pair{ShowWindow(window_, 5), UpdateWindow(window_)}), std::pair(FALSE, BOOL{open})) << "was hidden, painted";
        EXPECT_EQ(std::pair(Screen().shown, Screen().blackPaints), std::pair(open, open ? 1 : 0));
        EXPECT_EQ(SetTimer(window_, 0, 20, nullptr), open ? 1u : 0u);
        EXPECT_EQ(SetCursorPos(400, 37), open);
        POINT point{-1, -1};
        EXPECT_EQ(GetCursorPos(&point), open);
        EXPECT_EQ(std::pair(point.x, point.y), open ? std::pair(319, 37) : std::pair(-1, -1)) << "in the mode, clamped";
        RECT client{-1, -1, -1, -1};
        EXPECT_EQ(std::pair(GetClientRect(window_, &client), ClientToScreen(window_, &point)), std::pair(BOOL{open}, BOOL{open}));
        EXPECT_EQ((std::vector<LONG>{client.right, client.bottom, point.x, point.y}),
                  (open ? std::vector<LONG>{320, 200, 319, 37} : std::vector<LONG>{-1, -1, -1, -1})) << "client size, point on the screen";
        LPVOID object = nullptr;
        auto* outer = reinterpret_cast<IUnknown*>(&object);  // aggregation is not offered
        EXPECT_EQ(std::pair(DirectDrawCreateEx(nullptr, &object, IID_IDirectDraw7, outer), DirectDrawCreateEx(nullptr, &object, first, nullptr)),
                  std::pair(DDERR_INVALIDPARAMS, DDERR_INVALIDPARAMS)) << "aggregated, another interface";
        EXPECT_EQ(DirectDrawCreateEx(nullptr, &object, IID_IDirectDraw7, nullptr), open ? DD_OK : DDERR_GENERIC);
        EXPECT_EQ(SetWindowPos(window_, HWND_TOP, 0, 0, 320, 0, 0), open) << "no rows is a size";
        EXPECT_FALSE(SetCursorPos(1, 1)) << "but no rows to put the pointer on";
        standins::ShutDown();
        EXPECT_FALSE(Screen().open) << "closed with everything else";
        Screen() = memory_screen::State{};
        if (object == nullptr) continue;
        // Made while the window lived, DirectDraw has nothing to take over once it is gone.
        EXPECT_EQ(static_cast<LPDIRECTDRAW7>(object)->SetCooperativeLevel(window_, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DDERR_INVALIDPARAMS);
        static_cast<LPDIRECTDRAW7>(object)->Release();
    }
    // A window that opens but can be drawn in by no means is a display without DirectDraw.
    window_ = OpenTestWindow(DefWindowProcA);
    Screen().noDrawing = true;
    LPVOID object = nullptr;
    EXPECT_EQ(DirectDrawCreateEx(nullptr, &object, IID_IDirectDraw7, nullptr), DDERR_NODIRECTDRAWHW);
    EXPECT_EQ(object, nullptr);
    standins::ShutDown();
    Screen() = memory_screen::State{};
    Screen().noDisplay = true;
    EXPECT_EQ(OpenTestWindow(DefWindowProcA), nullptr) << "a window with nowhere to show";
    WNDCLASSEXA noProcedure{};
    noProcedure.cbSize = sizeof noProcedure;
    noProcedure.lpszClassName = "no procedure";
    EXPECT_EQ(RegisterClassExA(&noProcedure), 0);
    noProcedure.lpfnWndProc = DefWindowProcA;
    noProcedure.cbSize = sizeof(WNDCLASSEXA) - 4;
    EXPECT_EQ(RegisterClassExA(&noProcedure), 0) << "a record of another size";
    noProcedure.cbSize = sizeof noProcedure;
    EXPECT_NE(RegisterClassExA(&noProcedure), 0);
    EXPECT_EQ(RegisterClassExA(&noProcedure), 0) << "a name taken already";
    EXPECT_EQ(CreateWindowExA(0, nullptr, "", 0, 0, 0, 320, 200, nullptr, nullptr, nullptr, nullptr), nullptr) << "no class named";
    EXPECT_EQ(GetMessageA(nullptr, nullptr, 0, 0), -1);
    const MSG stray{nullptr, WM_TIMER, 1, 0, 0, {0, 0}};
    EXPECT_EQ(DispatchMessageA(&stray), 0) << "a message for no window of ours goes nowhere";
    EXPECT_EQ(std::pair(MessageBoxA(nullptr, "why", nullptr, MB_OK), Screen().told), std::pair(1, std::string("Error: why\n"))) << "IDOK";
}

TEST_F(CoreTest, LocksAreExclusiveAndTheFlipShowsWhatWasCopied) {
    SetUpDisplay();
    DDSURFACEDESC2 desc{};
    desc.dwSize = sizeof desc - 1;
    EXPECT_EQ(page_->Lock(nullptr, &desc, 0, nullptr), DDERR_INVALIDPARAMS);
    desc.dwSize = sizeof desc;
    EXPECT_EQ(page_->Unlock(nullptr), DDERR_NOTLOCKED);
    ASSERT_EQ(page_->Lock(nullptr, &desc, 0, nullptr), DD_OK);
    EXPECT_EQ(std::pair(desc.ddpfPixelFormat.dwRGBBitCount, desc.dwWidth), std::pair(32u, 320u));
    const DDPIXELFORMAT& format = desc.ddpfPixelFormat;  // XRGB 8888
    EXPECT_EQ(std::vector<DWORD>({format.dwFlags, format.dwRBitMask, format.dwGBitMask, format.dwBBitMask}),
              std::vector<DWORD>({DDPF_RGB, 0xFF0000, 0xFF00, 0xFF}));
    ASSERT_EQ(desc.lPitch, Width * 4);
    EXPECT_EQ(page_->Lock(nullptr, &desc, 0, nullptr), DDERR_SURFACEBUSY);
    std::vector<uint8_t> frame(size_t{Width} * Height * 4);
    for (size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<uint8_t>(i * 7 + i / 1280);
    std::copy(frame.begin(), frame.end(), static_cast<uint8_t*>(desc.lpSurface));
    EXPECT_EQ(back_->BltFast(0, 0, page_, nullptr, 0), DDERR_SURFACEBUSY) << "page still locked";
    ASSERT_EQ(page_->Unlock(nullptr), DD_OK);
    // The part must lie in the source and fit the target where it goes: at the far edges only an empty part does.
    RECT whole{0, 0, Width, Height}, flat{0, 0, 5, 0}, column{0, 0, 0, 5}, tall{0, 0, 5, Height - 5};
    const std::tuple<DWORD, DWORD, RECT, HRESULT> places[] = {{0, 0, {0, 0, Width + 1, Height}, DDERR_INVALIDPARAMS},
        {0, 0, {-1, 0, 1, 1}, DDERR_INVALIDPARAMS}, {0, 0, {2, 0, 1, 1}, DDERR_INVALIDPARAMS}, {0, 0, {0, 2, 1, 1}, DDERR_INVALIDPARAMS},
        {1, 0, whole, DDERR_INVALIDPARAMS}, {Width, 0, column, DD_OK}, {Width + 1, 0, column, DDERR_INVALIDPARAMS},
        {0, Height, flat, DD_OK}, {0, Height + 1, flat, DDERR_INVALIDPARAMS}, {0, 10, tall, DDERR_INVALIDPARAMS}};
    for (auto [x, y, part, result] : places) EXPECT_EQ(back_->BltFast(x, y, page_, &part, 0), result) << x << "," << y << " " << part.left;
    ASSERT_EQ((std::pair{back_->BltFast(0, 0, page_, nullptr, 0), back_->Lock(nullptr, &desc, 0, nullptr)}), std::pair(DD_OK, DD_OK));  // the whole page
    EXPECT_EQ(desc.dwFlags & (DDSD_PITCH | DDSD_LPSURFACE), DWORD{DDSD_PITCH | DDSD_LPSURFACE}) << "a lock says its pitch and pixels are given";
    EXPECT_EQ(primary_->Flip(nullptr, 0), DDERR_SURFACEBUSY) << "back buffer locked";
    ASSERT_EQ((std::pair{back_->Unlock(nullptr), primary_->Flip(nullptr, 0)}), std::pair(DD_OK, DD_OK));
    EXPECT_EQ(Screen().shown32, frame);
    // The back buffer now holds the first, black frame; a part lands at the corner given.
    RECT part{1, 2, 3, 4};
    ASSERT_EQ((std::pair{back_->BltFast(5, 6, page_, &part, 0), primary_->Flip(nullptr, 0)}), std::pair(DD_OK, DD_OK));
    std::vector<uint8_t> expected(frame.size(), 0);
    for (size_t row = 0; row < 2; ++row) std::copy_n(&frame[((2 + row) * Width + 1) * 4], 8, &expected[((6 + row) * Width + 5) * 4]);
    EXPECT_EQ(Screen().shown32, expected);
    EXPECT_EQ(page_->Flip(nullptr, 0), DDERR_NOTFLIPPABLE);
    DDSCAPS2 caps{DDSCAPS_BACKBUFFER, 0, 0, 0};
    EXPECT_EQ((std::pair{primary_->Flip(page_, 0), page_->GetAttachedSurface(&caps, &back_)}), std::pair(DDERR_INVALIDPARAMS, DDERR_INVALIDPARAMS))
        << "a flip to a surface outside the chain, and a page's back buffer";
    ASSERT_EQ(page_->Lock(nullptr, &desc, 0, nullptr), DD_OK);
    const auto* base = static_cast<uint8_t*>(desc.lpSurface);
    ASSERT_EQ((std::pair{page_->Unlock(nullptr), page_->Lock(&part, &desc, 0, nullptr)}), std::pair(DD_OK, DD_OK));
    EXPECT_EQ(static_cast<uint8_t*>(desc.lpSurface) - base, 2 * desc.lPitch + 4) << "a part's lock points at its corner";
    RECT none{0, 5, 3, 5};
    EXPECT_EQ((std::pair{page_->Unlock(nullptr), page_->Lock(&none, &desc, 0, nullptr)}), std::pair(DD_OK, DD_OK)) << "an empty part may be locked";
}

TEST_F(CoreTest, SurfacesAreMadeOnlyFromSoundDescriptions) {
    ASSERT_EQ(DirectDrawCreateEx(nullptr, reinterpret_cast<LPVOID*>(&directDraw_), IID_IDirectDraw7, nullptr), DD_OK);
    DDSURFACEDESC2 desc = ChainDescription();
    EXPECT_EQ(directDraw_->CreateSurface(&desc, &primary_, nullptr), DDERR_NOEXCLUSIVEMODE);
    ASSERT_EQ(directDraw_->SetCooperativeLevel(window_, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DD_OK);
    EXPECT_EQ(directDraw_->CreateSurface(&desc, &primary_, nullptr), DDERR_WRONGMODE) << "no mode set yet";
    EXPECT_EQ((std::vector<HRESULT>{directDraw_->SetDisplayMode(Width, Height, 16, 0, 0), directDraw_->SetDisplayMode(Width, Height + 1, 32, 0, 0),
                                    directDraw_->SetDisplayMode(Width + 1, Height, 32, 0, 0), directDraw_->SetDisplayMode(Width, Height, 32, 0, 0)}),
              (std::vector<HRESULT>{DDERR_INVALIDMODE, DDERR_INVALIDMODE, DDERR_INVALIDMODE, DD_OK})) << "16 bits, a row more, a column more, the demo's";
    desc.dwBackBufferCount = 2;
    EXPECT_EQ(directDraw_->CreateSurface(&desc, &primary_, nullptr), DDERR_INVALIDPARAMS) << "one back buffer is on offer";
    std::tie(desc.ddsCaps.dwCaps, desc.dwBackBufferCount) = std::tuple(DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP, 1u);
    EXPECT_EQ(directDraw_->CreateSurface(&desc, &primary_, nullptr), DDERR_INVALIDPARAMS) << "a flip chain is complex";
    desc = ChainDescription();
    ASSERT_EQ(directDraw_->RestoreDisplayMode(), DD_OK);
    EXPECT_EQ(directDraw_->CreateSurface(&desc, &primary_, nullptr), DDERR_WRONGMODE) << "the mode given back";
    POINT at{};
    SetWindowPos(window_, HWND_TOP, 0, 0, 640, 480, 0);
    EXPECT_EQ((std::tuple{SetCursorPos(600, 400), GetCursorPos(&at), at.x}), (std::tuple{TRUE, TRUE, LONG{600}})) << "the pointer no longer in the mode";
    // A page of one pixel, after a description with no width, no height, a side too long, or of another size.
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    for (auto [field, value] : {std::pair(&desc.dwWidth, 0u), {&desc.dwHeight, 0u}, {&desc.dwWidth, 16385u}, {&desc.dwSize, sizeof desc + 1}}) {
        std::tie(desc.dwSize, desc.dwWidth, desc.dwHeight, *field) = std::tuple(sizeof desc, 1u, 1u, value);
        EXPECT_EQ(directDraw_->CreateSurface(&desc, &page_, nullptr), DDERR_INVALIDPARAMS) << value;
    }
    desc.dwSize = sizeof desc;
    EXPECT_EQ(directDraw_->CreateSurface(&desc, &page_, reinterpret_cast<IUnknown*>(&desc)), DDERR_INVALIDPARAMS) << "aggregation";
    EXPECT_EQ(directDraw_->CreateSurface(&desc, nullptr, nullptr), DDERR_INVALIDPARAMS) << "nowhere to put it";
    EXPECT_EQ(directDraw_->CreateSurface(&desc, &page_, nullptr), DD_OK) << "one pixel is a page";
    // A page described with a pixel format must be in the display's own, XRGB 8888.
    desc.dwFlags |= DDSD_PIXELFORMAT;
    DDPIXELFORMAT& format = desc.ddpfPixelFormat;
    DWORD* fields[] = {&format.dwSize, &format.dwFlags, &format.dwRGBBitCount, &format.dwRBitMask, &format.dwGBitMask,
                       &format.dwBBitMask, nullptr};
    for (DWORD** wrong = fields; wrong != std::end(fields); ++wrong) {
        format = {sizeof format, DDPF_RGB, 0, 32, 0xFF0000, 0xFF00, 0xFF, 0};
        if (*wrong != nullptr) **wrong ^= *wrong == &format.dwRGBBitCount ? 48 : *wrong == &format.dwFlags ? DDPF_RGB : 1;
        EXPECT_EQ(directDraw_->CreateSurface(&desc, &page_, nullptr), *wrong == nullptr ? DD_OK : DDERR_UNSUPPORTED)
            << "pixel format field " << wrong - fields;
    }
}

TEST_F(CoreTest, TheFlipChainIsLostWhileTheDisplayIsAwayUntilRestored) {
    SetUpDisplay();
    memory_screen::TakeAway();
    DDSURFACEDESC2 desc{};
    desc.dwSize = sizeof desc;
    EXPECT_EQ(primary_->Flip(nullptr, 0), DDERR_SURFACELOST);
    EXPECT_EQ(back_->BltFast(0, 0, page_, nullptr, 0), DDERR_SURFACELOST);
    EXPECT_EQ(back_->Blt(nullptr, page_, nullptr, 0, nullptr), DDERR_SURFACELOST);
    EXPECT_EQ(primary_->Lock(nullptr, &desc, 0, nullptr), DDERR_SURFACELOST);
    // A page lives in system memory and stays usable, so frames can still be drawn.
    EXPECT_EQ((std::pair{page_->Lock(nullptr, &desc, 0, nullptr), page_->Unlock(nullptr)}), std::pair(DD_OK, DD_OK));
    EXPECT_EQ(primary_->Restore(), DDERR_WRONGMODE) << "not while the display is away";
    memory_screen::GiveBack();
    EXPECT_EQ(primary_->Flip(nullptr, 0), DDERR_SURFACELOST) << "lost until restored";
    EXPECT_EQ((std::pair{primary_->Restore(), page_->Restore()}), std::pair(DD_OK, DD_OK));
    EXPECT_EQ(back_->BltFast(0, 0, page_, nullptr, 0), DD_OK);
    EXPECT_EQ(primary_->Flip(nullptr, 0), DD_OK);
    // The back buffer goes with its primary alone: let go of, even twice, it stays whole.
    EXPECT_EQ((std::pair{back_->Release(), back_->Release()}), std::pair(ULONG{0}, ULONG{0}));
    EXPECT_EQ((std::pair{back_->BltFast(0, 0, page_, nullptr, 0), primary_->Flip(nullptr, 0)}), std::pair(DD_OK, DD_OK));
}

// The desktop's primary: copies are stretched, refused past its edge, clipped to the window, and go nowhere minimised.
TEST_F(CoreTest, OnTheDesktopCopiesAreStretchedAndClippedToTheWindow) {
    ASSERT_EQ(DirectDrawCreateEx(nullptr, reinterpret_cast<LPVOID*>(&directDraw_), IID_IDirectDraw7, nullptr), DD_OK);
    for (DWORD refused : {DWORD{0}, DWORD{DDSCL_NORMAL | DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN}}) {
        EXPECT_EQ(directDraw_->SetCooperativeLevel(window_, refused), DDERR_INVALIDPARAMS) << refused;
    }
    ASSERT_EQ(directDraw_->SetCooperativeLevel(window_, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DD_OK);
    ASSERT_EQ((std::pair{directDraw_->SetDisplayMode(Width, Height, 32, 0, 0), Screen().fullScreen}), std::pair(DD_OK, true));
    ASSERT_EQ(directDraw_->SetCooperativeLevel(window_, DDSCL_NORMAL), DD_OK);
    EXPECT_EQ(std::pair(directDraw_->RestoreDisplayMode(), Screen().fullScreen), std::pair(DD_OK, false))
        << "full screen and its mode are left with the exclusive level: no mode to give back";
    MONITORINFO monitor{};
    EXPECT_EQ(GetMonitorInfoA(MonitorFromWindow(window_, MONITOR_DEFAULTTONEAREST), &monitor), FALSE) << "no cbSize";
    monitor.cbSize = sizeof monitor;
    ASSERT_EQ(GetMonitorInfoA(MonitorFromWindow(window_, MONITOR_DEFAULTTONEAREST), &monitor), TRUE);
    EXPECT_EQ((std::vector<LONG>{monitor.rcMonitor.right, monitor.rcMonitor.bottom}), (std::vector<LONG>{640, 480}));
    const auto popup = static_cast<LONG>(WS_POPUP | WS_VISIBLE);
    EXPECT_EQ((std::tuple{SetWindowLongA(window_, GWL_STYLE, popup), SetWindowLongA(window_, -20, 8), SetWindowLongA(window_, GWL_STYLE, 0)}),
              std::tuple(LONG{0}, LONG{0}, popup)) << "the style before; GWL_EXSTYLE (-20) is not kept";
    EXPECT_EQ(SetWindowPos(window_, HWND_TOP, 0, 0, -1, 4, 0), FALSE) << "a negative width";
    ASSERT_EQ(SetWindowPos(window_, HWND_TOP, 99, 49, 4, 4, 0), TRUE);
    POINT corner{0, 0};
    ASSERT_EQ((std::pair{SetCursorPos(700, 900), GetCursorPos(&corner)}), std::pair(TRUE, TRUE));
    EXPECT_EQ(std::pair(corner.x, corner.y), std::pair(639, 479)) << "in the desktop, clamped";

    DDSURFACEDESC2 desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    ASSERT_EQ(directDraw_->CreateSurface(&desc, &primary_, nullptr), DD_OK);
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    desc.dwWidth = desc.dwHeight = 2;
    ASSERT_EQ(directDraw_->CreateSurface(&desc, &page_, nullptr), DD_OK);
    ASSERT_EQ(page_->Lock(nullptr, &desc, 0, nullptr), DD_OK);
    for (uint32_t i = 0; i < 4; ++i) static_cast<uint32_t*>(desc.lpSurface)[i / 2 * desc.lPitch / 4 + i % 2] = 0x10 + i;
    ASSERT_EQ(page_->Unlock(nullptr), DD_OK);
    LPDIRECTDRAWCLIPPER clipper = nullptr;
    EXPECT_EQ(directDraw_->CreateClipper(0, nullptr, nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(directDraw_->CreateClipper(0, &clipper, reinterpret_cast<IUnknown*>(&desc)), DDERR_INVALIDPARAMS) << "aggregation";
    ASSERT_EQ(directDraw_->CreateClipper(0, &clipper, nullptr), DD_OK);
    ASSERT_EQ((std::pair{clipper->SetHWnd(0, window_), primary_->SetClipper(clipper)}), std::pair(DD_OK, DD_OK));
    EXPECT_EQ(page_->SetClipper(clipper), DDERR_INVALIDPARAMS) << "only the primary takes a clipper";

    RECT pastTheEdge{630, 0, 650, 10}, overTheCorner{98, 48, 102, 52};
    EXPECT_EQ(primary_->Blt(&pastTheEdge, page_, nullptr, 0, nullptr), DDERR_INVALIDRECT);
    const auto effects = reinterpret_cast<LPDDBLTFX>(&desc);  // a fill, say: none are on offer
    EXPECT_EQ(std::pair(primary_->Blt(nullptr, nullptr, nullptr, 0, nullptr), primary_->Blt(nullptr, page_, nullptr, 0, effects)),
              std::pair(DDERR_INVALIDPARAMS, DDERR_INVALIDPARAMS)) << "a copy needs a source and takes no effects";
    ASSERT_EQ(primary_->Blt(&overTheCorner, page_, nullptr, 0, nullptr), DD_OK);
    ASSERT_EQ(Screen().shown32.size(), size_t{640} * 480 * 4);
    const auto* shown = reinterpret_cast<const uint32_t*>(Screen().shown32.data());
    for (int y = 47; y < 54; ++y) {  // the window covers the target from 99,49 on, twice as large
        for (int x = 97; x < 104; ++x) {
            const bool inside = x >= 99 && x < 102 && y >= 49 && y < 52;
            EXPECT_EQ(shown[y * 640 + x], inside ? 0x10u + (y >= 50) * 2 + (x >= 100) : 0u) << "at " << x << "," << y;
        }
    }
    memory_screen::TakeAway();  // minimised: no client area, far off the screen
    RECT client{1, 1, 1, 1};
    POINT origin{0, 0};
    ASSERT_EQ(std::pair(GetClientRect(window_, &client), ClientToScreen(window_, &origin)), std::pair(TRUE, TRUE));
    EXPECT_EQ((std::vector<LONG>{client.right, client.bottom, origin.x, origin.y}), (std::vector<LONG>{0, 0, -32000, -32000}));
    memory_screen::GiveBack();
    EXPECT_EQ(primary_->Blt(&overTheCorner, page_, nullptr, 0, nullptr), DD_OK) << "a window's primary is not lost";
    ASSERT_EQ(primary_->Release(), ULONG{0});
    EXPECT_EQ(clipper->Release(), ULONG{0}) << "a primary lets go of its clipper";
}

// As on Windows, a window's procedure is told WM_DESTROY, with both parameters 0, when it closes.
LPARAM destroyedWith = -1;
LRESULT CALLBACK RecordingDestroy(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) destroyedWith = static_cast<LPARAM>(wParam) | lParam;
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST(CoreWindow, AClosingWindowsProcedureIsToldWmDestroy) {
    ASSERT_EQ(SendMessageA(OpenTestWindow(RecordingDestroy), WM_CLOSE, 0, 0), 0);
    EXPECT_EQ(destroyedWith, 0) << "WM_DESTROY's parameters, or -1 when it never came";
    standins::ShutDown();
    Screen() = memory_screen::State{};
}

}  // namespace
