// Linux declarations of the slice of DirectDraw 7 that the display code calls.
// The SDL2 stand-in (platform/sdl) or the recording double (tests/) provides the objects.
#pragma once

#include <windows.h>

struct IUnknown;
struct IDirectDrawSurface7;
struct IDirectDrawClipper;

typedef IDirectDrawSurface7* LPDIRECTDRAWSURFACE7;
typedef IDirectDrawClipper* LPDIRECTDRAWCLIPPER;

struct DDPIXELFORMAT {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwFourCC;
    DWORD dwRGBBitCount;
    DWORD dwRBitMask;
    DWORD dwGBitMask;
    DWORD dwBBitMask;
    DWORD dwRGBAlphaBitMask;
};

struct DDSCAPS2 {
    DWORD dwCaps;
    DWORD dwCaps2;
    DWORD dwCaps3;
    DWORD dwCaps4;
};
typedef DDSCAPS2* LPDDSCAPS2;

struct DDCOLORKEY {
    DWORD dwColorSpaceLowValue;
    DWORD dwColorSpaceHighValue;
};

// Laid out like the real record, colour keys included although nothing here reads them,
// so that sizeof gives the same dwSize handshake as the real header on each target.
struct DDSURFACEDESC2 {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwHeight;
    DWORD dwWidth;
    LONG lPitch;
    DWORD dwBackBufferCount;
    DWORD dwMipMapCount;
    DWORD dwAlphaBitDepth;
    DWORD dwReserved;
    LPVOID lpSurface;
    DDCOLORKEY ddckCKDestOverlay;
    DDCOLORKEY ddckCKDestBlt;
    DDCOLORKEY ddckCKSrcOverlay;
    DDCOLORKEY ddckCKSrcBlt;
    DDPIXELFORMAT ddpfPixelFormat;
    DDSCAPS2 ddsCaps;
    DWORD dwTextureStage;
};
typedef DDSURFACEDESC2* LPDDSURFACEDESC2;

// Blt's effects record; the program passes none, so only its name is needed.
struct DDBLTFX;
typedef DDBLTFX* LPDDBLTFX;

// The methods are pure virtual, as the real header's C++ binding declares them, so that
// the same `object->Method(...)` calls compile against either header.
struct IDirectDraw7 {
    virtual ULONG Release() = 0;
    virtual HRESULT SetCooperativeLevel(HWND window, DWORD flags) = 0;
    virtual HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel, DWORD refreshRate,
                                   DWORD flags) = 0;
    virtual HRESULT CreateSurface(LPDDSURFACEDESC2 desc, LPDIRECTDRAWSURFACE7* surface,
                                  IUnknown* outer) = 0;
    virtual HRESULT RestoreDisplayMode() = 0;
    virtual HRESULT CreateClipper(DWORD flags, LPDIRECTDRAWCLIPPER* clipper, IUnknown* outer) = 0;

protected:
    ~IDirectDraw7() = default;
};
typedef IDirectDraw7* LPDIRECTDRAW7;

struct IDirectDrawSurface7 {
    virtual ULONG Release() = 0;
    virtual HRESULT GetAttachedSurface(LPDDSCAPS2 caps, LPDIRECTDRAWSURFACE7* surface) = 0;
    virtual HRESULT Lock(LPRECT rect, LPDDSURFACEDESC2 desc, DWORD flags, HANDLE event) = 0;
    virtual HRESULT Unlock(LPRECT rect) = 0;
    virtual HRESULT BltFast(DWORD x, DWORD y, LPDIRECTDRAWSURFACE7 source, LPRECT sourceRect,
                            DWORD flags) = 0;
    virtual HRESULT Flip(LPDIRECTDRAWSURFACE7 target, DWORD flags) = 0;
    virtual HRESULT Restore() = 0;
    virtual HRESULT Blt(LPRECT targetRect, LPDIRECTDRAWSURFACE7 source, LPRECT sourceRect, DWORD flags,
                        LPDDBLTFX effects) = 0;
    virtual HRESULT SetClipper(LPDIRECTDRAWCLIPPER clipper) = 0;

protected:
    ~IDirectDrawSurface7() = default;
};

struct IDirectDrawClipper {
    virtual ULONG Release() = 0;
    virtual HRESULT SetHWnd(DWORD flags, HWND window) = 0;

protected:
    ~IDirectDrawClipper() = default;
};

extern const GUID IID_IDirectDraw7;

extern "C" HRESULT WINAPI DirectDrawCreateEx(GUID* driver, LPVOID* object, REFIID iid, IUnknown* outer);

#define DD_OK 0

#define DDSCL_FULLSCREEN 0x00000001L
#define DDSCL_ALLOWREBOOT 0x00000002L
#define DDSCL_NORMAL 0x00000008L
#define DDSCL_EXCLUSIVE 0x00000010L

#define DDSDM_STANDARDVGAMODE 0x00000001L

#define DDSD_CAPS 0x00000001L
#define DDSD_HEIGHT 0x00000002L
#define DDSD_WIDTH 0x00000004L
#define DDSD_PITCH 0x00000008L
#define DDSD_BACKBUFFERCOUNT 0x00000020L
#define DDSD_LPSURFACE 0x00000800L
#define DDSD_PIXELFORMAT 0x00001000L

#define DDSCAPS_BACKBUFFER 0x00000004L
#define DDSCAPS_COMPLEX 0x00000008L
#define DDSCAPS_FLIP 0x00000010L
#define DDSCAPS_OFFSCREENPLAIN 0x00000040L
#define DDSCAPS_PRIMARYSURFACE 0x00000200L
#define DDSCAPS_SYSTEMMEMORY 0x00000800L
#define DDSCAPS_HWCODEC 0x00100000L

#define DDPF_RGB 0x00000040L

#define DDLOCK_SURFACEMEMORYPTR 0x00000000L
#define DDLOCK_WAIT 0x00000001L
#define DDBLTFAST_NOCOLORKEY 0x00000000
#define DDFLIP_WAIT 0x00000001L

// Result codes that the display code and the stand-ins name; the text table in display/
// covers every code by number.
#define VARNELO_HRESULT(code) ((HRESULT)(code))
#define DDERR_UNSUPPORTED VARNELO_HRESULT(0x80004001)
#define DDERR_GENERIC VARNELO_HRESULT(0x80004005)
#define DDERR_OUTOFMEMORY VARNELO_HRESULT(0x8007000E)
#define DDERR_INVALIDPARAMS VARNELO_HRESULT(0x80070057)
#define DDERR_INVALIDMODE VARNELO_HRESULT(0x88760078)
#define DDERR_INVALIDOBJECT VARNELO_HRESULT(0x88760082)
#define DDERR_INVALIDRECT VARNELO_HRESULT(0x88760096)
#define DDERR_NOCOOPERATIVELEVELSET VARNELO_HRESULT(0x887600D4)
#define DDERR_NOEXCLUSIVEMODE VARNELO_HRESULT(0x887600E1)
#define DDERR_SURFACEBUSY VARNELO_HRESULT(0x887601AE)
#define DDERR_SURFACELOST VARNELO_HRESULT(0x887601C2)
#define DDERR_WASSTILLDRAWING VARNELO_HRESULT(0x8876021C)
#define DDERR_NODIRECTDRAWHW VARNELO_HRESULT(0x88760233)
#define DDERR_NOCLIPPERATTACHED VARNELO_HRESULT(0x88760238)
#define DDERR_NOTFLIPPABLE VARNELO_HRESULT(0x88760246)
#define DDERR_NOTLOCKED VARNELO_HRESULT(0x88760248)
#define DDERR_WRONGMODE VARNELO_HRESULT(0x8876024B)
