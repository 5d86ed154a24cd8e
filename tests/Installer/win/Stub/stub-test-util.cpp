// The stub tests' box recorder and stream capture.
#include "Installer/win/Stub/stub-test-util.h"

#include "QuilStubMessages-internal.h"
#include "QuilStubSettings.h"

#include "Runtime/r3/testplatform.h"

#include <cerrno>
#include <cstring>

namespace stubtest {

namespace {

std::string g_Boxes;
unsigned g_cBoxes;
char g_chOwner;
StubBoxCalls g_SavedBoxCalls;

const char g_szTitle[] = "Quillarium Installer";

void *recGetDesktopWindow(void) {
    return &g_chOwner;
}

void recBox(const char *pszKind, void *hwndOwner, const std::string &Text, const std::string &Title, uint32_t fType) {
    char szStyle[16];
    snprintf(szStyle, sizeof(szStyle), "%x", (unsigned)fType);
    g_Boxes += std::string(pszKind) + "(" + szStyle;
    if (hwndOwner != &g_chOwner) g_Boxes += ",owner?";
    if (Title != g_szTitle) g_Boxes += ",title=" + Title;
    g_Boxes += ")[" + Text + "]";
    g_cBoxes++;
}

// UTF-16 to UTF-8 without the runtime, so the recorder does not depend on what it records.
std::string narrow(const RTUTF16 *pwsz) {
    std::string Str;
    for (; *pwsz; pwsz++) {
        uint32_t uc = *pwsz;
        if (uc >= 0xd800 && uc < 0xdc00 && pwsz[1] >= 0xdc00 && pwsz[1] < 0xe000)
            uc = 0x10000 + ((uc - 0xd800) << 10) + (*++pwsz - 0xdc00);
        if (uc < 0x80)
            Str += (char)uc;
        else if (uc < 0x800)
            Str += (char)(0xc0 | uc >> 6), Str += (char)(0x80 | (uc & 0x3f));
        else if (uc < 0x10000)
            Str += (char)(0xe0 | uc >> 12), Str += (char)(0x80 | ((uc >> 6) & 0x3f)), Str += (char)(0x80 | (uc & 0x3f));
        else
            Str += (char)(0xf0 | uc >> 18), Str += (char)(0x80 | ((uc >> 12) & 0x3f)),
                Str += (char)(0x80 | ((uc >> 6) & 0x3f)), Str += (char)(0x80 | (uc & 0x3f));
    }
    return Str;
}

int recMessageBoxW(void *hwndOwner, const RTUTF16 *pwszText, const RTUTF16 *pwszCaption, uint32_t fType) {
    errno = ENOENT; // as a platform call may leave it
    recBox("boxW", hwndOwner, narrow(pwszText), narrow(pwszCaption), fType);
    return -1;
}

int recMessageBoxA(void *hwndOwner, const char *pszText, const char *pszCaption, uint32_t fType) {
    errno = ENOENT;
    recBox("boxA", hwndOwner, pszText, pszCaption, fType);
    return -1;
}

std::string readAll(const std::string &Name) {
    std::string Str;
    if (FILE *pIn = fopen(Name.c_str(), "rb")) {
        char ach[4096];
        size_t cb;
        while ((cb = fread(ach, 1, sizeof(ach), pIn)) > 0) Str.append(ach, cb);
        fclose(pIn);
    }
    for (size_t off; (off = Str.find("\r\n")) != std::string::npos;) Str.erase(off, 1);
    return Str;
}

} // namespace

StubCapture::StubCapture() {
    g_Boxes.clear();
    g_cBoxes = 0;
    g_SavedBoxCalls = g_StubBoxCalls;
    g_StubBoxCalls = StubBoxCalls{recGetDesktopWindow, recMessageBoxW, recMessageBoxA};
    for (File *pFile : {&m_Out, &m_Err}) {
        pFile->Name = TestTempFileName("stubcapture");
        pFile->pFile = fopen(pFile->Name.c_str(), "w+b");
        rtStrmInitFile(&pFile->Strm, pFile->pFile);
        pFile->Strm.fRecheckMode = false;
    }
    m_pSavedOut = g_pStdOut;
    m_pSavedErr = g_pStdErr;
    g_pStdOut = &m_Out.Strm;
    g_pStdErr = &m_Err.Strm;
    silentMode = false;
    verbosity = 0;
}

StubCapture::~StubCapture() {
    g_pStdOut = m_pSavedOut;
    g_pStdErr = m_pSavedErr;
    g_StubBoxCalls = g_SavedBoxCalls;
    for (File *pFile : {&m_Out, &m_Err}) {
        rtStrmTerm(&pFile->Strm);
        if (pFile->pFile) fclose(pFile->pFile);
        remove(pFile->Name.c_str());
    }
    silentMode = false;
    verbosity = 0;
}

std::string StubCapture::Boxes() const {
    return g_Boxes;
}

unsigned StubCapture::BoxCount() const {
    return g_cBoxes;
}

std::string StubCapture::Out() {
    fflush(m_Out.pFile);
    return readAll(m_Out.Name);
}

std::string StubCapture::Err() {
    fflush(m_Err.pFile);
    return readAll(m_Err.Name);
}

std::string WithProgramName(const std::string &Expect) {
    std::string Out;
    for (size_t off = 0; off < Expect.size(); off++) {
        bool const fLineStart = off == 0 || Expect[off - 1] == '\n';
        if (fLineStart && Expect.compare(off, 2, "P:") == 0) {
            Out += TestProgramName();
            Out += ':';
            off++;
        } else
            Out += Expect[off];
    }
    return Out;
}

} // namespace stubtest

namespace stubtest {

namespace {
std::vector<std::pair<std::string, std::string>> g_FakeResources;
}

StubFakeResources::StubFakeResources() {
    m_Saved = g_StubPackageCalls;
    g_StubPackageCalls = StubPackageCalls{find, sizeOf, load, lock, lookupIsWow64};
    g_FakeResources.clear();
    s_fHost64 = true;
}

StubFakeResources::~StubFakeResources() {
    g_StubPackageCalls = m_Saved;
    g_FakeResources.clear();
}

void StubFakeResources::Add(const std::string &Name, const std::string &Data) {
    for (auto &Res : g_FakeResources)
        if (Res.first == Name) {
            Res.second = Data;
            return;
        }
    g_FakeResources.emplace_back(Name, Data);
}

void StubFakeResources::AddManifest(unsigned cPackages) {
    std::string Manifest("quil$tub\0\0\0\0\1\0\0\0", 16);
    Manifest += (char)cPackages;
    Manifest += std::string(3, '\0');
    Add("MANIFEST", Manifest);
}

void StubFakeResources::AddPackage(unsigned iPackage, uint8_t bArch, const std::string &FileName,
                                   const std::string &Payload) {
    char szHeader[16], szPayload[16];
    snprintf(szHeader, sizeof(szHeader), "HDR_%02u", iPackage);
    snprintf(szPayload, sizeof(szPayload), "BIN_%02u", iPackage);
    std::string Header(521, '\0');
    Header[0] = (char)bArch;
    Header.replace(1, strlen(szPayload), szPayload);
    Header.replace(261, FileName.size(), FileName);
    Add(szHeader, Header);
    Add(szPayload, Payload);
}

void *StubFakeResources::find(const RTUTF16 *pwszName) {
    std::string Name;
    for (; *pwszName; pwszName++) Name += *pwszName < 0x80 ? (char)*pwszName : '?';
    for (auto &Res : g_FakeResources)
        if (Res.first == Name) return &Res.second;
    return nullptr;
}

} // namespace stubtest
