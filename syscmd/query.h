// Host queries built on ps, df, du and whoami.
#pragma once

#include "syscmd/run.h" // GetSysPsIdList, which the runner needs itself

struct DiskSpaceInfo {
    char DfLine[512]; // data line of the df output, as read
    double Avail;     // the figure under the header beginning with "avail"
};

// "name ( ids )\n" lines for the running programs of a comma list, or null.
char *CheckProcTableForExecs(const char *names);
// Fills info for the file system holding path; see the contract in query.cpp.
bool GetDiskSpace(const char *path, DiskSpaceInfo *info);
// First number of "du -s path".
double DUPath(const char *path);
// Allocator-owned user name (first line of whoami), or null when whoami
// cannot be run or prints nothing. Without whoami: "root" for uid 0, else
// "User ID:  <uid>".
char *GetUserName();
