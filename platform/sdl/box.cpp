// The SDL screen's error box, which ends with the program on a close request: SDL forks a child
// to show it (and on Wayland that child runs zenity), and its wait for the child survives signals.
#include "platform/sdl/box.h"

#include <pthread.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <cstdio>

#include <SDL.h>

namespace {

// Set while a box is up; the children forked meanwhile read it in their copy of memory.
volatile sig_atomic_t showing = 0;
volatile sig_atomic_t exitCodeOnClose = 1;
pid_t owner = 0;

// Runs in each child forked while a box is up. The kernel ends it when the program ends, however
// that happens; and a close request sent to the whole group (Ctrl+C in a terminal, timeout) ends
// it too, instead of reaching the handler it inherited from SDL, which only queues a quit event.
void FollowTheProgram() {
    if (showing == 0) return;
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != owner) _exit(1);  // the program ended before the line above took hold
    struct sigaction plain {};
    plain.sa_handler = SIG_DFL;
    sigaction(SIGINT, &plain, nullptr);
    sigaction(SIGTERM, &plain, nullptr);
}

// Nothing of the program is left to tidy while its box is up: the failure was told on stderr, the
// display given back and the log closed before the box was shown.
void EndAtCloseRequest(int) { _exit(exitCodeOnClose); }

}  // namespace

void box::Show(const char* caption, const char* text, int closeExitCode) {
    static const bool childrenFollow = pthread_atfork(nullptr, nullptr, FollowTheProgram) == 0;
    // Whatever was said before must not be lost with the buffers of a program ended by a signal.
    std::fflush(stdout);
    struct sigaction end {}, previousInterrupt {}, previousTerminate {};
    end.sa_handler = EndAtCloseRequest;
    sigemptyset(&end.sa_mask);
    if (childrenFollow) {
        sigaction(SIGINT, &end, &previousInterrupt);
        sigaction(SIGTERM, &end, &previousTerminate);
    }
    owner = getpid();
    exitCodeOnClose = closeExitCode;
    showing = 1;
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption, text, nullptr);
    showing = 0;
    if (childrenFollow) {
        sigaction(SIGINT, &previousInterrupt, nullptr);
        sigaction(SIGTERM, &previousTerminate, nullptr);
    }
}
