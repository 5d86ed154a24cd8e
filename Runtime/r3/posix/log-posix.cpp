// The logger's platform half where there is no Windows: the realtime clock, the parent from
// the kernel, the command line from procfs, and no debugger to write to.
#include <fcntl.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

#include <qrt/log.h>
#include <qrt/mem.h>

#include "common/log/log-internal.h"

#define RTLOGPOSIX_TAG "Runtime/r3/posix/log-posix"

int64_t rtlogNativeUtcNanoTS(void) {
    struct timespec Ts;
    if (clock_gettime(CLOCK_REALTIME, &Ts) != 0) return 0;
    return (int64_t)Ts.tv_sec * INT64_C(1000000000) + Ts.tv_nsec;
}

void rtlogNativeDebuggerWrite(const char *pch, size_t cch) {
    (void)pch;
    (void)cch;
}

RTPROCESS rtlogNativeParentPid(void) {
    return (RTPROCESS)getppid();
}

void rtlogNativeWriteCommandLine(RTLOGGER *pLogger) {
    // The arguments as the kernel keeps them, NUL-separated; shown separated by blanks.
    size_t const cbMax = 32768;
    char *pszCmdLine = (char *)RTMemAllocTag(cbMax, RTLOGPOSIX_TAG);
    size_t cb = 0;
    if (pszCmdLine) {
        int fd = open("/proc/self/cmdline", O_RDONLY | O_CLOEXEC);
        if (fd >= 0) {
            ssize_t cbRead;
            while (cb < cbMax - 1 && (cbRead = read(fd, &pszCmdLine[cb], cbMax - 1 - cb)) > 0) cb += (size_t)cbRead;
            close(fd);
        }
        while (cb > 0 && pszCmdLine[cb - 1] == '\0') cb--;
        for (size_t i = 0; i < cb; i++)
            if (pszCmdLine[i] == '\0') pszCmdLine[i] = ' ';
        pszCmdLine[cb] = '\0';
    }
    RTLogLoggerEx(pLogger, 0, RTLOG_NO_GROUP, "Commandline: %s\n", pszCmdLine ? pszCmdLine : "");
    RTMemFree(pszCmdLine);
}
