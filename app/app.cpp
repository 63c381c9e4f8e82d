// The application shell: the start options, start-up, the message loop and shutdown in WinMain, and
// the window procedure that handles the keys, the cursor over a window, repaints, the closing of the
// window and the frame step on every tick.
#include "app/app.h"
#include "app/command_line.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <timeapi.h>

#include "display/display.h"
#include "display/window.h"
#include "image/bmp.h"
#include "image/pictures.h"
#include "mix/compositor.h"

int32_t bScreenshot = 0;

namespace {

constexpr UINT FrameTimerId = 0;
constexpr UINT FrameTimerMs = 20;
// Windows serves a timer on its clock's tick, 15.625 ms unless a program asks for a finer one,
// so 20 ms would come every second tick: 32 frames a second. Since Windows 10 version 2004 a
// finer tick serves only the programs that ask for it, and only while they hold it.
constexpr UINT FineTickMs = 1;
constexpr size_t FrameRowBytes = size_t{Width} * 4;
constexpr size_t FrameBytes = FrameRowBytes * size_t{Height};
// What a start-up that failed ends with.
constexpr int StartFailed = 1;

// Where the spot goes when the platform cannot tell the cursor position: where it last was.
POINT LastCursor = {Width / 2, Height / 2};

void FreePicture(Image*& picture) {
    FreeImage(picture);
    picture = nullptr;
}

void FreeFrameBuffer() {
    std::free(FrameBuffer);
    FrameBuffer = nullptr;
}

// Pages normally lie Width * 4 bytes a row apart and take the frame in one block; a display
// that pads its rows gets them one by one, and a page too narrow for a row is left alone.
void CopyFrameToPage(void* page, LONG pitch) {
    auto* target = static_cast<uint8_t*>(page);
    if (pitch < 0 || static_cast<size_t>(pitch) < FrameRowBytes) return;
    if (static_cast<size_t>(pitch) == FrameRowBytes) {
        std::memcpy(target, FrameBuffer, FrameBytes);
        return;
    }
    for (int32_t row = 0; row < Height; ++row) {
        std::memcpy(target + static_cast<size_t>(row) * static_cast<size_t>(pitch),
                    FrameBuffer + static_cast<size_t>(row) * static_cast<size_t>(Width), FrameRowBytes);
    }
}

// A start-up that cannot go on says what failed and why before it ends. A program with
// windows has no console on Windows, so the text goes into a message box; it is shown with
// the display given back and the cursor visible, so that the box can be seen and answered.
int FailStart(HWND window, const char* what, const char* why = nullptr) {
    char text[256];
    if (why != nullptr) {
        std::snprintf(text, sizeof text, "%s: %s", what, why);
    } else {
        std::snprintf(text, sizeof text, "%s", what);
    }
    if (window != nullptr) {
        ShowCursor(TRUE);
        ReleaseDirectDraw();
    }
    MessageBoxA(window, text, "varnelo", MB_OK | MB_ICONERROR);
    return StartFailed;
}

// Whether the cursor's display count was raised for a window's border; start-up lowered it.
bool cursorShownOverBorder = false;

// Over a window's border the cursor shows, so that the border can be taken; over the picture
// (WM_SETCURSOR) and in full screen it stays hidden.
void ShowCursorOverBorder() {
    if (cursorShownOverBorder != (bFramed != 0)) {
        cursorShownOverBorder = bFramed != 0;
        ShowCursor(cursorShownOverBorder ? TRUE : FALSE);
    }
}

void FrameStep() {
    POINT cursor;
    if (GetCursorPos(&cursor) && ScreenToFrame(&cursor)) LastCursor = cursor;
    ComposeFrame(LastCursor.x, LastCursor.y);

    void* page = nullptr;
    if (LockPage(&page)) {
        CopyFrameToPage(page, LockedPagePitch());
        // Even an unused page goes through FlipPages, the only way to unlock it again.
        FlipPages();
    }

    // After presentation, so that the file holds the very frame this tick showed.
    if (bScreenshot) {
        SwapRedBlue();
        TakeScreenshot(FrameBuffer);
        bScreenshot = 0;
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int cmdShow) {
    StartOptions options;
    if (const int answered = AnswerCommandLine(commandLine, options); answered != StartToRun) return answered;
    ChooseDisplay(options.window, options.shape);
    cursorShownOverBorder = false;

    WNDCLASSEXA windowClass;
    std::memset(&windowClass, 0, sizeof windowClass);
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, IDI_APPLICATION);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszMenuName = nullptr;
    windowClass.lpszClassName = "Pelloran";
    windowClass.hIconSm = LoadIconA(nullptr, IDI_APPLICATION);
    // Without a window nothing could ever close it and end the message loop.
    if (!RegisterClassExA(&windowClass)) return FailStart(nullptr, "cannot register the window class");

    HWND window = CreateWindowExA(0, "Pelloran", "Varnelo", WS_DLGFRAME, CW_USEDEFAULT, CW_USEDEFAULT,
                                  Width, Height, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) return FailStart(nullptr, "cannot create the window");
    ShowWindow(window, cmdShow);
    UpdateWindow(window);
    ShowCursor(FALSE);

    // A display that refuses the exclusive mode shows the frames in a window instead, and the
    // log tells which; one that can show them in no way at all ends the program here, since
    // nobody would ever see a frame.
    InitDirectDraw(window, Width, Height);
    if (!PresentationReady()) {
        return FailStart(window, "cannot show the picture", PresentationRefusal());
    }
    ShowCursorOverBorder();

    if (!AllocateFrameBuffer()) return FailStart(window, "out of memory for the frame");
    // A scene of another size is fitted to the frame: the frame step pairs the scene's pixels with
    // the frame's by index, so it would show its rows wrapped.
    const char* failedPath = nullptr;
    if (const char* why = LoadSpotAndScene("spot.tga", "scr.tga", Spot, Scene, failedPath)) {
        FreeFrameBuffer();
        return FailStart(window, (std::string("cannot read ") + failedPath).c_str(), why);
    }

    // Only now: every tick reads the frame buffer and both pictures without asking. The fine
    // tick costs power, so it is held only while the frames run.
    const bool fineTick = timeBeginPeriod(FineTickMs) == TIMERR_NOERROR;
    SetTimer(window, FrameTimerId, FrameTimerMs, nullptr);
    // The middle of the frame, wherever the frame shows on the screen.
    POINT middle = {Width >> 1, Height >> 1};
    FrameToScreen(&middle);
    SetCursorPos(middle.x, middle.y);

    MSG message;
    std::memset(&message, 0, sizeof message);
    BOOL received;
    // A failing GetMessageA answers -1 forever; looping on it would spin without end.
    while ((received = GetMessageA(&message, nullptr, 0, 0)) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    if (fineTick) timeEndPeriod(FineTickMs);

    FreeFrameBuffer();
    FreePicture(Spot);
    FreePicture(Scene);
    return received == 0 ? static_cast<int>(message.wParam) : 0;
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_DESTROY:
            ReleaseDirectDraw();
            PostQuitMessage(0);
            return 0;
        case WM_KEYDOWN:
            if (wParam == VK_ESCAPE) {
                ShowCursor(TRUE);
                // Closes, destroys and posts the quit message before it returns.
                SendMessageA(window, WM_CLOSE, 0, 0);
            } else if (wParam == VK_F12) {
                bScreenshot = 1;
            }
            // No key reaches default processing, so none can trigger a system action.
            return 0;
        case WM_SYSKEYDOWN:
            // Alt+Enter, once however long it is held; other keys with Alt (Alt+F4 among them) go
            // on to default processing as they did.
            if (wParam == VK_RETURN && (HIWORD(lParam) & KF_ALTDOWN) != 0) {
                if ((HIWORD(lParam) & KF_REPEAT) == 0) {
                    SwitchFullScreen();
                    ShowCursorOverBorder();
                }
                return 0;
            }
            return DefWindowProcA(window, message, wParam, lParam);
        case WM_SYSCHAR:
            // Alt+Enter's character would find no menu and beep.
            if (wParam == '\r') return 0;
            return DefWindowProcA(window, message, wParam, lParam);
        case WM_SETCURSOR:
            if (bFramed != 0 && LOWORD(lParam) == HTCLIENT) {
                SetCursor(nullptr);
                return TRUE;
            }
            return DefWindowProcA(window, message, wParam, lParam);
        case WM_PAINT: {
            // Erased in the class's black first; a resized or maximised window gets its picture at
            // once rather than at the next tick.
            const LRESULT painted = DefWindowProcA(window, message, wParam, lParam);
            RepaintWindow();
            return painted;
        }
        case WM_TIMER:
            FrameStep();
            return 0;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}
