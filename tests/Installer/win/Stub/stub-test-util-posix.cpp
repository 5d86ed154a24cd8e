// How absolute paths look on POSIX hosts, for the stub's tests.
#include "Installer/win/Stub/stub-test-util.h"

namespace stubtest {

const char *TestAbsRoot() {
    return "/";
}

char TestPathSeparator() {
    return '/';
}

} // namespace stubtest
