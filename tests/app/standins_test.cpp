// The SDL2 stand-ins for Win32 and DirectDraw on a real display (the test runs under Xvfb):
// messages from SDL events, key codes, the close path, timer coalescing, the cursor in picture
// coordinates, the one display mode, the flip chain, and surfaces lost while the display is away.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstring>
#include <string>
#include <vector>

#include <windows.h>
#include <ddraw.h>

#include "image/image.h"
#include "platform/core/standins.h"

namespace {

std::vector<UINT> Received;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Received.push_back(message);
    return DefWindowProcA(window, message, wParam, lParam);
}

class StandInTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        WNDCLASSEXA windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = RecordingProc;
        windowClass.lpszClassName = "StandInTest";
        ASSERT_NE(RegisterClassExA(&windowClass), 0);
    }

    void SetUp() override {
        Received.clear();
        window_ = CreateWindowExA(0, "StandInTest", "stand-in test", WS_DLGFRAME, CW_USEDEFAULT, CW_USEDEFAULT, Width,
                                  Height, nullptr, nullptr, standins::ProgramInstance(), nullptr);
        ASSERT_NE(window_, nullptr) << "needs a display";
        ShowWindow(window_, 10);
    }

    void TearDown() override {
        if (directDraw_ != nullptr) directDraw_->Release();
        standins::ShutDown();
    }

    // Exclusive full screen in the demo's mode, with a flip chain and one page.
    void SetUpDisplay() {
        ASSERT_EQ(DirectDrawCreateEx(nullptr, reinterpret_cast<LPVOID*>(&directDraw_), IID_IDirectDraw7, nullptr), DD_OK);
        ASSERT_EQ(directDraw_->SetCooperativeLevel(window_, DDSCL_EXCLUSIVE | DDSCL_ALLOWREBOOT | DDSCL_FULLSCREEN), DD_OK);
        ASSERT_EQ(directDraw_->SetDisplayMode(Width, Height, 32, 0, DDSDM_STANDARDVGAMODE), DD_OK);
        DDSURFACEDESC2 desc{};
        desc.dwSize = sizeof desc;
        desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
        desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
        desc.dwBackBufferCount = 1;
        ASSERT_EQ(directDraw_->CreateSurface(&desc, &primary_, nullptr), DD_OK);
        DDSCAPS2 caps{};
        caps.dwCaps = DDSCAPS_BACKBUFFER;
        ASSERT_EQ(primary_->GetAttachedSurface(&caps, &back_), DD_OK);
        desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
        desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
        desc.dwWidth = Width;
        desc.dwHeight = Height;
        ASSERT_EQ(directDraw_->CreateSurface(&desc, &page_, nullptr), DD_OK);
    }

    static void Push(const SDL_Event& event) {
        SDL_Event copy = event;
        ASSERT_EQ(SDL_PushEvent(&copy), 1);
    }

    static SDL_Event Key(SDL_Keycode key, bool repeat) {
        SDL_Event event{};
        event.type = SDL_KEYDOWN;
        event.key.keysym.sym = key;
        event.key.keysym.scancode = SDL_GetScancodeFromKey(key);
        event.key.repeat = repeat ? 1 : 0;
        return event;
    }

    static SDL_Event WindowEvent(SDL_WindowEventID id) {
        SDL_Event event{};
        event.type = SDL_WINDOWEVENT;
        event.window.event = static_cast<Uint8>(id);
        return event;
    }

    // Lets window events through the message loop: they come out as no message of their own,
    // so a key pushed after them marks where they end.
    static void Deliver(SDL_WindowEventID id) {
        Push(WindowEvent(id));
        Push(Key(SDLK_a, false));
        MSG message{};
        ASSERT_EQ(GetMessageA(&message, nullptr, 0, 0), TRUE);
        ASSERT_EQ(message.message, static_cast<UINT>(WM_KEYDOWN));
    }

    HWND window_ = nullptr;
    LPDIRECTDRAW7 directDraw_ = nullptr;
    LPDIRECTDRAWSURFACE7 primary_ = nullptr;
    LPDIRECTDRAWSURFACE7 back_ = nullptr;
    LPDIRECTDRAWSURFACE7 page_ = nullptr;
};

TEST_F(StandInTest, KeysArriveAsKeyDownWithVirtualKeyCodes) {
    struct Case {
        SDL_Keycode key;
        WPARAM virtualKey;
        bool repeat;
    };
    const Case cases[] = {{SDLK_ESCAPE, 27, false}, {SDLK_F12, 123, false}, {SDLK_F12, 123, true},
                          {SDLK_a, 'A', false},     {SDLK_7, '7', true},    {SDLK_SPACE, VK_SPACE, false},
                          {SDLK_LEFT, VK_LEFT, false}, {SDLK_F1, VK_F1, false}};
    for (const Case& tested : cases) Push(Key(tested.key, tested.repeat));
    for (const Case& tested : cases) {
        MSG message{};
        ASSERT_EQ(GetMessageA(&message, nullptr, 0, 0), TRUE);
        EXPECT_EQ(message.message, static_cast<UINT>(WM_KEYDOWN));
        EXPECT_EQ(message.hwnd, window_);
        EXPECT_EQ(message.wParam, tested.virtualKey) << SDL_GetKeyName(tested.key);
        EXPECT_EQ((message.lParam >> 30) & 1, tested.repeat ? 1 : 0) << "bit 30: the key was already down";
    }
}

TEST_F(StandInTest, ClosingFromTheDesktopDestroysTheWindowAndEndsTheLoop) {
    Push(WindowEvent(SDL_WINDOWEVENT_CLOSE));
    MSG message{};
    ASSERT_EQ(GetMessageA(&message, nullptr, 0, 0), TRUE);
    EXPECT_EQ(message.message, static_cast<UINT>(WM_CLOSE));
    DispatchMessageA(&message);
    // Default processing of the close destroyed the window, which got WM_DESTROY first.
    EXPECT_EQ(Received, (std::vector<UINT>{WM_CLOSE, WM_DESTROY}));
    EXPECT_EQ(SendMessageA(window_, WM_CLOSE, 0, 0), 0);
    EXPECT_EQ(Received.size(), 2u) << "a destroyed window gets nothing more";

    PostQuitMessage(7);
    EXPECT_EQ(GetMessageA(&message, nullptr, 0, 0), FALSE);
    EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(message.wParam, 7u);
}

TEST_F(StandInTest, SendMessageReachesTheWindowProcedureAtOnce) {
    SendMessageA(window_, 0x0400, 0, 0);
    EXPECT_EQ(Received, std::vector<UINT>{0x0400});
}

TEST_F(StandInTest, TimerTicksThatWereNotFetchedDoNotPileUp) {
    ASSERT_NE(SetTimer(window_, 5, 20, nullptr), 0u);
    SDL_Delay(300);  // some fifteen periods without fetching a message
    MSG message{};
    ASSERT_EQ(GetMessageA(&message, nullptr, 0, 0), TRUE);
    EXPECT_EQ(message.message, static_cast<UINT>(WM_TIMER));
    EXPECT_EQ(message.wParam, 5u);
    // As on Windows, the missed ticks were one: at most a fresh one can come before the key.
    Push(Key(SDLK_a, false));
    int ticksBeforeTheKey = 0;
    for (;;) {
        ASSERT_EQ(GetMessageA(&message, nullptr, 0, 0), TRUE);
        if (message.message != WM_TIMER) break;
        ++ticksBeforeTheKey;
    }
    EXPECT_EQ(message.message, static_cast<UINT>(WM_KEYDOWN));
    EXPECT_LE(ticksBeforeTheKey, 1);
}

TEST_F(StandInTest, CursorPositionsAreFramePixelsWhateverTheScale) {
    SetUpDisplay();
    const POINT positions[] = {{0, 0}, {319, 199}, {160, 100}, {37, 181}, {318, 1}};
    for (const POINT& position : positions) {
        ASSERT_EQ(SetCursorPos(position.x, position.y), TRUE);
        // The pointer reaches the window through the display server: poll, bounded.
        POINT read{-1, -1};
        for (int tries = 0; tries < 200 && (read.x != position.x || read.y != position.y); ++tries) {
            SDL_PumpEvents();
            ASSERT_EQ(GetCursorPos(&read), TRUE);
            if (read.x != position.x || read.y != position.y) SDL_Delay(5);
        }
        EXPECT_EQ(read.x, position.x);
        EXPECT_EQ(read.y, position.y);
    }
}

TEST_F(StandInTest, OffersTheDemosModeAloneAndOnlyInExclusiveMode) {
    ASSERT_EQ(DirectDrawCreateEx(nullptr, reinterpret_cast<LPVOID*>(&directDraw_), IID_IDirectDraw7, nullptr), DD_OK);
    EXPECT_EQ(directDraw_->SetDisplayMode(Width, Height, 32, 0, 0), DDERR_NOEXCLUSIVEMODE);
    ASSERT_EQ(directDraw_->SetCooperativeLevel(window_, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DD_OK);
    struct Mode {
        DWORD width, height, bits;
        HRESULT result;
    };
    for (const Mode& mode : {Mode{640, 480, 32, DDERR_INVALIDMODE}, Mode{320, 200, 16, DDERR_INVALIDMODE},
                             Mode{320, 240, 32, DDERR_INVALIDMODE}, Mode{320, 200, 32, DD_OK}}) {
        EXPECT_EQ(directDraw_->SetDisplayMode(mode.width, mode.height, mode.bits, 0, DDSDM_STANDARDVGAMODE), mode.result)
            << mode.width << "x" << mode.height << "x" << mode.bits;
    }
}

TEST_F(StandInTest, PagesAre32BitAndFlipShowsWhatWasCopiedToTheBackBuffer) {
    SetUpDisplay();
    DDSURFACEDESC2 desc{};
    desc.dwSize = sizeof desc;
    ASSERT_EQ(page_->Lock(nullptr, &desc, DDLOCK_SURFACEMEMORYPTR, nullptr), DD_OK);
    EXPECT_EQ(desc.ddpfPixelFormat.dwRGBBitCount, 32u);
    EXPECT_EQ(desc.dwWidth, static_cast<DWORD>(Width));
    ASSERT_GE(desc.lPitch, Width * 4);
    EXPECT_EQ(page_->Lock(nullptr, &desc, 0, nullptr), DDERR_SURFACEBUSY);
    auto* pixels = static_cast<uint8_t*>(desc.lpSurface);
    const LONG pitch = desc.lPitch;
    for (int y = 0; y < Height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(pixels + y * pitch);
        for (int x = 0; x < Width; ++x) row[x] = static_cast<uint32_t>(x * 7 + y * 1000);
    }
    EXPECT_EQ(back_->BltFast(0, 0, page_, nullptr, DDBLTFAST_NOCOLORKEY), DDERR_SURFACEBUSY) << "page still locked";
    ASSERT_EQ(page_->Unlock(nullptr), DD_OK);
    RECT whole{0, 0, Width, Height};
    ASSERT_EQ(back_->BltFast(0, 0, page_, &whole, DDBLTFAST_NOCOLORKEY), DD_OK);
    ASSERT_EQ(primary_->Flip(nullptr, 0), DD_OK);

    ASSERT_EQ(primary_->Lock(nullptr, &desc, 0, nullptr), DD_OK);
    const auto* shown = static_cast<const uint8_t*>(desc.lpSurface);
    for (int y = 0; y < Height; y += 37) {
        for (int x = 0; x < Width; x += 13) {
            ASSERT_EQ(reinterpret_cast<const uint32_t*>(shown + y * desc.lPitch)[x], static_cast<uint32_t>(x * 7 + y * 1000));
        }
    }
    primary_->Unlock(nullptr);
    EXPECT_EQ(page_->Flip(nullptr, 0), DDERR_NOTFLIPPABLE);
}

TEST_F(StandInTest, TheFlipChainIsLostWhileTheDisplayIsAwayUntilRestored) {
    SetUpDisplay();
    for (SDL_WindowEventID away : {SDL_WINDOWEVENT_FOCUS_LOST, SDL_WINDOWEVENT_MINIMIZED}) {
        Deliver(away);
        EXPECT_EQ(primary_->Flip(nullptr, 0), DDERR_SURFACELOST);
        EXPECT_EQ(back_->BltFast(0, 0, page_, nullptr, 0), DDERR_SURFACELOST);
        DDSURFACEDESC2 desc{};
        desc.dwSize = sizeof desc;
        EXPECT_EQ(primary_->Lock(nullptr, &desc, 0, nullptr), DDERR_SURFACELOST);
        // A page lives in system memory and stays usable, so frames can still be drawn.
        ASSERT_EQ(page_->Lock(nullptr, &desc, 0, nullptr), DD_OK);
        page_->Unlock(nullptr);
        EXPECT_EQ(primary_->Restore(), DDERR_WRONGMODE) << "not while the display is away";

        Deliver(away == SDL_WINDOWEVENT_MINIMIZED ? SDL_WINDOWEVENT_RESTORED : SDL_WINDOWEVENT_FOCUS_GAINED);
        EXPECT_EQ(primary_->Flip(nullptr, 0), DDERR_SURFACELOST) << "lost until restored";
        EXPECT_EQ(primary_->Restore(), DD_OK);
        EXPECT_EQ(page_->Restore(), DD_OK);
        EXPECT_EQ(back_->BltFast(0, 0, page_, nullptr, 0), DD_OK);
        EXPECT_EQ(primary_->Flip(nullptr, 0), DD_OK);
    }
}

}  // namespace
