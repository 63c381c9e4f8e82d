// Page presentation: the two system-memory pages take turns; each frame is copied whole onto
// the back buffer and the primary chain is flipped, or in a window stretched onto the desktop,
// restoring lost surfaces on the way.
#include "display/display.h"
#include "display/window.h"

#include <chrono>

int32_t bPageOne = 0;

namespace {

using Clock = std::chrono::steady_clock;

// How long one presentation may wait for a display that stays busy: well under the 20 ms
// between frames, so that a driver answering "still drawing" for good cannot hold the
// message loop, and Esc with it. Past it the frame is given up like any other.
constexpr Clock::duration BusyLimit = std::chrono::milliseconds(4);

LONG lockedPitch = 0;

LPDIRECTDRAWSURFACE7 CurrentPage() {
    return bPageOne != 0 ? lpDDSOne : lpDDSTwo;
}

// Repeats a call while the display is still busy with the previous one, until the deadline;
// a lost surface gets one restore and the frame is dropped. Any other result ends the loop.
template <typename Call>
HRESULT RunUntilSettled(Clock::time_point deadline, Call call) {
    for (;;) {
        const HRESULT result = call();
        if (result == DDERR_WASSTILLDRAWING && Clock::now() < deadline) {
            continue;
        }
        if (result == DDERR_SURFACELOST) {
            RestoreSurfaces();
        }
        return result;
    }
}

}  // namespace

int LockPage(void** pixels) {
    ddsd.dwSize = sizeof(ddsd);
    LPDIRECTDRAWSURFACE7 page = CurrentPage();
    // A set-up that failed part way leaves no page to draw into.
    if (page == nullptr) {
        return 0;
    }
    if (page->Lock(nullptr, &ddsd, DDLOCK_SURFACEMEMORYPTR, nullptr) != DD_OK) {
        return 0;
    }
    // A page without memory to copy into is as useless as one of the wrong depth.
    if (ddsd.ddpfPixelFormat.dwRGBBitCount != 32 || ddsd.lpSurface == nullptr) {
        page->Unlock(nullptr);
        return 0;
    }
    lockedPitch = ddsd.lPitch;
    *pixels = ddsd.lpSurface;
    return 1;
}

LONG LockedPagePitch() {
    return lockedPitch;
}

void FlipPages() {
    RECT copyRect = {0, 0, DisplayWidth, DisplayHeight};
    LPDIRECTDRAWSURFACE7 source;
    if (bPageOne != 0) {
        bPageOne = 0;
        source = lpDDSOne;
    } else {
        bPageOne = 1;
        source = lpDDSTwo;
    }
    // In a window only what changed goes to the screen, found and recorded while the page is
    // still locked.
    WindowCopy windowCopy;
    if (bWindowed != 0 && source != nullptr && lpDDSPrimary != nullptr) {
        windowCopy = PlanWindowCopy(ddsd.lpSurface, lockedPitch);
        RecordWindowCopy(ddsd.lpSurface, lockedPitch, windowCopy);
    }
    // Surfaces that a failed set-up never created are left alone. The back buffer counts only
    // while its primary lives: a released chain leaves lpDDSBack stale.
    if (source != nullptr) {
        source->Unlock(nullptr);
    }
    if (lpDDSPrimary == nullptr) {
        return;
    }
    // One wait for the copy and the flip together.
    const Clock::time_point deadline = Clock::now() + BusyLimit;
    if (bWindowed != 0) {
        // The page is stretched onto the desktop's primary where the window shows it; the
        // window's clipper keeps it off any window in front. A copy that failed is made whole
        // next time.
        if (windowCopy.changed && RunUntilSettled(deadline, [&] {
                return lpDDSPrimary->Blt(&windowCopy.target, source, &windowCopy.part, 0, nullptr);
            }) != DD_OK) {
            ForgetWindowCopies();
        }
        return;
    }
    if (lpDDSBack != nullptr && source != nullptr) {
        RunUntilSettled(deadline, [&] {
            return lpDDSBack->BltFast(0, 0, source, &copyRect, DDBLTFAST_NOCOLORKEY);
        });
    }
    RunUntilSettled(deadline, [] { return lpDDSPrimary->Flip(nullptr, 0); });
}

void RepaintWindow() {
    // The window shows something else now, or nothing: the next frame goes whole in any case.
    ForgetWindowCopies();
    // FlipPages has already turned to the other page: the one it left is the one shown.
    LPDIRECTDRAWSURFACE7 shownPage = bPageOne != 0 ? lpDDSTwo : lpDDSOne;
    RECT onScreen;
    if (bWindowed == 0 || lpDDSPrimary == nullptr || shownPage == nullptr || !FrameOnScreen(&onScreen)) {
        return;
    }
    RECT whole = {0, 0, DisplayWidth, DisplayHeight};
    RunUntilSettled(Clock::now() + BusyLimit,
                    [&] { return lpDDSPrimary->Blt(&onScreen, shownPage, &whole, 0, nullptr); });
}
