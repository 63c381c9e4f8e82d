// Preloaded, makes file systems answer as FUSE ones (sshfs) may: no replacing rename, no hard links (errors from env).
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
