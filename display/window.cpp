// The frame in a window: the window over its whole monitor or with a title and border, where the
// frame shows in it and in which shape, the pointer carried between the screen's coordinates and
// the frame's, and what the window shows.
#include "display/display.h"
#include "display/window.h"
#include "platform/letterbox.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <vector>

namespace {

// What the window shows: a copy of the frame and where it is on the screen, so that only what
// changed goes there. A copy onto the desktop costs in proportion to its area, on a large screen
// several times an exclusive flip; a spot that stands still then costs a comparison. Only
// RecordWindowCopy and ForgetWindowCopies change it.
struct ShownInWindow {
    std::vector<uint32_t> frame;  // empty: nothing known, the next copy goes whole
    RECT onScreen = {0, 0, 0, 0};
    int framesToWholeCopy = 0;
};
ShownInWindow shown;
// Chosen at the start; only SetFrameShape changes it.
letterbox::Shape frameShape;

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

// The columns and rows of the page that differ from what the window shows; false when none does.
bool ChangedRect(const void* page, LONG pitch, RECT& changed) {
    const LONG width = DisplayWidth;
    LONG left = width, right = 0, top = DisplayHeight, bottom = 0;
    for (LONG row = 0; row < DisplayHeight; ++row) {
        const auto* in = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(page) + static_cast<size_t>(row) * static_cast<size_t>(pitch));
        const uint32_t* kept = shown.frame.data() + static_cast<size_t>(row) * static_cast<size_t>(width);
        if (std::memcmp(in, kept, static_cast<size_t>(width) * 4) == 0) continue;
        LONG first = 0, end = width;
        while (in[first] == kept[first]) ++first;
        while (in[end - 1] == kept[end - 1]) --end;
        left = std::min(left, first);
        right = std::max(right, end);
        top = std::min(top, row);
        bottom = row + 1;
    }
    changed = RECT{left, top, right, bottom};
    return top < bottom;
}

}  // namespace

namespace {

bool MonitorOf(HWND hwnd, MONITORINFO& monitorInfo) {
    monitorInfo = MONITORINFO{};
    monitorInfo.cbSize = sizeof(monitorInfo);
    HMONITOR monitor = MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST);
    return monitor != nullptr && GetMonitorInfoA(monitor, &monitorInfo);
}

}  // namespace

void SetFrameShape(letterbox::Shape shape) {
    frameShape = shape;
}

void CoverMonitor(HWND hwnd) {
    MONITORINFO monitorInfo;
    if (!MonitorOf(hwnd, monitorInfo)) {
        return;
    }
    // Borderless: a border would take room from the frame, and a title bar gets a window
    // manager's size limits.
    SetWindowLongA(hwnd, GWL_STYLE, static_cast<LONG>(WS_POPUP | WS_VISIBLE));
    const RECT& area = monitorInfo.rcMonitor;
    SetWindowPos(hwnd, HWND_TOP, area.left, area.top, area.right - area.left, area.bottom - area.top,
                 SWP_FRAMECHANGED | SWP_SHOWWINDOW);
}

void FrameWindow(HWND hwnd) {
    MONITORINFO monitorInfo;
    if (!MonitorOf(hwnd, monitorInfo)) {
        return;
    }
    // The border and title bar around a client area, as Windows makes them for this style.
    RECT border{0, 0, 0, 0};
    if (!AdjustWindowRectEx(&border, WS_OVERLAPPEDWINDOW, FALSE, 0)) {
        return;
    }
    const RECT& work = monitorInfo.rcWork;
    const letterbox::Box client = letterbox::WindowOnWorkArea({work.left, work.top, work.right - work.left, work.bottom - work.top},
                                                              DisplayWidth, DisplayHeight, frameShape,
                                                              {-border.left, -border.top, border.right, border.bottom});
    const auto left = static_cast<LONG>(client.left + border.left), top = static_cast<LONG>(client.top + border.top);
    const auto width = static_cast<LONG>(client.width + border.right - border.left);
    const auto height = static_cast<LONG>(client.height + border.bottom - border.top);
    SetWindowLongA(hwnd, GWL_STYLE, static_cast<LONG>(WS_OVERLAPPEDWINDOW | WS_VISIBLE));
    // Not topmost: an exclusive mode left behind may have made it so.
    SetWindowPos(hwnd, HWND_NOTOPMOST, left, top, width, height, SWP_FRAMECHANGED | SWP_SHOWWINDOW);
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
    const letterbox::Box box = letterbox::Place(areaWidth, areaHeight, DisplayWidth, DisplayHeight, frameShape);
    onScreen->left = origin.x + static_cast<LONG>(box.left);
    onScreen->top = origin.y + static_cast<LONG>(box.top);
    onScreen->right = onScreen->left + static_cast<LONG>(box.width);
    onScreen->bottom = onScreen->top + static_cast<LONG>(box.height);
    return true;
}

namespace {

// Carries a point along each side by the map given, through where the frame shows in a window;
// in exclusive mode the screen is the frame.
bool MapThroughFrame(POINT* point, int64_t (*map)(int64_t, int64_t, int64_t, int64_t)) {
    if (bWindowed == 0) {
        return true;
    }
    RECT onScreen;
    if (!FrameOnScreen(&onScreen)) {
        return false;
    }
    point->x = static_cast<LONG>(map(point->x, onScreen.left, onScreen.right - onScreen.left, DisplayWidth));
    point->y = static_cast<LONG>(map(point->y, onScreen.top, onScreen.bottom - onScreen.top, DisplayHeight));
    return true;
}

}  // namespace

bool ScreenToFrame(POINT* point) {
    return MapThroughFrame(point, letterbox::PixelAt);
}

bool FrameToScreen(POINT* point) {
    return MapThroughFrame(point, letterbox::MiddleOf);
}

WindowCopy PlanWindowCopy(const void* page, LONG pitch) {
    WindowCopy copy;
    RECT onScreen;
    const LONG width = DisplayWidth;
    const LONG height = DisplayHeight;
    if (page == nullptr || pitch < width * 4 || !FrameOnScreen(&onScreen)) {
        return copy;
    }
    copy.placed = true;
    copy.whole = shown.frame.size() != static_cast<size_t>(width) * static_cast<size_t>(height) ||
                 !SameRect(onScreen, shown.onScreen) || shown.framesToWholeCopy <= 1;
    RECT changed = {0, 0, width, height};
    if (!copy.whole && !ChangedRect(page, pitch, changed)) {
        return copy;
    }
    auto [left, top, right, bottom] = changed;
    const LONG screenWidth = onScreen.right - onScreen.left;
    const LONG screenHeight = onScreen.bottom - onScreen.top;
    WidenToSteps(left, right, width, screenWidth);
    WidenToSteps(top, bottom, height, screenHeight);
    copy.changed = true;
    copy.part = RECT{left, top, right, bottom};
    copy.target = RECT{onScreen.left + static_cast<LONG>(int64_t{left} * screenWidth / width),
                       onScreen.top + static_cast<LONG>(int64_t{top} * screenHeight / height),
                       onScreen.left + static_cast<LONG>(int64_t{right} * screenWidth / width),
                       onScreen.top + static_cast<LONG>(int64_t{bottom} * screenHeight / height)};
    return copy;
}

void RecordWindowCopy(const void* page, LONG pitch, const WindowCopy& copy) {
    if (!copy.placed) {
        ForgetWindowCopies();
        return;
    }
    const auto width = static_cast<size_t>(DisplayWidth);
    if (copy.whole) {
        shown.frame.resize(width * static_cast<size_t>(DisplayHeight));
        shown.onScreen = copy.target;
        shown.framesToWholeCopy = FramesBetweenWholeCopies;
    } else {
        --shown.framesToWholeCopy;
    }
    // Whole rows: those of the part that did not change are the same on both sides.
    for (LONG row = copy.part.top; row < copy.part.bottom; ++row) {
        std::memcpy(shown.frame.data() + static_cast<size_t>(row) * width,
                    static_cast<const uint8_t*>(page) + static_cast<size_t>(row) * static_cast<size_t>(pitch), width * 4);
    }
}

void ForgetWindowCopies() {
    shown = ShownInWindow{};
}
