// The stub tests' fault injection over g_StubFileCalls.
#include "Installer/win/Stub/stub-file-faults.h"

#include <qrt/err.h>

namespace stubtest {

namespace {

struct Armed {
    StubFileEntry enmEntry = kEntryCount;
    unsigned iNth = 0;
    StubFileFault enmFault = kFail;
    int rc = 0;
    bool fFromThenOn = false;
} g_Armed;
unsigned g_acCalls[kEntryCount];
std::vector<uint32_t> g_Sleeps;
int g_cOpenHandles;
StubFileCalls g_Real;

// Counts the call; true when it is the armed one with enmFault.
bool hit(StubFileEntry enmEntry, StubFileFault enmFault) {
    unsigned const iCall = ++g_acCalls[enmEntry];
    return g_Armed.enmEntry == enmEntry && g_Armed.enmFault == enmFault &&
           (iCall == g_Armed.iNth || (g_Armed.fFromThenOn && iCall > g_Armed.iNth));
}

int fakeOpen(RTFILE *phFile, const char *pszPath, uint64_t fOpen) {
    if (hit(kOpen, kFail)) {
        *phFile = NIL_RTFILE;
        return g_Armed.rc;
    }
    int rc = g_Real.pfnFileOpen(phFile, pszPath, fOpen);
    if (RT_SUCCESS(rc)) g_cOpenHandles++;
    return rc;
}
int fakeOpenTemp(RTFILE *phFile, char *pszTemplate, uint64_t fOpen) {
    if (hit(kOpenTemp, kFail)) {
        *phFile = NIL_RTFILE;
        *pszTemplate = '\0';
        return g_Armed.rc;
    }
    int rc = g_Real.pfnFileOpenTemp(phFile, pszTemplate, fOpen);
    if (RT_SUCCESS(rc)) g_cOpenHandles++;
    return rc;
}
int fakeWrite(RTFILE hFile, const void *pv, size_t cb, size_t *pcb) {
    if (hit(kWrite, kFail)) return g_Armed.rc;
    return g_Real.pfnFileWrite(hFile, pv, cb, pcb);
}
int fakeRead(RTFILE hFile, void *pv, size_t cb, size_t *pcb) {
    if (hit(kRead, kFail)) return g_Armed.rc;
    bool const fFlip =
        g_Armed.enmEntry == kRead && g_Armed.enmFault == kByteChanges && g_acCalls[kRead] == g_Armed.iNth;
    int rc = g_Real.pfnFileRead(hFile, pv, cb, pcb);
    if (fFlip && cb) static_cast<uint8_t *>(pv)[cb - 1] ^= 0x5a;
    return rc;
}
int fakeQueryInfo(RTFILE hFile, FsObjInfo *pInfo, FsObjAttrAdd enmAdd) {
    if (hit(kQueryInfo, kFail)) return g_Armed.rc;
    bool const fArmedNow = g_Armed.enmEntry == kQueryInfo && g_acCalls[kQueryInfo] == g_Armed.iNth;
    int rc = g_Real.pfnFileQueryInfo(hFile, pInfo, enmAdd);
    if (fArmedNow && g_Armed.enmFault == kSizeGrows) pInfo->cbObject++;
    if (fArmedNow && g_Armed.enmFault == kIdChanges) pInfo->u.Unix.INodeId ^= 0x10001;
    return rc;
}
int fakeClose(RTFILE hFile) {
    if (hit(kClose, kFail)) {
        g_Real.pfnFileClose(hFile); // the handle is gone all the same, as after a failed close
        g_cOpenHandles--;
        return g_Armed.rc;
    }
    int rc = g_Real.pfnFileClose(hFile);
    if (RT_SUCCESS(rc) && hFile != NIL_RTFILE) g_cOpenHandles--;
    return rc;
}
int fakeDelete(const char *pszPath) {
    if (hit(kDelete, kFail)) return g_Armed.rc;
    return g_Real.pfnFileDelete(pszPath);
}
int fakeDirCreate(const char *pszPath, RTFMODE fMode, uint32_t fCreate) {
    if (hit(kDirCreate, kFail)) return g_Armed.rc;
    return g_Real.pfnDirCreate(pszPath, fMode, fCreate);
}
int fakeDirOpen(RTDIR *phDir, const char *pszPath) {
    if (hit(kDirOpen, kFail)) return g_Armed.rc;
    int rc = g_Real.pfnDirOpen(phDir, pszPath);
    if (RT_SUCCESS(rc)) g_cOpenHandles++;
    return rc;
}
int fakeDirClose(RTDIR hDir) {
    if (hit(kDirClose, kFail)) {
        g_Real.pfnDirClose(hDir);
        g_cOpenHandles--;
        return g_Armed.rc;
    }
    int rc = g_Real.pfnDirClose(hDir);
    if (RT_SUCCESS(rc)) g_cOpenHandles--;
    return rc;
}
int fakeDirRemove(const char *pszPath) {
    if (hit(kDirRemove, kFail)) return g_Armed.rc;
    return g_Real.pfnDirRemove(pszPath);
}
int fakeSleep(uint32_t cMillies) {
    g_Sleeps.push_back(cMillies);
    return QINF_SUCCESS;
}

} // namespace

StubFileFaults::StubFileFaults() {
    m_Saved = g_Real = g_StubFileCalls;
    g_Armed = Armed();
    for (unsigned &c : g_acCalls) c = 0;
    g_Sleeps.clear();
    g_cOpenHandles = 0;
    g_StubFileCalls = StubFileCalls{fakeOpen,     fakeOpenTemp,          fakeWrite,     fakeRead,      fakeQueryInfo,
                                    fakeClose,    g_Real.pfnFileIsValid, fakeDelete,    fakeDirCreate, fakeDirOpen,
                                    fakeDirClose, g_Real.pfnDirIsValid,  fakeDirRemove, fakeSleep};
}

StubFileFaults::~StubFileFaults() {
    g_StubFileCalls = m_Saved;
}

void StubFileFaults::Arm(StubFileEntry enmEntry, unsigned iNth, StubFileFault enmFault, int rc, bool fFromThenOn) {
    g_Armed.enmEntry = enmEntry;
    g_Armed.iNth = g_acCalls[enmEntry] + iNth;
    g_Armed.enmFault = enmFault;
    g_Armed.rc = rc;
    g_Armed.fFromThenOn = fFromThenOn;
}

unsigned StubFileFaults::Calls(StubFileEntry enmEntry) const {
    return g_acCalls[enmEntry];
}

const std::vector<uint32_t> &StubFileFaults::Sleeps() const {
    return g_Sleeps;
}

int StubFileFaults::OpenHandles() const {
    return g_cOpenHandles;
}

} // namespace stubtest
