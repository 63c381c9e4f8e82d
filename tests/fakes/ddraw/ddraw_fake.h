// A recording double of the DirectDraw 7 slice that display/ calls, linked in place of the real one:
// it logs every call with its arguments, answers with scripted results and hands out real page memory.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <windows.h>
#include <ddraw.h>

// Unscripted calls behave as a strict driver would: a wrong dwSize gets DDERR_INVALIDPARAMS, a
// second Lock DDERR_SURFACEBUSY, an Unlock of an unlocked surface DDERR_NOTLOCKED, and BltFast
// from or onto a locked surface DDERR_SURFACEBUSY.
namespace ddraw_fake {

struct Call {
    std::string object;  // "DirectDraw", "Primary", "Back", "Offscreen1", ...; empty for DirectDrawCreateEx
    std::string method;
    std::string args;
    DDSURFACEDESC2 desc{};  // the description CreateSurface was given
    HRESULT result = DD_OK;

    // "Object.Method(args)", or "Method(args)" for DirectDrawCreateEx.
    std::string Text() const;
};

// Forgets every call, script and object and goes back to 32-bit surfaces with no row padding.
void Reset();

// Forgets the calls so far, keeping objects and scripts.
void ForgetCalls();

// Queues results for the next calls of a method ("Lock", "BltFast", "DirectDrawCreateEx", ...),
// whichever object they hit; a call with nothing queued succeeds.
void Script(std::string_view method, std::vector<HRESULT> results);

// Every call of a method from now on answers with result, once its queue is empty.
void ScriptForever(std::string_view method, HRESULT result);

// The next Lock that succeeds hands out a null surface pointer.
void NullLockPointer();

// The format of surfaces created from now on: bits per pixel and row padding in bytes.
void SetSurfaceFormat(DWORD bitCount, LONG rowPadding = 0);

const std::vector<Call>& Calls();
// The texts of the calls, optionally only those of one method.
std::vector<std::string> CallTexts(std::string_view method = {});

// The name a fake object was given, "null" for a null pointer.
std::string NameOf(const void* object);
bool IsLocked(const IDirectDrawSurface7* surface);
int ReleaseCount(const void* object);
// The memory of a surface, pitch bytes per row; Flip swaps the memory of primary and back
// buffer as a flipping chain does.
std::vector<uint8_t>& Memory(const IDirectDrawSurface7* surface);
LONG Pitch(const IDirectDrawSurface7* surface);

}  // namespace ddraw_fake
