// How absolute paths look on Windows, for the stub's tests.
#include "Installer/win/Stub/stub-test-util.h"

namespace stubtest {

const char *TestAbsRoot() {
    return "C:\\";
}

char TestPathSeparator() {
    return '\\';
}

} // namespace stubtest
