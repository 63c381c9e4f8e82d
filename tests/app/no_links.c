// Preloaded into the program, makes file systems answer as many FUSE ones (sshfs) do: no rename that
// refuses to replace, no hard links; with the errors REFUSED_RENAME_ERRNO and REFUSED_LINK_ERRNO name.
#define _GNU_SOURCE
#include <errno.h>
#include <stdlib.h>
#include <sys/syscall.h>
#include <unistd.h>

static int Refused(const char* variable) { return errno = atoi(getenv(variable)), -1; }

int renameat2(int fromFolder, const char* from, int toFolder, const char* to, unsigned int flags) {
    return flags != 0 ? Refused("REFUSED_RENAME_ERRNO") : (int)syscall(SYS_renameat2, fromFolder, from, toFolder, to, 0u);
}
int link(const char* from, const char* to) { return (void)from, (void)to, Refused("REFUSED_LINK_ERRNO"); }
