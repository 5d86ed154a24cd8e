// What the POSIX file, directory and path-query parts share.
#pragma once

#include <qrt/file.h>

#include <sys/stat.h>

// The mask of statx fields the fill below uses.
#define RTFS_POSIX_STATX_MASK (STATX_BASIC_STATS | STATX_BTIME)

// Fills *pObjInfo from a statx record, with the additional attributes enmAdditional asks for
// (Unix: owner, group, links, device and inode). The mode carries the Unix type and permissions
// and the Windows attributes that match them (directory, read-only, device, reparse point for a
// link, else normal).
void rtFsPosixObjInfoFromStatx(const struct statx *pStx, FsObjInfo *pObjInfo, FsObjAttrAdd enmAdditional);
