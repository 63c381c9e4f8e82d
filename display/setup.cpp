// The display state, and the set-up, restore and release of the DirectDraw objects: an exclusive
// full-screen mode with a flipping primary surface and two system-memory pages.
#include "display/display.h"

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
DDSURFACEDESC2 ddsd;
int32_t DisplayWidth = 0;
int32_t DisplayHeight = 0;

namespace {

// Logs the outcome of one set-up step; true when the set-up may go on.
bool LogResult(HRESULT result) {
    LogLine(result == DD_OK ? "    OK" : DDErrorText(result));
    return result == DD_OK;
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

}  // namespace

HRESULT InitDirectDraw(HWND hwnd, int32_t width, int32_t height) {
    LogStart();
    DisplayWidth = width;
    DisplayHeight = height;
    LogLine("Debug - mode Inactive");

    LogLine("DirectDrawCreateEx(NULL, &lpDD, IID_IDirectDraw7, NULL);");
    HRESULT result =
        DirectDrawCreateEx(nullptr, reinterpret_cast<LPVOID*>(&lpDD), IID_IDirectDraw7, nullptr);
    if (!LogResult(result)) {
        return result;
    }

    LogLine("SetCooperativeLevel(EXCLUSIVE | ALLOWREBOOT | FULLSCREEN);");
    result = lpDD->SetCooperativeLevel(hwnd, DDSCL_EXCLUSIVE | DDSCL_ALLOWREBOOT | DDSCL_FULLSCREEN);
    if (!LogResult(result)) {
        return result;
    }

    LogLine("SetDisplayMode(Width, Height, 32, 0, DDSDM_STANDARDVGAMODE);");
    result = lpDD->SetDisplayMode(static_cast<DWORD>(width), static_cast<DWORD>(height), 32, 0,
                                  DDSDM_STANDARDVGAMODE);
    if (!LogResult(result)) {
        return result;
    }

    std::memset(&ddsd, 0, sizeof(ddsd));
    ddsd.dwSize = sizeof(ddsd);
    ddsd.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    ddsd.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_HWCODEC;
    ddsd.dwBackBufferCount = 1;
    LogLine("CreateSurface(&ddsd, &lpDDSPrimary, NULL);");
    result = lpDD->CreateSurface(&ddsd, &lpDDSPrimary, nullptr);
    if (!LogResult(result)) {
        return result;
    }

    DDSCAPS2 ddscaps;
    std::memset(&ddscaps, 0, sizeof(ddscaps));
    ddscaps.dwCaps = DDSCAPS_BACKBUFFER | DDSCAPS_HWCODEC;
    LogLine("GetAttachedSurface(&ddscaps, &lpDDSBack);");
    result = lpDDSPrimary->GetAttachedSurface(&ddscaps, &lpDDSBack);
    if (!LogResult(result)) {
        return result;
    }

    LogLine("Creating Offscreen surfaces");
    // The description of the primary is reused: dwBackBufferCount keeps its 1, but without its
    // flag it means nothing. No pixel format is asked for; LockPage checks the depth granted.
    ddsd.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
    ddsd.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY | DDSCAPS_HWCODEC;
    ddsd.dwHeight = static_cast<DWORD>(height);
    ddsd.dwWidth = static_cast<DWORD>(width);
    LogLine("CreateSurface(&ddsd, &lpDDSOne, NULL);");
    result = lpDD->CreateSurface(&ddsd, &lpDDSOne, nullptr);
    if (!LogResult(result)) {
        return result;
    }

    LogLine("CreateSurface(&ddsd, &lpDDSTwo, NULL);");
    result = lpDD->CreateSurface(&ddsd, &lpDDSTwo, nullptr);
    if (!LogResult(result)) {
        return result;
    }
    return DD_OK;
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
    // The back buffer belongs to the primary's flipping chain and goes with it.
    ReleaseSurface(lpDDSPrimary);
    ReleaseSurface(lpDDSOne);
    ReleaseSurface(lpDDSTwo);
    lpDD->Release();
    lpDD = nullptr;
}
