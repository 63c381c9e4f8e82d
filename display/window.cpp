// The frame in a window: the window over its whole monitor, where the frame shows in it, and
// the pointer carried between the screen's coordinates and the frame's.
#include "display/display.h"

#include <algorithm>

void CoverMonitor(HWND hwnd) {
    MONITORINFO monitorInfo{};
    monitorInfo.cbSize = sizeof(monitorInfo);
    HMONITOR monitor = MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST);
    if (monitor == nullptr || !GetMonitorInfoA(monitor, &monitorInfo)) {
        return;
    }
    // Borderless: a frame would take room from the picture, and a title bar gets a window
    // manager's size limits.
    SetWindowLongA(hwnd, GWL_STYLE, static_cast<LONG>(WS_POPUP | WS_VISIBLE));
    const RECT& area = monitorInfo.rcMonitor;
    SetWindowPos(hwnd, HWND_TOP, area.left, area.top, area.right - area.left, area.bottom - area.top,
                 SWP_FRAMECHANGED | SWP_SHOWWINDOW);
}

bool PictureOnScreen(RECT* picture) {
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
    // As large as fits with the frame's aspect kept, centred between black bands.
    int64_t width = areaWidth;
    int64_t height = areaWidth * DisplayHeight / DisplayWidth;
    if (height > areaHeight) {
        height = areaHeight;
        width = areaHeight * DisplayWidth / DisplayHeight;
    }
    width = std::max<int64_t>(width, 1);
    height = std::max<int64_t>(height, 1);
    picture->left = origin.x + static_cast<LONG>((areaWidth - width) / 2);
    picture->top = origin.y + static_cast<LONG>((areaHeight - height) / 2);
    picture->right = picture->left + static_cast<LONG>(width);
    picture->bottom = picture->top + static_cast<LONG>(height);
    return true;
}

bool ScreenToFrame(POINT* point) {
    if (bWindowed == 0) {
        return true;
    }
    RECT picture;
    if (!PictureOnScreen(&picture)) {
        return false;
    }
    const int64_t x = std::clamp<int64_t>(point->x, picture.left, picture.right - 1) - picture.left;
    const int64_t y = std::clamp<int64_t>(point->y, picture.top, picture.bottom - 1) - picture.top;
    point->x = static_cast<LONG>(x * DisplayWidth / (picture.right - picture.left));
    point->y = static_cast<LONG>(y * DisplayHeight / (picture.bottom - picture.top));
    return true;
}

bool FrameToScreen(POINT* point) {
    if (bWindowed == 0) {
        return true;
    }
    RECT picture;
    if (!PictureOnScreen(&picture)) {
        return false;
    }
    // The middle of the frame pixel's block, so that reading the pointer back gives that pixel.
    const int64_t x = std::clamp<int64_t>(point->x, 0, DisplayWidth - 1);
    const int64_t y = std::clamp<int64_t>(point->y, 0, DisplayHeight - 1);
    point->x = picture.left + static_cast<LONG>((2 * x + 1) * (picture.right - picture.left) / (2 * int64_t{DisplayWidth}));
    point->y = picture.top + static_cast<LONG>((2 * y + 1) * (picture.bottom - picture.top) / (2 * int64_t{DisplayHeight}));
    return true;
}
