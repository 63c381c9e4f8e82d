// The display state, and the set-up, restore and release of the DirectDraw objects: an exclusive
// full-screen mode with a flipping primary surface and two system-memory pages, or, where the
// display refuses that mode or a window is asked for, the desktop's primary with a clipper for the
// program's window; and Alt+Enter's trade between full screen and a window.
#include "display/display.h"
#include "display/window.h"
#include "platform/xrgb.h"

#include <cstring>

// The 32-bit Windows driver checks dwSize against this exact handshake value; a record of any
// other size makes every CreateSurface and Lock fail.
#if defined(_WIN32)
static_assert(sizeof(void*) != 4 || sizeof(DDSURFACEDESC2) == 124,
              "DDSURFACEDESC2 must be 124 bytes on 32-bit Windows");
#endif

LPDIRECTDRAW7 lpDD = nullptr;
LPDIRECTDRAWSURFACE7 lpDDSPrimary = nullptr;
LPDIRECTDRAWSURFACE7 lpDDSBack = nullptr;
LPDIRECTDRAWSURFACE7 lpDDSOne = nullptr;
LPDIRECTDRAWSURFACE7 lpDDSTwo = nullptr;
LPDIRECTDRAWCLIPPER lpDDClipper = nullptr;
int32_t bWindowed = 0;
int32_t bFramed = 0;
HWND DisplayWindow = nullptr;
DDSURFACEDESC2 ddsd;
int32_t DisplayWidth = 0;
int32_t DisplayHeight = 0;

namespace {

bool presentationReady = false;
const char* presentationRefusal = "";
bool startInWindow = false;
// Whether the display gave the exclusive mode at set-up: only then does Alt+Enter ask for it again.
bool exclusiveGranted = false;
// The log tells the set-up alone; the same steps taken again for Alt+Enter write nothing.
bool logSteps = false;

void Note(const char* text) {
    if (logSteps) {
        LogLine(text);
    }
}

// One set-up call: its text before it, and after it "    OK" or the text of its result.
template <typename Call>
HRESULT Step(const char* text, Call call) {
    Note(text);
    const HRESULT result = call();
    Note(result == DD_OK ? "    OK" : DDErrorText(result));
    return result;
}

void ReleaseSurface(LPDIRECTDRAWSURFACE7& surface) {
    if (surface != nullptr) {
        surface->Release();
        surface = nullptr;
    }
}

// A surface that was never created has nothing to restore.
HRESULT RestoreSurface(LPDIRECTDRAWSURFACE7 surface) {
    return surface != nullptr ? surface->Restore() : DD_OK;
}

// Exclusive full screen in the frame's own mode, with a flipping primary and its back buffer.
HRESULT SetUpFullScreen(HWND hwnd, int32_t width, int32_t height, bool& modeSet) {
    HRESULT result = Step("SetCooperativeLevel(EXCLUSIVE | ALLOWREBOOT | FULLSCREEN);", [hwnd] {
        return lpDD->SetCooperativeLevel(hwnd, DDSCL_EXCLUSIVE | DDSCL_ALLOWREBOOT | DDSCL_FULLSCREEN);
    });
    if (result != DD_OK) {
        return result;
    }

    result = Step("SetDisplayMode(Width, Height, 32, 0, DDSDM_STANDARDVGAMODE);", [width, height] {
        return lpDD->SetDisplayMode(static_cast<DWORD>(width), static_cast<DWORD>(height), 32, 0,
                                    DDSDM_STANDARDVGAMODE);
    });
    if (result != DD_OK) {
        return result;
    }
    modeSet = true;

    std::memset(&ddsd, 0, sizeof(ddsd));
    ddsd.dwSize = sizeof(ddsd);
    ddsd.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    ddsd.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_HWCODEC;
    ddsd.dwBackBufferCount = 1;
    result = Step("CreateSurface(&ddsd, &lpDDSPrimary, NULL);",
                  [] { return lpDD->CreateSurface(&ddsd, &lpDDSPrimary, nullptr); });
    if (result != DD_OK) {
        return result;
    }

    DDSCAPS2 ddscaps;
    std::memset(&ddscaps, 0, sizeof(ddscaps));
    ddscaps.dwCaps = DDSCAPS_BACKBUFFER | DDSCAPS_HWCODEC;
    return Step("GetAttachedSurface(&ddscaps, &lpDDSBack);",
                [&ddscaps] { return lpDDSPrimary->GetAttachedSurface(&ddscaps, &lpDDSBack); });
}

// The desktop as it is, with the window over the whole monitor or framed on it: what the exclusive
// attempt left is undone, and the frames are stretched onto the primary within the window's clipper.
HRESULT SetUpWindow(HWND hwnd, bool modeSet) {
    Note("Windowed mode");
    ReleaseSurface(lpDDSPrimary);
    lpDDSBack = nullptr;
    // A mode that could not be given back leaves a small desktop, which a window still covers.
    if (modeSet) {
        Step("RestoreDisplayMode();", [] { return lpDD->RestoreDisplayMode(); });
    }
    HRESULT result = Step("SetCooperativeLevel(NORMAL);", [hwnd] { return lpDD->SetCooperativeLevel(hwnd, DDSCL_NORMAL); });
    if (result != DD_OK) {
        return result;
    }
    if (bFramed != 0) {
        FrameWindow(hwnd);
    } else {
        CoverMonitor(hwnd);
    }

    std::memset(&ddsd, 0, sizeof(ddsd));
    ddsd.dwSize = sizeof(ddsd);
    ddsd.dwFlags = DDSD_CAPS;
    ddsd.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    result = Step("CreateSurface(&ddsd, &lpDDSPrimary, NULL);",
                  [] { return lpDD->CreateSurface(&ddsd, &lpDDSPrimary, nullptr); });
    if (result != DD_OK) {
        return result;
    }
    // Without a clipper the copy would land on whatever window lies over ours.
    result = Step("CreateClipper(0, &lpDDClipper, NULL);", [] { return lpDD->CreateClipper(0, &lpDDClipper, nullptr); });
    if (result != DD_OK) {
        return result;
    }
    result = Step("SetHWnd(0, hwnd);", [hwnd] { return lpDDClipper->SetHWnd(0, hwnd); });
    if (result != DD_OK) {
        return result;
    }
    return Step("SetClipper(lpDDClipper);", [] { return lpDDSPrimary->SetClipper(lpDDClipper); });
}

// The two system-memory pages. In exclusive mode the description of the primary is reused:
// dwBackBufferCount keeps its 1, but without its flag it means nothing, and no pixel format is
// asked for, as the mode is 32 bits deep; LockPage checks the depth granted. A window's pages
// ask for 32 bits whatever the desktop's depth, and the copy to the screen converts.
HRESULT CreatePages(int32_t width, int32_t height) {
    Note("Creating Offscreen surfaces");
    if (bWindowed != 0) {
        std::memset(&ddsd, 0, sizeof(ddsd));
        ddsd.dwSize = sizeof(ddsd);
        ddsd.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PIXELFORMAT;
        ddsd.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
        ddsd.ddpfPixelFormat.dwSize = sizeof(ddsd.ddpfPixelFormat);
        ddsd.ddpfPixelFormat.dwFlags = DDPF_RGB;
        ddsd.ddpfPixelFormat.dwRGBBitCount = 32;
        ddsd.ddpfPixelFormat.dwRBitMask = XrgbRedMask;
        ddsd.ddpfPixelFormat.dwGBitMask = XrgbGreenMask;
        ddsd.ddpfPixelFormat.dwBBitMask = XrgbBlueMask;
    } else {
        ddsd.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
        ddsd.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY | DDSCAPS_HWCODEC;
    }
    ddsd.dwHeight = static_cast<DWORD>(height);
    ddsd.dwWidth = static_cast<DWORD>(width);
    const HRESULT result =
        Step("CreateSurface(&ddsd, &lpDDSOne, NULL);", [] { return lpDD->CreateSurface(&ddsd, &lpDDSOne, nullptr); });
    if (result != DD_OK) {
        return result;
    }
    return Step("CreateSurface(&ddsd, &lpDDSTwo, NULL);", [] { return lpDD->CreateSurface(&ddsd, &lpDDSTwo, nullptr); });
}

// Everything made on lpDD, in the order of release: the primary (its back buffer goes with it),
// the pages, the clipper.
void ReleaseSurfaces() {
    ReleaseSurface(lpDDSPrimary);
    lpDDSBack = nullptr;
    ReleaseSurface(lpDDSOne);
    ReleaseSurface(lpDDSTwo);
    if (lpDDClipper != nullptr) {
        lpDDClipper->Release();
        lpDDClipper = nullptr;
    }
}

HRESULT SetUp(HWND hwnd, int32_t width, int32_t height) {
    const HRESULT created = Step("DirectDrawCreateEx(NULL, &lpDD, IID_IDirectDraw7, NULL);", [] {
        return DirectDrawCreateEx(nullptr, reinterpret_cast<LPVOID*>(&lpDD), IID_IDirectDraw7, nullptr);
    });
    if (created != DD_OK) {
        presentationRefusal = "DirectDraw could not be started (DirectX.log says why)";
        return created;
    }

    bool modeSet = false;
    const HRESULT result = startInWindow ? DD_OK : SetUpFullScreen(hwnd, width, height, modeSet);
    exclusiveGranted = !startInWindow && result == DD_OK;
    if (!exclusiveGranted) {
        // Many displays of today offer no 320 x 200 mode at all; the frames then go to a window,
        // which covers the monitor as full screen would unless a window was asked for.
        bWindowed = 1;
        bFramed = startInWindow ? 1 : 0;
        const HRESULT window = SetUpWindow(hwnd, modeSet);
        if (window != DD_OK) {
            presentationRefusal = startInWindow ? "the display refused a window (DirectX.log says why)"
                                                : "the display refused both full screen and a window (DirectX.log says why)";
            return startInWindow ? window : result;
        }
    }

    const HRESULT pages = CreatePages(width, height);
    if (pages != DD_OK) {
        presentationRefusal = bWindowed != 0 ? "the display gave a window but no pages for the frames (DirectX.log says why)"
                                             : "the display gave full screen but no pages for the frames (DirectX.log says why)";
        return result != DD_OK ? result : pages;
    }
    presentationReady = true;
    return result;
}

// The pages for a display just set up; on a refusal, of either, nothing made is kept.
HRESULT WithPages(HRESULT setUp) {
    const HRESULT result = setUp == DD_OK ? CreatePages(DisplayWidth, DisplayHeight) : setUp;
    if (result != DD_OK) ReleaseSurfaces();
    return result;
}

// The window's primary, clipper and pages on the desktop as it is, after an exclusive mode (its
// mode given back when it was set); on a refusal nothing made is kept.
HRESULT BuildWindow(bool modeSet) {
    bWindowed = 1;
    bFramed = 1;
    return WithPages(SetUpWindow(DisplayWindow, modeSet));
}

// The exclusive mode, its flip chain and pages, as set-up made them; on a refusal nothing made is kept.
HRESULT BuildFullScreen(bool& modeSet) {
    bWindowed = 0;
    bFramed = 0;
    CoverMonitor(DisplayWindow);
    return WithPages(SetUpFullScreen(DisplayWindow, DisplayWidth, DisplayHeight, modeSet));
}

}  // namespace

void ChooseDisplay(bool windowFirst, letterbox::Shape shape) {
    startInWindow = windowFirst;
    SetFrameShape(shape);
}

HRESULT InitDirectDraw(HWND hwnd, int32_t width, int32_t height) {
    LogStart();
    DisplayWidth = width;
    DisplayHeight = height;
    DisplayWindow = hwnd;
    bWindowed = 0;
    bFramed = 0;
    presentationReady = false;
    logSteps = true;
    LogLine("Debug - mode Inactive");
    const HRESULT result = SetUp(hwnd, width, height);
    logSteps = false;
    return result;
}

void SwitchFullScreen() {
    if (lpDD == nullptr || DisplayWindow == nullptr) {
        return;
    }
    ForgetWindowCopies();
    // A display that refused the mode, or was never asked, shows full screen as a window over the
    // whole monitor: only the window changes.
    if (!exclusiveGranted) {
        bFramed = bFramed != 0 ? 0 : 1;
        if (bFramed != 0) {
            FrameWindow(DisplayWindow);
        } else {
            CoverMonitor(DisplayWindow);
        }
        return;
    }
    ReleaseSurfaces();
    HRESULT result;
    if (bWindowed == 0) {
        result = BuildWindow(true);
        // A desktop that takes no window leaves full screen as the one place to show the frames.
        if (result != DD_OK) {
            bool modeSet = false;
            result = BuildFullScreen(modeSet);
        }
    } else {
        // Refused on the way, the frames stay in the window.
        bool modeSet = false;
        result = BuildFullScreen(modeSet);
        if (result != DD_OK) {
            result = BuildWindow(modeSet);
        }
    }
    presentationReady = result == DD_OK;
}

HRESULT RestoreSurfaces() {
    HRESULT result = RestoreSurface(lpDDSPrimary);
    if (result != DD_OK) {
        return result;
    }
    result = RestoreSurface(lpDDSOne);
    if (result != DD_OK) {
        return result;
    }
    return RestoreSurface(lpDDSTwo);
}

void ReleaseDirectDraw() {
    if (lpDD == nullptr) {
        return;
    }
    ReleaseSurfaces();
    lpDD->Release();
    lpDD = nullptr;
    bWindowed = 0;
    bFramed = 0;
    exclusiveGranted = false;
    ForgetWindowCopies();
    presentationReady = false;
}

bool PresentationReady() {
    return presentationReady;
}

const char* PresentationRefusal() {
    return presentationReady ? "" : presentationRefusal;
}
