// The recording DirectDraw 7 double: fake DirectDraw and surface objects, the call log and the
// scripted results.
#include "tests/fakes/ddraw/ddraw_fake.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <stdexcept>

const GUID IID_IDirectDraw7 = {0x15E65EC0, 0x3B9C, 0x11D2, {0xB9, 0x2F, 0x00, 0x60, 0x97, 0x97, 0xEA, 0x5B}};

namespace ddraw_fake {
namespace {

std::string Hex(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof(text), "0x%X", static_cast<unsigned>(value));
    return text;
}

std::string Pointer(const void* pointer) {
    if (pointer == nullptr) {
        return "null";
    }
    char text[24];
    std::snprintf(text, sizeof(text), "0x%jx", static_cast<uintmax_t>(reinterpret_cast<uintptr_t>(pointer)));
    return text;
}

struct Registry {
    std::vector<Call> calls;
    std::map<std::string, std::deque<HRESULT>, std::less<>> scripts;
    std::map<std::string, HRESULT, std::less<>> forever;
    bool nullLockPointer = false;
    std::map<const void*, std::string> names;
    DWORD bitCount = 32;
    LONG rowPadding = 0;
    DWORD modeWidth = 0;
    DWORD modeHeight = 0;
    int offscreenCount = 0;
};

Registry& registry() {
    static Registry instance;
    return instance;
}

// The scripted answer for the next call of a method; 0 when nothing is queued.
HRESULT Scripted(std::string_view method) {
    auto found = registry().scripts.find(method);
    if (found == registry().scripts.end() || found->second.empty()) {
        const auto always = registry().forever.find(method);
        return always == registry().forever.end() ? DD_OK : always->second;
    }
    const HRESULT result = found->second.front();
    found->second.pop_front();
    return result;
}

HRESULT Record(const void* object, std::string method, std::string args, HRESULT result,
               const DDSURFACEDESC2* desc = nullptr) {
    Call call;
    call.object = object != nullptr ? NameOf(object) : "";
    call.method = std::move(method);
    call.args = std::move(args);
    if (desc != nullptr) {
        std::memcpy(&call.desc, desc, sizeof(call.desc));  // padding included: tests compare whole records
    }
    call.result = result;
    registry().calls.push_back(std::move(call));
    return result;
}

std::string DescArgs(const DDSURFACEDESC2* desc) {
    if (desc == nullptr) {
        return "desc=null";
    }
    return "dwFlags=" + Hex(desc->dwFlags) + ", dwCaps=" + Hex(desc->ddsCaps.dwCaps) +
           ", dwBackBufferCount=" + std::to_string(desc->dwBackBufferCount) +
           ", dwWidth=" + std::to_string(desc->dwWidth) + ", dwHeight=" + std::to_string(desc->dwHeight);
}

struct FakeSurface final : IDirectDrawSurface7 {
    DWORD width;
    DWORD height;
    DWORD bitCount;
    LONG pitch;
    std::vector<uint8_t> memory;
    FakeSurface* back = nullptr;  // the attached back buffer of a flipping primary
    bool locked = false;
    ULONG references = 1;

    FakeSurface(DWORD surfaceWidth, DWORD surfaceHeight)
        : width(surfaceWidth),
          height(surfaceHeight),
          bitCount(registry().bitCount),
          pitch(static_cast<LONG>(surfaceWidth * (bitCount / 8)) + registry().rowPadding),
          memory(MemorySize()) {}

    // Room for every row even when a test makes the pitch shorter than a row.
    size_t MemorySize() const {
        if (height == 0) {
            return 0;
        }
        const size_t rowBytes = static_cast<size_t>(width) * (bitCount / 8);
        const size_t rowStep = static_cast<size_t>(std::max<LONG>(pitch, 0));
        return (height - 1) * rowStep + std::max(rowStep, rowBytes);
    }

    ULONG Release() override {
        references = references > 0 ? references - 1 : 0;
        Record(this, "Release", "", DD_OK);
        return references;
    }

    HRESULT GetAttachedSurface(LPDDSCAPS2 caps, LPDIRECTDRAWSURFACE7* surface) override {
        HRESULT result = Scripted("GetAttachedSurface");
        if (result == DD_OK) {
            if (caps != nullptr && (caps->dwCaps & DDSCAPS_BACKBUFFER) != 0 && back != nullptr) {
                *surface = back;
            } else {
                result = DDERR_INVALIDPARAMS;
            }
        }
        const std::string args = caps == nullptr
                                     ? "caps=null"
                                     : "dwCaps=" + Hex(caps->dwCaps) + ", dwCaps2=" + Hex(caps->dwCaps2) +
                                           ", dwCaps3=" + Hex(caps->dwCaps3) + ", dwCaps4=" + Hex(caps->dwCaps4);
        return Record(this, "GetAttachedSurface", args, result);
    }

    HRESULT Lock(LPRECT rect, LPDDSURFACEDESC2 desc, DWORD flags, HANDLE event) override {
        HRESULT result = Scripted("Lock");
        if (result == DD_OK) {
            if (desc == nullptr || desc->dwSize != sizeof(DDSURFACEDESC2)) {
                result = DDERR_INVALIDPARAMS;
            } else if (locked) {
                result = DDERR_SURFACEBUSY;
            } else {
                locked = true;
                desc->dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT |
                                DDSD_LPSURFACE;
                desc->dwWidth = width;
                desc->dwHeight = height;
                desc->lPitch = pitch;
                desc->lpSurface = registry().nullLockPointer ? nullptr : memory.data();
                registry().nullLockPointer = false;
                desc->ddpfPixelFormat = {};
                desc->ddpfPixelFormat.dwSize = sizeof(DDPIXELFORMAT);
                desc->ddpfPixelFormat.dwFlags = DDPF_RGB;
                desc->ddpfPixelFormat.dwRGBBitCount = bitCount;
                if (bitCount == 32) {
                    desc->ddpfPixelFormat.dwRBitMask = 0xFF0000;
                    desc->ddpfPixelFormat.dwGBitMask = 0xFF00;
                    desc->ddpfPixelFormat.dwBBitMask = 0xFF;
                }
            }
        }
        const std::string size = desc != nullptr ? std::to_string(desc->dwSize) : "null";
        return Record(this, "Lock",
                      "rect=" + Pointer(rect) + ", dwSize=" + size + ", flags=" + Hex(flags) +
                          ", event=" + Pointer(event),
                      result);
    }

    HRESULT Unlock(LPRECT rect) override {
        HRESULT result = Scripted("Unlock");
        if (result == DD_OK) {
            result = locked ? DD_OK : DDERR_NOTLOCKED;
            locked = false;
        }
        return Record(this, "Unlock", "rect=" + Pointer(rect), result);
    }

    HRESULT BltFast(DWORD x, DWORD y, LPDIRECTDRAWSURFACE7 source, LPRECT sourceRect, DWORD flags) override {
        HRESULT result = Scripted("BltFast");
        auto* from = static_cast<FakeSurface*>(source);
        if (result == DD_OK) {
            result = CopyFrom(x, y, from, sourceRect);
        }
        // Appended piece by piece: gcc 12 misreports `"literal" + std::string` under -Wrestrict.
        std::string rect = "null";
        if (sourceRect != nullptr) {
            rect = "{";
            rect += std::to_string(sourceRect->left) + ",";
            rect += std::to_string(sourceRect->top) + ",";
            rect += std::to_string(sourceRect->right) + ",";
            rect += std::to_string(sourceRect->bottom) + "}";
        }
        return Record(this, "BltFast",
                      "x=" + std::to_string(x) + ", y=" + std::to_string(y) + ", source=" + NameOf(source) +
                          ", rect=" + rect + ", flags=" + Hex(flags),
                      result);
    }

    HRESULT Flip(LPDIRECTDRAWSURFACE7 target, DWORD flags) override {
        HRESULT result = Scripted("Flip");
        if (result == DD_OK) {
            if (back == nullptr) {
                result = DDERR_NOTFLIPPABLE;
            } else {
                std::swap(memory, back->memory);
            }
        }
        return Record(this, "Flip", "target=" + NameOf(target) + ", flags=" + Hex(flags), result);
    }

    HRESULT Restore() override {
        return Record(this, "Restore", "", Scripted("Restore"));
    }

private:
    HRESULT CopyFrom(DWORD x, DWORD y, const FakeSurface* from, const RECT* rect) {
        if (from == nullptr || from->bitCount != bitCount || from->pitch < 0 || pitch < 0) {
            return DDERR_INVALIDPARAMS;
        }
        if (from->locked || locked) {
            return DDERR_SURFACEBUSY;
        }
        const RECT whole = {0, 0, static_cast<LONG>(from->width), static_cast<LONG>(from->height)};
        const RECT area = rect != nullptr ? *rect : whole;
        if (area.left < 0 || area.top < 0 || area.right > whole.right || area.bottom > whole.bottom ||
            area.left > area.right || area.top > area.bottom ||
            x + static_cast<DWORD>(area.right - area.left) > width ||
            y + static_cast<DWORD>(area.bottom - area.top) > height) {
            return DDERR_INVALIDPARAMS;
        }
        const size_t bytesPerPixel = bitCount / 8;
        const size_t rowBytes = static_cast<size_t>(area.right - area.left) * bytesPerPixel;
        for (LONG row = area.top; row < area.bottom; ++row) {
            const uint8_t* sourceRow = from->memory.data() + static_cast<size_t>(row) * static_cast<size_t>(from->pitch) +
                                       static_cast<size_t>(area.left) * bytesPerPixel;
            uint8_t* targetRow = memory.data() + (y + static_cast<size_t>(row - area.top)) * static_cast<size_t>(pitch) +
                                 x * bytesPerPixel;
            std::memcpy(targetRow, sourceRow, rowBytes);
        }
        return DD_OK;
    }
};

// The objects outlive their Release so that tests can look at them until the next Reset.
std::vector<std::unique_ptr<FakeSurface>>& Surfaces() {
    static std::vector<std::unique_ptr<FakeSurface>> instance;
    return instance;
}

FakeSurface* NewSurface(std::string name, DWORD width, DWORD height) {
    auto& surfaces = Surfaces();
    surfaces.push_back(std::make_unique<FakeSurface>(width, height));
    FakeSurface* surface = surfaces.back().get();
    registry().names[static_cast<const void*>(static_cast<IDirectDrawSurface7*>(surface))] = std::move(name);
    return surface;
}

struct FakeDirectDraw final : IDirectDraw7 {
    ULONG references = 1;

    ULONG Release() override {
        references = references > 0 ? references - 1 : 0;
        Record(this, "Release", "", DD_OK);
        return references;
    }

    HRESULT SetCooperativeLevel(HWND window, DWORD flags) override {
        return Record(this, "SetCooperativeLevel", "hwnd=" + Pointer(window) + ", flags=" + Hex(flags),
                      Scripted("SetCooperativeLevel"));
    }

    HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel, DWORD refreshRate, DWORD flags) override {
        const HRESULT result = Scripted("SetDisplayMode");
        if (result == DD_OK) {
            registry().modeWidth = width;
            registry().modeHeight = height;
        }
        return Record(this, "SetDisplayMode",
                      "width=" + std::to_string(width) + ", height=" + std::to_string(height) +
                          ", bpp=" + std::to_string(bitsPerPixel) + ", refresh=" + std::to_string(refreshRate) +
                          ", flags=" + Hex(flags),
                      result);
    }

    HRESULT CreateSurface(LPDDSURFACEDESC2 desc, LPDIRECTDRAWSURFACE7* surface, IUnknown* outer) override {
        HRESULT result = Scripted("CreateSurface");
        if (result == DD_OK && (desc == nullptr || desc->dwSize != sizeof(DDSURFACEDESC2))) {
            result = DDERR_INVALIDPARAMS;
        }
        if (result == DD_OK) {
            *surface = Create(*desc);
        }
        return Record(this, "CreateSurface", DescArgs(desc) + ", outer=" + Pointer(outer), result, desc);
    }

private:
    static FakeSurface* Create(const DDSURFACEDESC2& desc) {
        Registry& state = registry();
        if ((desc.ddsCaps.dwCaps & DDSCAPS_PRIMARYSURFACE) != 0) {
            FakeSurface* primary = NewSurface("Primary", state.modeWidth, state.modeHeight);
            if ((desc.dwFlags & DDSD_BACKBUFFERCOUNT) != 0 && desc.dwBackBufferCount > 0) {
                primary->back = NewSurface("Back", state.modeWidth, state.modeHeight);
            }
            return primary;
        }
        const bool sized = (desc.dwFlags & (DDSD_WIDTH | DDSD_HEIGHT)) == (DDSD_WIDTH | DDSD_HEIGHT);
        return NewSurface("Offscreen" + std::to_string(++state.offscreenCount), sized ? desc.dwWidth : state.modeWidth,
                          sized ? desc.dwHeight : state.modeHeight);
    }
};

std::vector<std::unique_ptr<FakeDirectDraw>>& DirectDraws() {
    static std::vector<std::unique_ptr<FakeDirectDraw>> instance;
    return instance;
}

bool SameGuid(const GUID& a, const GUID& b) {
    return std::memcmp(&a, &b, sizeof(GUID)) == 0;
}

const FakeSurface& SurfaceOf(const IDirectDrawSurface7* surface) {
    for (const auto& candidate : Surfaces()) {
        if (static_cast<const IDirectDrawSurface7*>(candidate.get()) == surface) {
            return *candidate;
        }
    }
    throw std::invalid_argument("not a surface of the DirectDraw double");
}

}  // namespace

std::string Call::Text() const {
    return (object.empty() ? "" : object + ".") + method + "(" + args + ")";
}

void Reset() {
    registry() = Registry{};
    Surfaces().clear();
    DirectDraws().clear();
}

void ForgetCalls() {
    registry().calls.clear();
}

void Script(std::string_view method, std::vector<HRESULT> results) {
    auto& queue = registry().scripts[std::string(method)];
    queue.insert(queue.end(), results.begin(), results.end());
}

void ScriptForever(std::string_view method, HRESULT result) {
    registry().forever[std::string(method)] = result;
}

void NullLockPointer() {
    registry().nullLockPointer = true;
}

void SetSurfaceFormat(DWORD bitCount, LONG rowPadding) {
    registry().bitCount = bitCount;
    registry().rowPadding = rowPadding;
}

const std::vector<Call>& Calls() {
    return registry().calls;
}

std::vector<std::string> CallTexts(std::string_view method) {
    std::vector<std::string> texts;
    for (const Call& call : registry().calls) {
        if (method.empty() || call.method == method) {
            texts.push_back(call.Text());
        }
    }
    return texts;
}

std::string NameOf(const void* object) {
    if (object == nullptr) {
        return "null";
    }
    auto found = registry().names.find(object);
    return found != registry().names.end() ? found->second : "unknown " + Pointer(object);
}

bool IsLocked(const IDirectDrawSurface7* surface) {
    return SurfaceOf(surface).locked;
}

int ReleaseCount(const void* object) {
    const std::string name = NameOf(object);
    return static_cast<int>(std::count_if(registry().calls.begin(), registry().calls.end(), [&](const Call& call) {
        return call.object == name && call.method == "Release";
    }));
}

std::vector<uint8_t>& Memory(const IDirectDrawSurface7* surface) {
    return const_cast<FakeSurface&>(SurfaceOf(surface)).memory;
}

LONG Pitch(const IDirectDrawSurface7* surface) {
    return SurfaceOf(surface).pitch;
}

}  // namespace ddraw_fake

HRESULT WINAPI DirectDrawCreateEx(GUID* driver, LPVOID* object, REFIID iid, IUnknown* outer) {
    using namespace ddraw_fake;
    HRESULT result = Scripted("DirectDrawCreateEx");
    if (result == DD_OK && !SameGuid(iid, IID_IDirectDraw7)) {
        result = DDERR_INVALIDPARAMS;
    }
    if (result == DD_OK) {
        auto& directDraws = DirectDraws();
        directDraws.push_back(std::make_unique<FakeDirectDraw>());
        IDirectDraw7* created = directDraws.back().get();
        const size_t count = directDraws.size();
        registry().names[created] = count == 1 ? "DirectDraw" : "DirectDraw" + std::to_string(count);
        *object = created;
    }
    return Record(nullptr, "DirectDrawCreateEx",
                  "driver=" + Pointer(driver) + ", iid=" + (SameGuid(iid, IID_IDirectDraw7) ? "IID_IDirectDraw7" : "other") +
                      ", outer=" + Pointer(outer),
                  result);
}
