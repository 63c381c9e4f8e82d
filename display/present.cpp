// Page presentation: the two system-memory pages take turns; each frame is copied whole onto
// the back buffer and the primary chain is flipped, restoring lost surfaces on the way.
#include "display/display.h"

int32_t bPageOne = 0;

namespace {

LONG lockedPitch = 0;

LPDIRECTDRAWSURFACE7 CurrentPage() {
    return bPageOne != 0 ? lpDDSOne : lpDDSTwo;
}

// Repeats a call while the display is still busy with the previous one; a lost surface gets one
// restore and the frame is dropped. Any other result ends the loop.
template <typename Call>
void RunUntilSettled(Call call) {
    for (;;) {
        const HRESULT result = call();
        if (result == DDERR_WASSTILLDRAWING) {
            continue;
        }
        if (result == DDERR_SURFACELOST) {
            RestoreSurfaces();
        }
        return;
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
    if (ddsd.ddpfPixelFormat.dwRGBBitCount != 32) {
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
    // Surfaces that a failed set-up never created are left alone. The back buffer counts only
    // while its primary lives: a released chain leaves lpDDSBack stale.
    if (source != nullptr) {
        source->Unlock(nullptr);
    }
    if (lpDDSPrimary == nullptr) {
        return;
    }
    if (lpDDSBack != nullptr && source != nullptr) {
        RunUntilSettled([&] {
            return lpDDSBack->BltFast(0, 0, source, &copyRect, DDBLTFAST_NOCOLORKEY);
        });
    }
    RunUntilSettled([] { return lpDDSPrimary->Flip(nullptr, 0); });
}
