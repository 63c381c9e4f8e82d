// The watch over close requests where they come as signals: counts SIGINT and SIGTERM, and ends
// the program with 1 when it cannot act on one in time. Its handlers do only what is safe there.
#include "platform/core/close_requests.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstddef>
#include <iterator>

namespace {

// The program has this long to take a request, and once it has, this long again to end: its
// closing (the window's destruction, ShutDown, the screen's Finish) gives the display back and
// frees a few blocks, which takes milliseconds. A closing that hangs (SDL 3 has been seen spinning
// as it let go of a Wayland display whose compositor went away) is ended as surely as a loop that
// never takes the request. The words said at the end give the same 2 s.
constexpr unsigned SecondsToAct = 2;
constexpr int Watched[] = {SIGINT, SIGTERM};

// Lock-free, as a handler may run on any thread that does not block the signal.
std::atomic<int> requests{0};
std::atomic<bool> taken{false};
static_assert(std::atomic<int>::is_always_lock_free && std::atomic<bool>::is_always_lock_free);

struct sigaction watching {};
struct sigaction answeredBefore[std::size(Watched)]{};  // what the watch calls after itself

// The program may be stuck anywhere, holding any lock: only write and _exit are safe to call.
template <size_t Length> [[noreturn]] void EndWith(const char (&words)[Length]) {
    [[maybe_unused]] const ssize_t said = write(STDERR_FILENO, words, Length - 1);  // nothing to do if lost
    _exit(1);
}

void OnAlarm(int) {
    if (taken) EndWith("varnelo: ended on a close request, as closing took longer than 2 s\n");
    EndWith("varnelo: ended on a close request it could not act on within 2 s\n");
}

void OnRequest(int signal, siginfo_t* info, void* context) {
    if (requests.fetch_add(1) > 0) EndWith("varnelo: ended on a second close request\n");
    const int interruptedErrno = errno;
    alarm(SecondsToAct);
    for (size_t watched = 0; watched < std::size(Watched); ++watched) {
        if (Watched[watched] != signal) continue;
        const struct sigaction& before = answeredBefore[watched];
        if ((before.sa_flags & SA_SIGINFO) != 0) {
            before.sa_sigaction(signal, info, context);
        } else if (before.sa_handler != SIG_DFL && before.sa_handler != SIG_IGN) {
            before.sa_handler(signal);
        }
        // SDL's handler puts itself back in place of whatever called it, which would leave a
        // second request to SDL alone.
        sigaction(signal, &watching, nullptr);
    }
    errno = interruptedErrno;
}

bool IsWatching(const struct sigaction& action) {
    return (action.sa_flags & SA_SIGINFO) != 0 && action.sa_sigaction == OnRequest;
}

}  // namespace

void close_requests::Watch() {
    struct sigaction alarmed {};
    alarmed.sa_handler = OnAlarm;
    sigemptyset(&alarmed.sa_mask);
    sigaction(SIGALRM, &alarmed, nullptr);
    watching.sa_sigaction = OnRequest;
    // Calls interrupted by a request go on, as under SDL's own handler.
    watching.sa_flags = SA_SIGINFO | SA_RESTART;
    sigemptyset(&watching.sa_mask);
    for (size_t watched = 0; watched < std::size(Watched); ++watched) {
        struct sigaction current {};
        sigaction(Watched[watched], nullptr, &current);
        const bool ignored = (current.sa_flags & SA_SIGINFO) == 0 && current.sa_handler == SIG_IGN;
        if (ignored || IsWatching(current)) continue;
        answeredBefore[watched] = current;
        sigaction(Watched[watched], &watching, nullptr);
    }
}

bool close_requests::Take() {
    if (requests == 0 || taken) return false;
    taken = true;
    alarm(SecondsToAct);
    return true;
}
