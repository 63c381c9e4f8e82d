// The frame in a window: the window over its whole monitor, where the frame shows in it, and
// the pointer carried between the screen's coordinates and the frame's.
#include "display/display.h"
#include "display/window.h"
#include "platform/letterbox.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <vector>

namespace {

// What the window shows: a copy of the frame and where it is, so that only what changed goes
// to the screen. A copy onto the desktop costs in proportion to its area, on a large screen
// several times an exclusive flip; a spot that stands still then costs a comparison.
struct Shown {
    std::vector<uint32_t> frame;
    RECT onScreen = {0, 0, 0, 0};
    int framesToWholeCopy = 0;
};
Shown shown;

// Now and then the whole frame goes again, to mend what a window passing over ours left.
constexpr int FramesBetweenWholeCopies = 50;

bool SameRect(const RECT& one, const RECT& other) {
    return one.left == other.left && one.top == other.top && one.right == other.right && one.bottom == other.bottom;
}

// Widens [first, end) of a frame side to whole steps of its scale, so that a partial copy picks
// the same frame pixels as a copy of the whole frame would.
void WidenToSteps(LONG& first, LONG& end, LONG frameSide, LONG screenSide) {
    const LONG step = frameSide / std::gcd(frameSide, screenSide);
    first -= first % step;
    end = std::min(frameSide, (end + step - 1) / step * step);
}

}  // namespace

void CoverMonitor(HWND hwnd) {
    MONITORINFO monitorInfo{};
    monitorInfo.cbSize = sizeof(monitorInfo);
    HMONITOR monitor = MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST);
    if (monitor == nullptr || !GetMonitorInfoA(monitor, &monitorInfo)) {
        return;
    }
    // Borderless: a border would take room from the frame, and a title bar gets a window
    // manager's size limits.
    SetWindowLongA(hwnd, GWL_STYLE, static_cast<LONG>(WS_POPUP | WS_VISIBLE));
    const RECT& area = monitorInfo.rcMonitor;
    SetWindowPos(hwnd, HWND_TOP, area.left, area.top, area.right - area.left, area.bottom - area.top,
                 SWP_FRAMECHANGED | SWP_SHOWWINDOW);
}

bool FrameOnScreen(RECT* onScreen) {
    RECT client;
    if (DisplayWindow == nullptr || DisplayWidth <= 0 || DisplayHeight <= 0 || !GetClientRect(DisplayWindow, &client)) {
        return false;
    }
    const int64_t areaWidth = client.right - client.left;
    const int64_t areaHeight = client.bottom - client.top;
    POINT origin = {client.left, client.top};
    if (areaWidth <= 0 || areaHeight <= 0 || !ClientToScreen(DisplayWindow, &origin)) {
        return false;
    }
    const letterbox::Box box = letterbox::Fit(areaWidth, areaHeight, DisplayWidth, DisplayHeight);
    onScreen->left = origin.x + static_cast<LONG>(box.left);
    onScreen->top = origin.y + static_cast<LONG>(box.top);
    onScreen->right = onScreen->left + static_cast<LONG>(box.width);
    onScreen->bottom = onScreen->top + static_cast<LONG>(box.height);
    return true;
}

bool ScreenToFrame(POINT* point) {
    if (bWindowed == 0) {
        return true;
    }
    RECT onScreen;
    if (!FrameOnScreen(&onScreen)) {
        return false;
    }
    point->x = static_cast<LONG>(letterbox::PixelAt(point->x, onScreen.left, onScreen.right - onScreen.left, DisplayWidth));
    point->y = static_cast<LONG>(letterbox::PixelAt(point->y, onScreen.top, onScreen.bottom - onScreen.top, DisplayHeight));
    return true;
}

bool FrameToScreen(POINT* point) {
    if (bWindowed == 0) {
        return true;
    }
    RECT onScreen;
    if (!FrameOnScreen(&onScreen)) {
        return false;
    }
    point->x = static_cast<LONG>(letterbox::MiddleOf(point->x, onScreen.left, onScreen.right - onScreen.left, DisplayWidth));
    point->y = static_cast<LONG>(letterbox::MiddleOf(point->y, onScreen.top, onScreen.bottom - onScreen.top, DisplayHeight));
    return true;
}

bool ChangedPart(const void* page, LONG pitch, RECT* part, RECT* target) {
    RECT onScreen;
    const LONG width = DisplayWidth;
    const LONG height = DisplayHeight;
    if (page == nullptr || pitch < width * 4 || !FrameOnScreen(&onScreen)) {
        ForgetShownFrame();
        return false;
    }
    const bool whole = shown.frame.size() != static_cast<size_t>(width) * static_cast<size_t>(height) ||
                       !SameRect(onScreen, shown.onScreen) || --shown.framesToWholeCopy <= 0;
    if (whole) {
        shown.frame.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
        shown.onScreen = onScreen;
        shown.framesToWholeCopy = FramesBetweenWholeCopies;
    }
    LONG left = width, right = 0, top = height, bottom = 0;
    for (LONG row = 0; row < height; ++row) {
        const auto* in = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(page) + static_cast<size_t>(row) * static_cast<size_t>(pitch));
        uint32_t* kept = shown.frame.data() + static_cast<size_t>(row) * static_cast<size_t>(width);
        LONG first = 0, end = width;
        if (!whole) {
            if (std::memcmp(in, kept, static_cast<size_t>(width) * 4) == 0) continue;
            while (in[first] == kept[first]) ++first;
            while (in[end - 1] == kept[end - 1]) --end;
        }
        std::memcpy(kept, in, static_cast<size_t>(width) * 4);
        left = std::min(left, first);
        right = std::max(right, end);
        top = std::min(top, row);
        bottom = row + 1;
    }
    if (top >= bottom) {
        return false;
    }
    const LONG screenWidth = onScreen.right - onScreen.left;
    const LONG screenHeight = onScreen.bottom - onScreen.top;
    WidenToSteps(left, right, width, screenWidth);
    WidenToSteps(top, bottom, height, screenHeight);
    *part = RECT{left, top, right, bottom};
    *target = RECT{onScreen.left + static_cast<LONG>(int64_t{left} * screenWidth / width),
                   onScreen.top + static_cast<LONG>(int64_t{top} * screenHeight / height),
                   onScreen.left + static_cast<LONG>(int64_t{right} * screenWidth / width),
                   onScreen.top + static_cast<LONG>(int64_t{bottom} * screenHeight / height)};
    return true;
}

void ForgetShownFrame() {
    shown = Shown{};
}
