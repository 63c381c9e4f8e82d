// The stand-in for WINMM's timer resolution. The core's timers are due on the millisecond
// already, so a finer tick is granted, and given back, without changing anything.
#include <windows.h>
#include <timeapi.h>

MMRESULT WINAPI timeBeginPeriod(UINT) { return TIMERR_NOERROR; }
MMRESULT WINAPI timeEndPeriod(UINT) { return TIMERR_NOERROR; }
