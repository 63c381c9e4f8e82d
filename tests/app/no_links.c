// Preloaded into the program, makes every file system answer as many FUSE ones (sshfs) do: no
// rename that refuses to replace, and no hard links, with the errors that REFUSED_RENAME_ERRNO and
// REFUSED_LINK_ERRNO give (by default EINVAL and EPERM).
#define _GNU_SOURCE
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/syscall.h>
#include <unistd.h>

static int Refused(const char* variable, int otherwise) {
    const char* value = getenv(variable);
    errno = value != NULL ? atoi(value) : otherwise;
    return -1;
}

int renameat2(int fromFolder, const char* from, int toFolder, const char* to, unsigned int flags) {
    if (flags != 0) return Refused("REFUSED_RENAME_ERRNO", EINVAL);
    return (int)syscall(SYS_renameat2, fromFolder, from, toFolder, to, 0u);
}

int link(const char* from, const char* to) {
    (void)from, (void)to;
    return Refused("REFUSED_LINK_ERRNO", EPERM);
}
