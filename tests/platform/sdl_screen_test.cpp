// The SDL2 screen under Xvfb: keys and closes as messages, the pointer through the scaling, exposes, focus loss,
// and Alt+Enter between full screen and a window.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdio>
#include <cstring>
#include <tuple>
#include <vector>

#include <windows.h>

#include "image/image.h"
#include "platform/core/desktop.h"
#include "platform/core/standins.h"
#include "platform/screen.h"
#include "tests/platform/test_window.h"

namespace {

class SdlScreenTest : public ::testing::Test {
protected:
    void SetUp() override {
        window_ = OpenTestWindow(DefWindowProcA);
        ASSERT_NE(window_, nullptr) << "needs a display";
        ShowWindow(window_, 10);
        screen::EnterFullScreen();
        desktop::SetExclusive(true);
    }
    void TearDown() override { standins::ShutDown(); }

    static SDL_Event Event(Uint32 type, SDL_Keycode key = 0, SDL_WindowEventID id = SDL_WINDOWEVENT_NONE, Uint16 mod = 0,
                           Uint8 repeat = 0) {
        SDL_Event event{};
        event.type = type;
        event.key.keysym.sym = key;
        event.key.keysym.scancode = SDL_GetScancodeFromKey(key);
        event.key.keysym.mod = mod;
        event.key.repeat = repeat;
        if (type == SDL_WINDOWEVENT) event.window.event = static_cast<Uint8>(id);
        return event;
    }
    // Hands events to the screen and takes the first message they make (the key M marks the end).
    static MSG Deliver(std::vector<SDL_Event> events) {
        events.push_back(Event(SDL_KEYDOWN, SDLK_m));
        for (SDL_Event& event : events) EXPECT_EQ(SDL_PushEvent(&event), 1);
        MSG first{}, message{};
        EXPECT_EQ(GetMessageA(&first, nullptr, 0, 0), TRUE);
        for (message = first; message.message != WM_KEYDOWN || message.wParam != 'M';) GetMessageA(&message, nullptr, 0, 0);
        return first;
    }

    static SDL_Window* Window() {
        SDL_Window* window = nullptr;
        for (Uint32 id = 1; id < 1000 && window == nullptr; ++id) window = SDL_GetWindowFromID(id);
        return window;
    }
    // Polls the pointer until it reads (x, y), for a while: it reaches the window through the display server.
    static void ExpectPointerAt(LONG x, LONG y) {
        POINT read{-1, -1};
        for (int tries = 0; tries < 200 && (read.x != x || read.y != y); ++tries) {
            SDL_PumpEvents();
            ASSERT_EQ(GetCursorPos(&read), TRUE);
            if (read.x != x || read.y != y) SDL_Delay(5);
        }
        EXPECT_EQ(std::pair(read.x, read.y), std::pair(x, y));
    }

    HWND window_ = nullptr;
};

TEST_F(SdlScreenTest, KeysAndClosesArriveAsWindowsMessages) {
    // The keypad's VK_NUMPAD1 and VK_NUMPAD9, then US-layout OEM keys.
    const std::pair<SDL_Keycode, WPARAM> keys[] = {{SDLK_ESCAPE, VK_ESCAPE}, {SDLK_F12, VK_F12}, {SDLK_a, 'A'}, {SDLK_z, 'Z'},
                                                   {SDLK_7, '7'}, {SDLK_SPACE, VK_SPACE}, {SDLK_F1, VK_F1}, {SDLK_KP_1, 0x61},
                                                   {SDLK_KP_9, 0x69}, {SDLK_MINUS, 0xBD}, {SDLK_QUOTE, 0xDE}, {SDLK_BACKSLASH, 0xDC},
                                                   {SDLK_F13, 0x7C}, {SDLK_F24, 0x87},  // VK_F13, VK_F24
                                                   {SDLK_RETURN, VK_RETURN}, {SDLK_KP_ENTER, VK_RETURN}, {SDLK_LALT, VK_MENU}};
    for (const auto& [key, virtualKey] : keys) {
        const MSG message = Deliver({Event(SDL_KEYDOWN, key)});  // a key without a virtual key gives the M first
        EXPECT_EQ(std::pair(message.message, message.wParam), std::pair(UINT{WM_KEYDOWN}, virtualKey)) << SDL_GetKeyName(key);
    }
    EXPECT_EQ(Deliver({Event(SDL_WINDOWEVENT, 0, SDL_WINDOWEVENT_CLOSE)}).message, static_cast<UINT>(WM_CLOSE));
    EXPECT_EQ(Deliver({Event(SDL_QUIT)}).message, static_cast<UINT>(WM_CLOSE));
    standins::ShutDown();
    // A visual the display lacks: SDL cannot make the window (any SDL; 2.32 no longer refuses a huge one).
    SDL_SetHint(SDL_HINT_VIDEO_X11_WINDOW_VISUALID, "0x7fffffff");
    EXPECT_FALSE(screen::Open("no such visual", 320, 200)) << "SDL cannot make this window, and neither can the screen";
    SDL_SetHint(SDL_HINT_VIDEO_X11_WINDOW_VISUALID, nullptr);
}

TEST_F(SdlScreenTest, ThePointerIsHiddenAndMappedInModePixelsWhateverTheScale) {
    for (const auto& [show, shown] : {std::pair(FALSE, SDL_DISABLE), std::pair(TRUE, SDL_ENABLE)}) {
        ShowCursor(show);
        EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), shown) << "after ShowCursor(" << show << ")";
    }
    for (const POINT& position : {POINT{0, 0}, POINT{319, 199}, POINT{37, 181}, POINT{318, 1}}) {
        ASSERT_EQ(SetCursorPos(position.x, position.y), TRUE);
        ExpectPointerAt(position.x, position.y);
    }
    screen::MovePointerInMode(Width, 0, 5, 5);  // a mode of no rows has no place to put the pointer
    ExpectPointerAt(318, 1);
    // The mode fills 960 x 600 from row 60: in the bands above and below, the nearest edge.
    for (const auto& [windowY, frameY] : {std::pair(0, 0), std::pair(719, 199)}) {
        SDL_WarpMouseInWindow(Window(), 483, windowY);
        ExpectPointerAt(161, frameY);
    }
    // A window at 100, 50 on the 960 x 720 display: the pointer above and left of it reads as the frame's corner.
    screen::LeaveFullScreen();
    SDL_SetWindowPosition(Window(), 100, 50);
    SDL_SetWindowSize(Window(), 320, 200);
    SDL_WarpMouseGlobal(40, 20);
    ExpectPointerAt(0, 0);
    int desktopWidth = 0, desktopHeight = 0;
    screen::DesktopSize(desktopWidth, desktopHeight);
    EXPECT_EQ(std::pair(desktopWidth, desktopHeight), std::pair(960, 720)) << "the display's size";
    // Its window closed, the screen moves no pointer: SDL would move it in whichever window has it.
    standins::ShutDown();
    SDL_Window* other = SDL_CreateWindow("other", 0, 0, 320, 200, SDL_WINDOW_SHOWN);
    SDL_WarpMouseInWindow(other, 50, 50);
    for (int tries = 0; tries < 400 && SDL_GetMouseFocus() != other; ++tries) SDL_Delay(5), SDL_PumpEvents();
    screen::MovePointerInMode(Width, Height, 300, 190);
    int pointerX{}, pointerY{};
    SDL_GetGlobalMouseState(&pointerX, &pointerY);
    EXPECT_EQ(std::pair(pointerX, pointerY), std::pair(50, 50)) << "the pointer over another window, in it";
    SDL_DestroyWindow(other);
}

// Also run on a 16-bit display, whose window surface SDL converts into.
TEST_F(SdlScreenTest, AnExposeRepaintsTheLastFrame) {
    SDL_Window* window = Window();
    ASSERT_NE(window, nullptr);
    SDL_Surface* surface = SDL_GetWindowSurface(window);
    const auto colourAt = [surface](int x, int y) {
        Uint32 pixel = 0, bytes = surface->format->BytesPerPixel;
        std::memcpy(&pixel, static_cast<const uint8_t*>(surface->pixels) + y * surface->pitch + x * bytes, bytes);
        Uint8 red = 0, green = 0, blue = 0;
        SDL_GetRGB(pixel, surface->format, &red, &green, &blue);
        return uint32_t{red} << 16 | uint32_t{green} << 8 | blue;
    };
    SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 255, 255, 255));  // what another window left there
    Deliver({Event(SDL_WINDOWEVENT, 0, SDL_WINDOWEVENT_EXPOSED)});
    EXPECT_EQ(colourAt(surface->w / 2, surface->h / 2), 0u) << "before any frame: black";
    const std::vector<uint32_t> frame(size_t{Width} * 240, 0x00336699);
    // Past the frames drawn whole after a window change, only a change of fit may clear the bands.
    for (int frames = 0; frames < 30; ++frames) screen::Present(reinterpret_cast<const uint8_t*>(frame.data()), Width, 240, Width * 4);
    const uint32_t drawn = colourAt(surface->w / 2, surface->h / 2);
    SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 255, 255, 255));  // seen only if drawn again
    screen::Present(reinterpret_cast<const uint8_t*>(frame.data()), Width, 240, Width * 4);
    EXPECT_EQ(colourAt(surface->w / 2, surface->h / 2), 0xFFFFFFu) << "an unchanged frame costs no drawing";
    // Nor any update: the display, as ImageMagick reads it from the X server, still shows the frame.
    FILE* shown = popen("import -window root -crop 1x1+480+360 -depth 8 rgb:-", "r");
    uint8_t rgb[3]{};
    EXPECT_EQ(shown != nullptr ? std::fread(rgb, 1, 3, shown) : 0, 3u) << "the display read whole";
    if (shown != nullptr) pclose(shown);
    EXPECT_EQ(uint32_t{rgb[0]} << 16 | uint32_t{rgb[1]} << 8 | rgb[2], drawn) << "the display's middle";
    // After 320 x 240, which fills the display, 320 x 200 fills 960 x 600 from row 60: the band below is black.
    screen::Present(reinterpret_cast<const uint8_t*>(frame.data()), Width, Height, Width * 4);
    screen::Present(nullptr, Width, Height, Width * 4);  // no frame to show: nothing changes
    for (int x = 0; x < surface->w; ++x) ASSERT_EQ(colourAt(x, 660), 0u) << "lit pixel in row 660 at " << x;
    // A frame twice as wide fills the same 960 x 600: the display's columns come from its columns, not the last one's.
    std::vector<uint32_t> wide(size_t{Width} * 2 * Height * 2);
    for (size_t i = 0; i < wide.size(); ++i) wide[i] = i % (Width * 2) < Width ? 0xFF0000u : 0x00FF00u;
    screen::Present(reinterpret_cast<const uint8_t*>(wide.data()), Width * 2, Height * 2, Width * 8);
    EXPECT_EQ(colourAt(600, 301), 0x00FF00u) << "column 400 of 640 is green, in a row that repeats the one above";
    SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 255, 255, 255));
    Deliver({Event(SDL_WINDOWEVENT, 0, SDL_WINDOWEVENT_EXPOSED)});
    EXPECT_EQ(colourAt(surface->w / 2, surface->h / 2), 0x00FF00u) << "the wide frame's column 320";
}

TEST_F(SdlScreenTest, AFocusLossTakesTheDisplayAwayUntilItComesBack) {
    const uint32_t losses = desktop::LossCount();
    const SDL_Event lost = Event(SDL_WINDOWEVENT, 0, SDL_WINDOWEVENT_FOCUS_LOST);
    Deliver({lost, lost});
    EXPECT_TRUE(desktop::DisplayAway());
    // SDL minimises a full-screen window that loses the focus; the events that brings may count once more, never more.
    EXPECT_GE(desktop::LossCount() - losses, 1u);
    EXPECT_LE(desktop::LossCount() - losses, 2u);
    Deliver({Event(SDL_WINDOWEVENT, 0, SDL_WINDOWEVENT_RESTORED)});
    EXPECT_FALSE(desktop::DisplayAway());
}

// Enter with Alt held is the screen's own: no message, not even a repeat's, with either Alt or Enter.
TEST_F(SdlScreenTest, AltEnterSwitchesToAWindowAndBackWithoutAMessage) {
    const Uint32 framed = SDL_WINDOW_RESIZABLE, full = SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_BORDERLESS;
    const std::tuple<const char*, SDL_Event, bool> steps[] = {
        {"Alt+Enter", Event(SDL_KEYDOWN, SDLK_RETURN, SDL_WINDOWEVENT_NONE, KMOD_LALT), true},
        {"its repeat", Event(SDL_KEYDOWN, SDLK_RETURN, SDL_WINDOWEVENT_NONE, KMOD_LALT, 1), true},
        {"a focus loss, which leaves a window in view", Event(SDL_WINDOWEVENT, 0, SDL_WINDOWEVENT_FOCUS_LOST), true},
        {"right Alt+keypad Enter", Event(SDL_KEYDOWN, SDLK_KP_ENTER, SDL_WINDOWEVENT_NONE, KMOD_RALT), false},
        {"Alt+Shift+Enter", Event(SDL_KEYDOWN, SDLK_RETURN, SDL_WINDOWEVENT_NONE, KMOD_LALT | KMOD_SHIFT), true},
    };
    for (const auto& [what, event, inWindow] : steps) {
        const MSG message = Deliver({event});
        EXPECT_EQ(std::pair(message.message, message.wParam), std::pair(UINT{WM_KEYDOWN}, WPARAM{'M'})) << what;
        EXPECT_FALSE(desktop::DisplayAway()) << what;
        EXPECT_EQ(SDL_GetWindowFlags(Window()) & (framed | full), inWindow ? framed : full) << what;
        // Three times 320 x 200 is the largest that fits the 960 x 720 display, which has no window manager's frame.
        const SDL_Rect expected = inWindow ? SDL_Rect{0, 60, 960, 600} : SDL_Rect{0, 0, 960, 720};
        SDL_Rect shown{};
        SDL_GetWindowPosition(Window(), &shown.x, &shown.y);
        SDL_GetWindowSize(Window(), &shown.w, &shown.h);
        EXPECT_TRUE(SDL_RectEquals(&shown, &expected)) << what << ": " << shown.w << " x " << shown.h << " at " << shown.x << ", " << shown.y;
        // The window's 960 x 600 and the display's 960 x 720 show the mode alike: the pointer reads the same.
        ASSERT_EQ(SetCursorPos(37, 181), TRUE);
        ExpectPointerAt(37, 181);
    }
}

}  // namespace
