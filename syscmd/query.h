// Host queries built on ps, df and du.
#pragma once

struct DiskSpaceInfo {
    char DfLine[512]; // data line of the df output, as read
    double Avail;     // the figure under the header beginning with "avail"
};

// " 812 907 " style list of ids of processes whose command name is exactly
// name, or null (allocator-owned).
char *GetSysPsIdList(const char *name);
// "name ( ids )\n" lines for the running programs of a comma list, or null.
char *CheckProcTableForExecs(const char *names);
// Fills info for the file system holding path; see the contract in query.cpp.
bool GetDiskSpace(const char *path, DiskSpaceInfo *info);
// First number of "du -s path".
double DUPath(const char *path);
