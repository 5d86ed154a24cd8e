// Message boxes seen through Wine's relay trace. With RelayInclude set to the two box calls
// (EnableBoxTrace) and WINEDEBUG=-all,+relay in a program's environment, Wine writes a line
//   0024:Call user32.MessageBoxW(0001002c,0040c000 L"text",0040d000 L"title",00000010) ret=...
// to its standard error for each box; ParseBoxCalls reads those lines back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace e2e {

struct BoxCall {
    char api = 0;         // 'W' (MessageBoxW) or 'A' (MessageBoxA)
    uint32_t owner = 0;   // the owner window handle
    std::string text;     // UTF-8 (the wide text converted; the narrow one as its bytes)
    bool textCut = false; // Wine shortens long strings in its traces: text is a prefix
    std::string title;
    bool titleCut = false;
    uint32_t style = 0;
};

// Sets RelayInclude for this prefix's user (HKCU\Software\Wine\Debug); false when it cannot.
bool EnableBoxTrace();
// The lines of TRACE that record a box call, read into calls; other lines are ignored.
std::vector<BoxCall> ParseBoxCalls(const std::string &trace);
// Whether LINE is a relay trace line ("0024:Call ..." or "0024:Ret  ...").
bool IsTraceLine(const std::string &line);
// Whether the box shows TEXT: the same text, or, when the trace cut it, a prefix of TEXT of at
// least 200 bytes.
bool ShowsText(const BoxCall &box, const std::string &text);
// "W owner=set style=0x10 title=[..] text=[..]" ("owner=null" for none; "..." after a cut
// text), for comparing a call in one line.
std::string Describe(const BoxCall &box);

} // namespace e2e
