// The stand-in for the slice of DirectDraw 7 the display code uses, on any screen: exclusive
// full screen, the one 320 x 200 x 32 mode, a primary with one back buffer, system-memory
// pages, BltFast, Flip, and surfaces lost while the display is taken away.
#include <windows.h>
#include <ddraw.h>

#include <cstring>
#include <vector>

#include "image/image.h"
#include "platform/screen.h"

const GUID IID_IDirectDraw7 = {0x15E65EC0, 0x3B9C, 0x11D2, {0xB9, 0x2F, 0x00, 0x60, 0x97, 0x97, 0xEA, 0x5B}};

namespace {

constexpr DWORD MaxSurfaceSide = 16384;

class DirectDraw;

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

    HRESULT Restore() override {
        if (kind_ == Kind::Page) return DD_OK;  // system memory is never taken away
        if (!screen::Available()) return DDERR_WRONGMODE;
        generation_ = screen::LossCount();
        if (back_ != nullptr) back_->generation_ = generation_;
        return DD_OK;
    }

    void Attach(Surface* back) { back_ = back; }
    Surface* Back() const { return back_; }
    DirectDraw* Owner() const { return owner_; }

private:
    // Only the flipping chain lives on the display; pages in system memory survive its loss,
    // so a lock of a page keeps working and presentation is what notices and restores.
    bool Lost() const { return kind_ != Kind::Page && generation_ != screen::LossCount(); }

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
        desc.ddpfPixelFormat.dwRBitMask = 0x00FF0000;
        desc.ddpfPixelFormat.dwGBitMask = 0x0000FF00;
        desc.ddpfPixelFormat.dwBBitMask = 0x000000FF;
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
    bool locked_ = false;
    ULONG references_ = 1;
    uint32_t generation_ = screen::LossCount();
};

class DirectDraw final : public IDirectDraw7 {
public:
    ULONG Release() override {
        if (--references_ > 0) return references_;
        delete this;
        return 0;
    }

    HRESULT SetCooperativeLevel(HWND window, DWORD flags) override {
        if (window == nullptr || !screen::IsOpen()) return DDERR_INVALIDPARAMS;
        const bool fullScreen = (flags & DDSCL_FULLSCREEN) != 0;
        const bool exclusive = (flags & DDSCL_EXCLUSIVE) != 0;
        if (fullScreen != exclusive) return DDERR_INVALIDPARAMS;
        exclusive_ = exclusive;
        if (exclusive_) {
            screen::EnterFullScreen();
        } else {
            screen::LeaveFullScreen();
        }
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
        screen::SetPictureSize(static_cast<int>(width), static_cast<int>(height));
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
        if ((desc->dwFlags & DDSD_PIXELFORMAT) && desc->ddpfPixelFormat.dwRGBBitCount != 32) {
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
        if (screen::Available()) {
            screen::Present(front.pixels_.data(), static_cast<int>(front.width_), static_cast<int>(front.height_),
                            front.pitch_);
        }
    }

private:
    ~DirectDraw() {
        // Surfaces die with the object that made them, as DirectDraw's own do.
        for (Surface* surface : surfaces_) delete surface;
        if (exclusive_) screen::LeaveFullScreen();
        screen::SetPictureSize(0, 0);
    }

    HRESULT CreateChain(const DDSURFACEDESC2& desc, LPDIRECTDRAWSURFACE7* surface) {
        const DWORD caps = desc.ddsCaps.dwCaps;
        if (!(caps & DDSCAPS_FLIP)) return DDERR_UNSUPPORTED;  // only a flipping primary is offered
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

    ULONG references_ = 1;
    bool exclusive_ = false;
    DWORD modeWidth_ = 0, modeHeight_ = 0;
    std::vector<Surface*> surfaces_;
};

ULONG Surface::Release() {
    if (--references_ > 0) return references_;
    if (kind_ == Kind::BackBuffer) {
        references_ = 1;  // released with its primary, not on its own
        return 0;
    }
    owner_->Forget(this);
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

}  // namespace

HRESULT WINAPI DirectDrawCreateEx(GUID* driver, LPVOID* object, REFIID iid, IUnknown* outer) {
    if (object == nullptr) return DDERR_INVALIDPARAMS;
    if (driver != nullptr || outer != nullptr || std::memcmp(&iid, &IID_IDirectDraw7, sizeof(GUID)) != 0) {
        return DDERR_INVALIDPARAMS;
    }
    if (!screen::IsOpen()) return DDERR_GENERIC;  // nothing to show on without the window
    *object = static_cast<IDirectDraw7*>(new DirectDraw());
    return DD_OK;
}
