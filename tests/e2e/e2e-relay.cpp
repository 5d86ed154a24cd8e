// Message boxes from Wine's relay trace: see e2e-relay.h.
#include "e2e-relay.h"
#include "e2e-process.h"

#include <windows.h>

#include <cstdio>

namespace e2e {

bool EnableBoxTrace() {
    HKEY hKey = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\Debug", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &hKey,
                        nullptr) != ERROR_SUCCESS)
        return false;
    static const wchar_t s_wszCalls[] = L"user32.MessageBoxW;user32.MessageBoxA";
    LONG const rc = RegSetValueExW(hKey, L"RelayInclude", 0, REG_SZ, (const BYTE *)s_wszCalls, sizeof(s_wszCalls));
    RegCloseKey(hKey);
    return rc == ERROR_SUCCESS;
}

bool IsTraceLine(const std::string &line) {
    size_t i = 0;
    while (i < line.size() && isxdigit((unsigned char)line[i])) i++;
    if (i < 4) return false;
    return line.compare(i, 5, ":Call") == 0 || line.compare(i, 4, ":Ret") == 0;
}

static int HexDigit(char ch) {
    if (ch >= '0' && ch <= '9') return ch - '0';
    if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
    if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
    return -1;
}

// Reads hex digits at *pPos; false when there are none.
static bool ReadHex(const std::string &s, size_t *pPos, uint32_t *pValue) {
    size_t i = *pPos;
    uint32_t value = 0;
    while (i < s.size() && HexDigit(s[i]) >= 0) value = value * 16 + (uint32_t)HexDigit(s[i++]);
    if (i == *pPos) return false;
    *pPos = i;
    *pValue = value;
    return true;
}

// Reads a string as Wine's debug output writes it: L"..." (escapes \n \r \t \" \\ and \XXXX
// for other characters) or "..." (\xNN), possibly followed by "..." when it was cut.
static bool ReadString(const std::string &s, size_t *pPos, bool fWide, std::string *pText, bool *pfCut) {
    size_t i = *pPos;
    if (fWide && (i >= s.size() || s[i++] != 'L')) return false;
    if (i >= s.size() || s[i++] != '"') return false;
    std::wstring wide;
    std::string narrow;
    for (;;) {
        if (i >= s.size()) return false;
        char ch = s[i++];
        if (ch == '"') break;
        unsigned value = (unsigned char)ch;
        if (ch == '\\') {
            if (i >= s.size()) return false;
            char const esc = s[i++];
            if (esc == 'n')
                value = '\n';
            else if (esc == 'r')
                value = '\r';
            else if (esc == 't')
                value = '\t';
            else if (esc == '"' || esc == '\\')
                value = (unsigned char)esc;
            else if (!fWide && esc == 'x' && i + 2 <= s.size() && HexDigit(s[i]) >= 0 && HexDigit(s[i + 1]) >= 0) {
                value = (unsigned)(HexDigit(s[i]) * 16 + HexDigit(s[i + 1]));
                i += 2;
            } else if (fWide && i + 3 <= s.size() && HexDigit(esc) >= 0 && HexDigit(s[i]) >= 0 &&
                       HexDigit(s[i + 1]) >= 0 && HexDigit(s[i + 2]) >= 0) {
                value = (unsigned)((HexDigit(esc) << 12) | (HexDigit(s[i]) << 8) | (HexDigit(s[i + 1]) << 4) |
                                   HexDigit(s[i + 2]));
                i += 3;
            } else
                return false;
        }
        if (fWide)
            wide += (wchar_t)value;
        else
            narrow += (char)value;
    }
    *pfCut = s.compare(i, 3, "...") == 0;
    if (*pfCut) i += 3;
    *pText = fWide ? WideToUtf8(wide) : narrow;
    *pPos = i;
    return true;
}

// Reads "HEX " (the pointer Wine prints before a string) and the string.
static bool ReadStringArg(const std::string &s, size_t *pPos, bool fWide, std::string *pText, bool *pfCut) {
    uint32_t pointer = 0;
    if (!ReadHex(s, pPos, &pointer) || *pPos >= s.size() || s[*pPos] != ' ') return false;
    ++*pPos;
    return ReadString(s, pPos, fWide, pText, pfCut);
}

static bool Expect(const std::string &s, size_t *pPos, char ch) {
    if (*pPos >= s.size() || s[*pPos] != ch) return false;
    ++*pPos;
    return true;
}

std::vector<BoxCall> ParseBoxCalls(const std::string &trace) {
    std::vector<BoxCall> calls;
    static const char s_szCall[] = "Call user32.MessageBox";
    size_t pos = 0;
    while ((pos = trace.find(s_szCall, pos)) != std::string::npos) {
        size_t i = pos + sizeof(s_szCall) - 1;
        pos = i;
        BoxCall box;
        if (i + 1 >= trace.size() || (trace[i] != 'W' && trace[i] != 'A') || trace[i + 1] != '(') continue;
        box.api = trace[i];
        i += 2;
        bool const fWide = box.api == 'W';
        if (ReadHex(trace, &i, &box.owner) && Expect(trace, &i, ',') &&
            ReadStringArg(trace, &i, fWide, &box.text, &box.textCut) && Expect(trace, &i, ',') &&
            ReadStringArg(trace, &i, fWide, &box.title, &box.titleCut) && Expect(trace, &i, ',') &&
            ReadHex(trace, &i, &box.style) && Expect(trace, &i, ')'))
            calls.push_back(box);
        pos = i;
    }
    return calls;
}

bool ShowsText(const BoxCall &box, const std::string &text) {
    if (!box.textCut) return box.text == text;
    return box.text.size() >= 200 && text.compare(0, box.text.size(), box.text) == 0;
}

std::string Describe(const BoxCall &box) {
    char szStyle[16];
    snprintf(szStyle, sizeof(szStyle), "0x%x", (unsigned)box.style);
    return std::string(1, box.api) + (box.owner ? " owner=set" : " owner=null") + " style=" + szStyle + " title=[" +
           box.title + (box.titleCut ? "...]" : "]") + " text=[" + box.text + (box.textCut ? "...]" : "]");
}

} // namespace e2e
