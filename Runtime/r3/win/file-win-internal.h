// What the Windows path queries share with the file layer.
#pragma once

#include <qrt/file.h>

#include <windows.h>

// RTFileQueryInfo on a Windows handle, with the object's name (for the executable suffixes of
// the mode; may be null) and reparse tag.
int rtFileWinQueryInfo(HANDLE hFile, FsObjInfo *pObjInfo, FsObjAttrAdd enmAdditional, const char *pszName,
                       size_t cchName, uint32_t uReparseTag);
// The serial number of the volume holding the handle's object, 0 when it cannot be learnt.
uint32_t rtFileWinVolumeSerial(HANDLE hFile);
