// The stub tests' fault injection over the extraction's and cleanup's file calls
// (g_StubFileCalls): while a StubFileFaults lives, every call is counted per entry and reaches
// the runtime, except the one armed to fail, change what it reports, or change what it read.
// Sleeps are recorded, never slept.
#pragma once

#include "QuilStubFileCalls-internal.h"

#include <string>
#include <vector>

namespace stubtest {

enum StubFileEntry {
    kOpen,
    kOpenTemp,
    kWrite,
    kRead,
    kQueryInfo,
    kClose,
    kDelete,
    kDirCreate,
    kDirOpen,
    kDirClose,
    kDirRemove,
    kEntryCount
};

// What the armed call does instead of its usual work.
enum StubFileFault {
    kFail,        // returns rc without calling the runtime (an open leaves the nil handle)
    kSizeGrows,   // a query reports one byte more than the file holds
    kIdChanges,   // a query reports another file identifier
    kByteChanges, // a read flips the last byte it read
};

class StubFileFaults {
public:
    StubFileFaults();
    ~StubFileFaults();
    // The iNth call of enmEntry from now on (1: the next) does enmFault; with fFromThenOn every
    // later call too.
    void Arm(StubFileEntry enmEntry, unsigned iNth, StubFileFault enmFault, int rc = 0, bool fFromThenOn = false);
    unsigned Calls(StubFileEntry enmEntry) const;
    // The sleeps asked for, in milliseconds, in order.
    const std::vector<uint32_t> &Sleeps() const;
    // The number of handles opened (files and directories) minus those closed successfully.
    int OpenHandles() const;

private:
    StubFileCalls m_Saved;
};

} // namespace stubtest
