// The stand-in for the slice of DirectDraw 7 the display code uses, on any screen: exclusive
// full screen, the one 320 x 200 x 32 mode, a primary with one back buffer, system-memory
// pages, BltFast, Flip, surfaces lost while the display is taken away, and on the desktop a
// primary that a window's clipper confines and stretching copies onto it.
#include <windows.h>
#include <ddraw.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "image/image.h"
#include "platform/core/desktop.h"
#include "platform/core/standins.h"
#include "platform/screen.h"
#include "platform/xrgb.h"

const GUID IID_IDirectDraw7 = {0x15E65EC0, 0x3B9C, 0x11D2, {0xB9, 0x2F, 0x00, 0x60, 0x97, 0x97, 0xEA, 0x5B}};

namespace {

constexpr DWORD MaxSurfaceSide = 16384;

// A display taken away shows nothing and cannot be restored onto, and neither can a minimised window.
bool NothingShows() { return desktop::DisplayAway() || desktop::WindowMinimised(); }

class DirectDraw;

// The COM lifetime the stand-ins share: created with one reference, gone with the last Release.
template <typename Interface>
class Counted : public Interface {
public:
    ULONG Release() override {
        if (--references_ > 0) return references_;
        delete this;
        return 0;
    }

protected:
    virtual ~Counted() = default;
    ULONG references_ = 1;
};

// Binds a window: copies onto a surface that holds it land only within that window.
class Clipper final : public Counted<IDirectDrawClipper> {
public:
    HRESULT SetHWnd(DWORD flags, HWND window) override {
        if (flags != 0 || window == nullptr) return DDERR_INVALIDPARAMS;
        window_ = window;
        return DD_OK;
    }

    // The part of the screen it lets through: the window's client area, or none without one.
    bool Area(RECT& area) const { return window_ != nullptr && standins::ClientAreaOnScreen(window_, area); }

    void AddReference() { ++references_; }

private:
    ~Clipper() override = default;
    HWND window_ = nullptr;
};

class Surface final : public IDirectDrawSurface7 {
public:
    enum class Kind { Primary, BackBuffer, Page };

    Surface(DirectDraw* owner, Kind kind, DWORD width, DWORD height)
        : owner_(owner), kind_(kind), width_(width), height_(height),
          // Rows padded to 16 bytes, as display memory often is; 320-pixel rows need none.
          pitch_(static_cast<LONG>((width * 4 + 15) / 16 * 16)),
          pixels_(static_cast<size_t>(pitch_) * height, 0) {}

    ULONG Release() override;

    HRESULT GetAttachedSurface(LPDDSCAPS2 caps, LPDIRECTDRAWSURFACE7* surface) override {
        if (caps == nullptr || surface == nullptr) return DDERR_INVALIDPARAMS;
        if (kind_ != Kind::Primary || back_ == nullptr || !(caps->dwCaps & DDSCAPS_BACKBUFFER)) {
            return DDERR_INVALIDPARAMS;
        }
        // The back buffer belongs to the chain: it lives and goes with the primary.
        *surface = back_;
        return DD_OK;
    }

    HRESULT Lock(LPRECT rect, LPDDSURFACEDESC2 desc, DWORD, HANDLE) override {
        if (desc == nullptr || desc->dwSize != sizeof(DDSURFACEDESC2)) return DDERR_INVALIDPARAMS;
        if (Lost()) return DDERR_SURFACELOST;
        if (locked_) return DDERR_SURFACEBUSY;
        size_t offset = 0;
        if (rect != nullptr) {
            if (!Inside(*rect)) return DDERR_INVALIDPARAMS;
            offset = static_cast<size_t>(rect->top) * static_cast<size_t>(pitch_) + static_cast<size_t>(rect->left) * 4;
        }
        locked_ = true;
        Describe(*desc);
        desc->lpSurface = pixels_.data() + offset;
        return DD_OK;
    }

    HRESULT Unlock(LPRECT) override {
        if (!locked_) return DDERR_NOTLOCKED;
        locked_ = false;
        return DD_OK;
    }

    HRESULT BltFast(DWORD x, DWORD y, LPDIRECTDRAWSURFACE7 source, LPRECT sourceRect, DWORD) override {
        auto* from = static_cast<Surface*>(source);
        if (from == nullptr) return DDERR_INVALIDPARAMS;
        if (Lost() || from->Lost()) return DDERR_SURFACELOST;
        if (locked_ || from->locked_) return DDERR_SURFACEBUSY;
        RECT whole{0, 0, static_cast<LONG>(from->width_), static_cast<LONG>(from->height_)};
        const RECT part = sourceRect != nullptr ? *sourceRect : whole;
        if (!from->Inside(part)) return DDERR_INVALIDPARAMS;
        const auto columns = static_cast<DWORD>(part.right - part.left);
        const auto rows = static_cast<DWORD>(part.bottom - part.top);
        if (x > width_ || y > height_ || columns > width_ - x || rows > height_ - y) return DDERR_INVALIDPARAMS;
        for (DWORD row = 0; row < rows; ++row) {
            std::memmove(pixels_.data() + (y + row) * static_cast<size_t>(pitch_) + x * 4,
                         from->pixels_.data() + (static_cast<size_t>(part.top) + row) * static_cast<size_t>(from->pitch_) +
                             static_cast<size_t>(part.left) * 4,
                         static_cast<size_t>(columns) * 4);
        }
        return DD_OK;
    }

    HRESULT Flip(LPDIRECTDRAWSURFACE7 target, DWORD) override;

    // A stretching copy, nearest pixel, as the display's own scaler makes it. A target that
    // runs past the surface is refused whole; a clipper trims the target to its window.
    HRESULT Blt(LPRECT targetRect, LPDIRECTDRAWSURFACE7 source, LPRECT sourceRect, DWORD, LPDDBLTFX effects) override;

    HRESULT SetClipper(LPDIRECTDRAWCLIPPER clipper) override {
        if (kind_ != Kind::Primary) return DDERR_INVALIDPARAMS;
        auto* bound = static_cast<Clipper*>(clipper);
        if (bound != nullptr) bound->AddReference();
        if (clipper_ != nullptr) clipper_->Release();
        clipper_ = bound;
        return DD_OK;
    }

    HRESULT Restore() override {
        if (kind_ == Kind::Page) return DD_OK;  // system memory is never taken away
        if (NothingShows()) return DDERR_WRONGMODE;
        generation_ = desktop::LossCount();
        if (back_ != nullptr) back_->generation_ = generation_;
        return DD_OK;
    }

    void Attach(Surface* back) { back_ = back; }
    Surface* Back() const { return back_; }
    DirectDraw* Owner() const { return owner_; }

private:
    // Only the flipping chain lives on the display; pages in system memory survive its loss,
    // so a lock of a page keeps working and presentation is what notices and restores.
    bool Lost() const { return kind_ != Kind::Page && generation_ != desktop::LossCount(); }

    RECT Whole() const { return RECT{0, 0, static_cast<LONG>(width_), static_cast<LONG>(height_)}; }
    static bool Empty(const RECT& rect) { return rect.left == rect.right || rect.top == rect.bottom; }

    bool Inside(const RECT& rect) const {
        return rect.left >= 0 && rect.top >= 0 && rect.left <= rect.right && rect.top <= rect.bottom &&
               static_cast<DWORD>(rect.right) <= width_ && static_cast<DWORD>(rect.bottom) <= height_;
    }

    void Describe(DDSURFACEDESC2& desc) const {
        std::memset(&desc, 0, sizeof desc);
        desc.dwSize = sizeof desc;
        desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT | DDSD_LPSURFACE;
        desc.dwWidth = width_;
        desc.dwHeight = height_;
        desc.lPitch = pitch_;
        desc.ddpfPixelFormat.dwSize = sizeof(DDPIXELFORMAT);
        desc.ddpfPixelFormat.dwFlags = DDPF_RGB;
        desc.ddpfPixelFormat.dwRGBBitCount = 32;
        desc.ddpfPixelFormat.dwRBitMask = XrgbRedMask;
        desc.ddpfPixelFormat.dwGBitMask = XrgbGreenMask;
        desc.ddpfPixelFormat.dwBBitMask = XrgbBlueMask;
        desc.ddsCaps.dwCaps = kind_ == Kind::Primary      ? DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX
                              : kind_ == Kind::BackBuffer ? DDSCAPS_BACKBUFFER | DDSCAPS_FLIP | DDSCAPS_COMPLEX
                                                          : DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    }

    friend class DirectDraw;
    DirectDraw* owner_;
    Kind kind_;
    DWORD width_, height_;
    LONG pitch_;
    std::vector<uint8_t> pixels_;
    Surface* back_ = nullptr;
    Clipper* clipper_ = nullptr;
    bool locked_ = false;
    ULONG references_ = 1;
    uint32_t generation_ = desktop::LossCount();
};

class DirectDraw final : public Counted<IDirectDraw7> {
public:
    HRESULT SetCooperativeLevel(HWND window, DWORD flags) override {
        if (window == nullptr || !screen::IsOpen()) return DDERR_INVALIDPARAMS;
        const bool fullScreen = (flags & DDSCL_FULLSCREEN) != 0;
        const bool exclusive = (flags & DDSCL_EXCLUSIVE) != 0;
        const bool normal = (flags & DDSCL_NORMAL) != 0;
        if (fullScreen != exclusive || normal == exclusive) return DDERR_INVALIDPARAMS;
        levelSet_ = true;
        exclusive_ = exclusive;
        desktop::SetExclusive(exclusive);
        if (exclusive_) {
            screen::EnterFullScreen();
            return DD_OK;
        }
        // On the desktop the mode is the desktop's, whatever mode was asked for.
        screen::LeaveFullScreen();
        modeWidth_ = modeHeight_ = 0;
        int width{}, height{};
        screen::DesktopSize(width, height);
        desktop::SetModeSize(width, height);
        return DD_OK;
    }

    HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel, DWORD, DWORD) override {
        if (!exclusive_) return DDERR_NOEXCLUSIVEMODE;
        // The desktop window can show one mode: the demo's own.
        if (width != static_cast<DWORD>(Width) || height != static_cast<DWORD>(Height) || bitsPerPixel != 32) {
            return DDERR_INVALIDMODE;
        }
        modeWidth_ = width;
        modeHeight_ = height;
        desktop::SetModeSize(static_cast<int>(width), static_cast<int>(height));
        return DD_OK;
    }

    HRESULT RestoreDisplayMode() override {
        if (modeWidth_ == 0) return DD_OK;
        if (!exclusive_) return DDERR_NOEXCLUSIVEMODE;
        modeWidth_ = modeHeight_ = 0;
        desktop::SetModeSize(0, 0);
        return DD_OK;
    }

    HRESULT CreateClipper(DWORD flags, LPDIRECTDRAWCLIPPER* clipper, IUnknown* outer) override {
        if (flags != 0 || clipper == nullptr || outer != nullptr) return DDERR_INVALIDPARAMS;
        *clipper = new Clipper();
        return DD_OK;
    }

    HRESULT CreateSurface(LPDDSURFACEDESC2 desc, LPDIRECTDRAWSURFACE7* surface, IUnknown* outer) override {
        if (desc == nullptr || surface == nullptr || outer != nullptr || desc->dwSize != sizeof(DDSURFACEDESC2) ||
            !(desc->dwFlags & DDSD_CAPS)) {
            return DDERR_INVALIDPARAMS;
        }
        const DWORD caps = desc->ddsCaps.dwCaps;
        if (caps & DDSCAPS_PRIMARYSURFACE) return CreateChain(*desc, surface);
        if (!(caps & DDSCAPS_OFFSCREENPLAIN)) return DDERR_UNSUPPORTED;
        if ((desc->dwFlags & (DDSD_WIDTH | DDSD_HEIGHT)) != (DDSD_WIDTH | DDSD_HEIGHT)) return DDERR_INVALIDPARAMS;
        if (desc->dwWidth == 0 || desc->dwHeight == 0 || desc->dwWidth > MaxSurfaceSide ||
            desc->dwHeight > MaxSurfaceSide) {
            return DDERR_INVALIDPARAMS;
        }
        // The one format on offer is the display's own: 32-bit blue, green, red and unused bytes.
        const DDPIXELFORMAT& format = desc->ddpfPixelFormat;
        if ((desc->dwFlags & DDSD_PIXELFORMAT) &&
            (format.dwSize != sizeof(DDPIXELFORMAT) || !(format.dwFlags & DDPF_RGB) || format.dwRGBBitCount != 32 ||
             format.dwRBitMask != XrgbRedMask || format.dwGBitMask != XrgbGreenMask || format.dwBBitMask != XrgbBlueMask)) {
            return DDERR_UNSUPPORTED;
        }
        *surface = Track(new Surface(this, Surface::Kind::Page, desc->dwWidth, desc->dwHeight));
        return DD_OK;
    }

    void Forget(Surface* surface) {
        for (auto& tracked : surfaces_) {
            if (tracked == surface) tracked = nullptr;
        }
    }

    void Present(const Surface& front) {
        if (!NothingShows()) {
            screen::Present(front.pixels_.data(), static_cast<int>(front.width_), static_cast<int>(front.height_),
                            front.pitch_);
        }
    }

private:
    ~DirectDraw() override {
        // Surfaces die with the object that made them, as DirectDraw's own do.
        for (Surface* surface : surfaces_) {
            if (surface != nullptr) surface->SetClipper(nullptr);
            delete surface;
        }
        if (exclusive_) screen::LeaveFullScreen();
        desktop::SetExclusive(false);
        desktop::SetModeSize(0, 0);
    }

    // The desktop's primary, without a back buffer: as large as the display mode, black until
    // something is copied onto it.
    HRESULT CreateDesktopPrimary(LPDIRECTDRAWSURFACE7* surface) {
        if (!levelSet_) return DDERR_NOCOOPERATIVELEVELSET;
        int width{}, height{};
        desktop::ModeSize(width, height);
        *surface = Track(new Surface(this, Surface::Kind::Primary, static_cast<DWORD>(width), static_cast<DWORD>(height)));
        return DD_OK;
    }

    HRESULT CreateChain(const DDSURFACEDESC2& desc, LPDIRECTDRAWSURFACE7* surface) {
        const DWORD caps = desc.ddsCaps.dwCaps;
        if (!(caps & (DDSCAPS_FLIP | DDSCAPS_COMPLEX)) && !(desc.dwFlags & DDSD_BACKBUFFERCOUNT)) {
            return CreateDesktopPrimary(surface);
        }
        if (!(caps & DDSCAPS_FLIP)) return DDERR_INVALIDPARAMS;
        if (!exclusive_) return DDERR_NOEXCLUSIVEMODE;
        if (!(caps & DDSCAPS_COMPLEX) || !(desc.dwFlags & DDSD_BACKBUFFERCOUNT) || desc.dwBackBufferCount != 1) {
            return DDERR_INVALIDPARAMS;
        }
        if (modeWidth_ == 0) return DDERR_WRONGMODE;
        auto* primary = new Surface(this, Surface::Kind::Primary, modeWidth_, modeHeight_);
        auto* back = new Surface(this, Surface::Kind::BackBuffer, modeWidth_, modeHeight_);
        primary->Attach(back);
        Track(back);
        *surface = Track(primary);
        return DD_OK;
    }

    Surface* Track(Surface* surface) {
        surfaces_.push_back(surface);
        return surface;
    }

    bool levelSet_ = false;
    bool exclusive_ = false;
    DWORD modeWidth_{}, modeHeight_{};  // no mode set while the width is 0
    std::vector<Surface*> surfaces_;
};

ULONG Surface::Release() {
    if (--references_ > 0) return references_;
    if (kind_ == Kind::BackBuffer) {
        references_ = 1;  // released with its primary, not on its own
        return 0;
    }
    owner_->Forget(this);
    SetClipper(nullptr);
    if (back_ != nullptr) {
        owner_->Forget(back_);
        delete back_;
    }
    delete this;
    return 0;
}

HRESULT Surface::Flip(LPDIRECTDRAWSURFACE7 target, DWORD) {
    if (kind_ != Kind::Primary || back_ == nullptr) return DDERR_NOTFLIPPABLE;
    if (target != nullptr && target != back_) return DDERR_INVALIDPARAMS;
    if (Lost()) return DDERR_SURFACELOST;
    if (locked_ || back_->locked_) return DDERR_SURFACEBUSY;
    // As on a display: the buffers trade places, the old front becomes the next back buffer.
    pixels_.swap(back_->pixels_);
    owner_->Present(*this);
    return DD_OK;
}

HRESULT Surface::Blt(LPRECT targetRect, LPDIRECTDRAWSURFACE7 source, LPRECT sourceRect, DWORD, LPDDBLTFX effects) {
    auto* from = static_cast<Surface*>(source);
    if (from == nullptr || effects != nullptr) return DDERR_INVALIDPARAMS;  // no fills or effects
    if (Lost() || from->Lost()) return DDERR_SURFACELOST;
    if (locked_ || from->locked_) return DDERR_SURFACEBUSY;
    const RECT part = sourceRect != nullptr ? *sourceRect : from->Whole();
    const RECT target = targetRect != nullptr ? *targetRect : Whole();
    if (!from->Inside(part) || !Inside(target) || Empty(part) || Empty(target)) return DDERR_INVALIDRECT;
    RECT drawn = target;
    if (clipper_ != nullptr) {
        RECT window{0, 0, 0, 0};
        if (!clipper_->Area(window)) return DD_OK;  // a clipper of no window lets nothing through
        drawn = RECT{std::max(target.left, window.left), std::max(target.top, window.top),
                     std::min(target.right, window.right), std::min(target.bottom, window.bottom)};
    }
    const int64_t targetWidth = target.right - target.left, targetHeight = target.bottom - target.top;
    const int64_t partWidth = part.right - part.left, partHeight = part.bottom - part.top;
    for (LONG row = drawn.top; row < drawn.bottom; ++row) {
        const int64_t fromRow = part.top + (row - target.top) * partHeight / targetHeight;
        const uint8_t* in = from->pixels_.data() + static_cast<size_t>(fromRow) * static_cast<size_t>(from->pitch_);
        uint8_t* out = pixels_.data() + static_cast<size_t>(row) * static_cast<size_t>(pitch_);
        for (LONG column = drawn.left; column < drawn.right; ++column) {
            const int64_t fromColumn = part.left + (column - target.left) * partWidth / targetWidth;
            std::memcpy(out + static_cast<size_t>(column) * 4, in + static_cast<size_t>(fromColumn) * 4, 4);
        }
    }
    if (kind_ == Kind::Primary && back_ == nullptr) owner_->Present(*this);
    return DD_OK;
}

}  // namespace

HRESULT WINAPI DirectDrawCreateEx(GUID* driver, LPVOID* object, REFIID iid, IUnknown* outer) {
    if (object == nullptr) return DDERR_INVALIDPARAMS;
    if (driver != nullptr || outer != nullptr || std::memcmp(&iid, &IID_IDirectDraw7, sizeof(GUID)) != 0) {
        return DDERR_INVALIDPARAMS;
    }
    if (!screen::IsOpen()) return DDERR_GENERIC;  // nothing to show on without the window
    // A window that nothing can be drawn in is a display without DirectDraw: no frame would show.
    if (!screen::CanDraw()) return DDERR_NODIRECTDRAWHW;
    *object = static_cast<IDirectDraw7*>(new DirectDraw());
    return DD_OK;
}
