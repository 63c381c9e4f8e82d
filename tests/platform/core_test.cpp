// The platform core on a screen of this file's own, whose clock moves only when the message
// loop waits: timer ticks on their due times without drift, one tick for a stall however
// long, and queued input ahead of ticks.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include <windows.h>

#include "platform/core/standins.h"
#include "platform/screen.h"

namespace {

uint64_t Now = 1000;  // the screen's clock, in ms
std::vector<uint64_t> Waits;  // the due time of each wait

}  // namespace

// The screen: nothing to show on; waiting jumps the clock to the due time.
namespace screen {
bool Open(const char*, int, int) { return true; }
void Close() {}
bool IsOpen() { return true; }
void Show() {}
void PaintBlack() {}
void EnterFullScreen() {}
void LeaveFullScreen() {}
void SetPictureSize(int, int) {}
void Present(const uint8_t*, int, int, int) {}
uint32_t LossCount() { return 0; }
bool Available() { return true; }
bool PointerInPicture(int&, int&) { return false; }
void MovePointerToPicture(int, int) {}
void ShowPointer(bool) {}
void WaitForInput(uint64_t dueMs) {
    Waits.push_back(dueMs);
    ASSERT_NE(dueMs, UINT64_MAX) << "a wait with nothing that could end it";
    Now = dueMs;
}
uint64_t NowMs() { return Now; }
void Tell(const char*, const char*) {}
void Finish(int) {}
}  // namespace screen

namespace {

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

class CoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        static const ATOM registered = [] {
            WNDCLASSEXA windowClass{};
            windowClass.cbSize = sizeof windowClass;
            windowClass.lpfnWndProc = Procedure;
            windowClass.lpszClassName = "CoreTest";
            return RegisterClassExA(&windowClass);
        }();
        ASSERT_NE(registered, 0);
        window_ = CreateWindowExA(0, "CoreTest", "", 0, 0, 0, 320, 200, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(window_, nullptr);
        Waits.clear();
    }
    void TearDown() override { standins::ShutDown(); }

    static MSG Next() {
        MSG message{};
        EXPECT_EQ(GetMessageA(&message, nullptr, 0, 0), TRUE);
        return message;
    }

    HWND window_ = nullptr;
};

TEST_F(CoreTest, TicksKeepTheirGridAndAStallGivesOneTick) {
    const uint64_t start = Now;
    ASSERT_EQ(SetTimer(window_, 1, 20, nullptr), 1u);
    struct Step {
        uint64_t stallMs;   // the program's own work before it asks again
        uint64_t tickAtMs;  // since the timer started
    };
    // Work shorter than a period does not shift the grid; a stall of 95 ms is one tick, at
    // once, and the next one comes on the grid, not 20 ms after the late one.
    for (const Step& step : {Step{0, 20}, Step{7, 40}, Step{19, 60}, Step{95, 155}, Step{0, 160}, Step{0, 180}}) {
        Now += step.stallMs;
        const MSG message = Next();
        EXPECT_EQ(message.message, static_cast<UINT>(WM_TIMER));
        EXPECT_EQ(message.wParam, 1u);
        EXPECT_EQ(Now - start, step.tickAtMs) << "after a stall of " << step.stallMs << " ms";
    }
}

TEST_F(CoreTest, QueuedInputComesBeforeADueTickAndInOrder) {
    ASSERT_NE(SetTimer(window_, 1, 20, nullptr), 0u);
    Now += 50;
    standins::PostKeyDown(VK_F12, 0x58, false);
    standins::PostKeyDown(VK_ESCAPE, 0x01, true);
    MSG message = Next();
    EXPECT_EQ(message.message, static_cast<UINT>(WM_KEYDOWN));
    EXPECT_EQ(message.wParam, static_cast<WPARAM>(VK_F12));
    EXPECT_EQ(message.lParam, 1 | (0x58 << 16));
    message = Next();
    EXPECT_EQ(message.wParam, static_cast<WPARAM>(VK_ESCAPE));
    EXPECT_EQ(message.lParam, 1 | (0x01 << 16) | (1 << 30)) << "bit 30: the key was already down";
    EXPECT_EQ(Next().message, static_cast<UINT>(WM_TIMER));
    EXPECT_TRUE(Waits.empty()) << "nothing was waited for while messages were due";
}

}  // namespace
