// Linux declarations of the slice of WINMM that the program calls: the resolution of the
// system's timer tick. The platform core provides the bodies.
#pragma once

#include <windows.h>

typedef UINT MMRESULT;

#define TIMERR_NOERROR 0

extern "C" {
MMRESULT WINAPI timeBeginPeriod(UINT periodMs);
MMRESULT WINAPI timeEndPeriod(UINT periodMs);
}
