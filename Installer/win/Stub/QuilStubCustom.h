// The ".custom" directory: an administrator places it beside the stub's executable to ship
// site settings with it; the stub copies it whole into the extraction directory before any
// certificate is added or package installed, and the purge removes the copy again.
#pragma once

#include <qrt/types.h>

// Copies "<executable's directory>/.custom", when it is a directory, into pszExtractPath as its
// subdirectory ".custom", with the shell's file copy and without any dialog. The copy is
// recorded for the purge, which deletes it whole, unless something of that name was in the
// extraction directory before (then it is merged into and left, as the user's). Returns 0 (also
// when there is nothing to copy) or 1 after its message ("Copying the '.custom' dir failed:
// %#x" with the shell's error, "Unable to open the destination .custom directory: %Rrc", ...).
int CopyCustomDirectory(const char *pszExtractPath);

// Deletes the directory pszPath with everything in it, never following a directory link or
// reparse point: a link inside is removed itself, never what it points to; a link at pszPath is
// removed the same way. Something at pszPath that is not a directory or a link is left alone.
// Returns QINF_SUCCESS (also when pszPath is gone or was left alone), or the first failure
// (the rest is still tried; what failed stays, so a later call may finish the work).
int RemoveCustomCopy(const char *pszPath);
