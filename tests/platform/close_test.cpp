// Close requests to the platform core on the screen in memory: a program that cannot act on one in time still ends.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <tuple>
#include <vector>

#include <windows.h>

#include "platform/core/close_requests.h"
#include "platform/memory/screen.h"
#include "tests/platform/test_window.h"

namespace {

memory_screen::State& Screen() { return memory_screen::Get(); }

// SDL's answer to a close request, which queues its quit event, and puts itself back in place as SDL's does.
void AnswerLikeSdl(int request) { signal(request, AnswerLikeSdl), (void)!write(STDERR_FILENO, "quit queued\n", 12); }
// A program in a child, sent close requests while it waits, SDL's answer first: a loop that runs takes one and ends with 0.
TEST(CoreWindow, ACloseRequestEndsTheProgramWhereverItIsStuck) {
    enum Stuck { Nowhere, InTheWait, InTheClosing, IgnoringInterrupts };  // the last as under nohup or in a shell's background
    const struct { Stuck stuck; std::vector<int> requests; int code; std::string said; double afterS; } cases[] = {
        {Nowhere, {SIGINT}, 0, "", 0}, {IgnoringInterrupts, {SIGINT, SIGTERM}, 0, "", 0},
        {InTheWait, {SIGTERM}, 1, "varnelo: ended on a close request it could not act on within 2 s\n", 1.5},
        {InTheWait, {SIGTERM, SIGTERM}, 1, "varnelo: ended on a second close request\n", 0},
        {InTheClosing, {SIGTERM}, 1, "varnelo: ended on a close request, as closing took longer than 2 s\n", 1.5}};
    for (const auto& test : cases) {
        int waits[2], told[2], status = 0;
        ASSERT_EQ(pipe(waits) | pipe(told), 0);
        const pid_t child = fork();
        if (child == 0) {
            dup2(told[1], STDERR_FILENO);
            signal(SIGINT, test.stuck == IgnoringInterrupts ? SIG_IGN : AnswerLikeSdl), signal(SIGTERM, AnswerLikeSdl);
            OpenTestWindow(DefWindowProcA);
            if (test.stuck == IgnoringInterrupts) close_requests::Watch();  // once more, as for a second window
            // Each wait says it waits; a stuck one lets signals in only then, so that a second request follows the first.
            sigset_t all, letIn;
            sigfillset(&all), sigprocmask(test.stuck == InTheWait ? SIG_BLOCK : SIG_UNBLOCK, &all, &letIn);
            Screen().inputs.assign(3000, [&](int) { while (write(waits[1], "", 1) == 1 && test.stuck == InTheWait) sigsuspend(&letIn); usleep(20000); });
            for (MSG message{}; message.message != WM_CLOSE && GetMessageA(&message, nullptr, 0, 0);) {}
            while (test.stuck == InTheClosing) pause();
            _exit(0);
        }
        close(waits[1]), close(told[1]);
        auto sent = std::chrono::steady_clock::now();
        for (char waiting = 0; int request : test.requests) {
            ASSERT_EQ(read(waits[0], &waiting, 1), 1) << "the child never waited";
            sent = std::chrono::steady_clock::now(), kill(child, request);
        }
        for (int polls = 0; waitpid(child, &status, WNOHANG) == 0; usleep(10000)) if (++polls == 2000) kill(child, SIGKILL);  // 20 s
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - sent).count();
        char said[200]{};  // taken by its length, so that a stray NUL shows
        const ssize_t length = read(told[0], said, sizeof said);
        close(waits[0]), close(told[0]);
        EXPECT_EQ(std::tuple(WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), std::string(said, size_t(std::max<ssize_t>(length, 0))), seconds >= test.afterS),
                  std::tuple(test.code, "quit queued\n" + test.said, true)) << "ended " << seconds << " s after the last request";
    }
}

}  // namespace
