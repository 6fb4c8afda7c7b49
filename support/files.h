// File and path operations: splitting paths, existence by directory listing,
// reading input files, writing text files.
#pragma once

#include <cstdio>
#include <dirent.h>

constexpr int LINEBUF_SIZE = 4096;
// The shared line and file buffer; each use overwrites the last.
extern char LineBuf[LINEBUF_SIZE];

extern const char common_115[]; // "can't open file, %s"
extern const char common_114[]; // "ERROR: can't open file, %s\n"
extern const char common_007[]; // "ERROR: couldn't open %s\n"

// Last component of path, in a 128-character buffer of its own.
const char *StripPath(const char *path);
// Directory part of path, in a 256-character buffer of its own.
const char *StripFn(const char *path);
// " . .. name1 name2 " listing of dir (allocator-owned), or null.
char *GetDirFileList(const char *dir);
// Name of the next entry of an open directory stream, or null.
const char *ReadDir(DIR *handle);
// Whether the entry exists: exact, case-sensitive, by listing the parent.
bool FindFile(const char *dir, const char *name);
// 0 missing, 1 directory, 2 symbolic link, 3 anything else (lstat).
int GetFileType(const char *path);
// True when the program runs as root, when nothing is at path, or when the
// entry at path (not followed) belongs to the running user: whether this run
// may remove what is there.
bool OwnedByThisUser(const char *path);
// Removes the entry at path without following any link: a file, a link or a
// whole directory tree (through descriptors, never by name below path).
// True when nothing is left at path.
bool RemoveEntry(const char *path);
// Opens path with mode after closing stream; report 2 ends the run, 1 writes
// a line on standard error, else silent. Null on failure.
FILE *OpenFile(FILE *stream, const char *path, const char *mode, int report);
// Makes path the current input file; severity 2 ends the run (status 0).
bool OpenInputFile(const char *path, int severity);
// Next logical line into LineBuf (510-character pieces, backslash-newline
// joins the next line). False at the end, which closes the file.
bool GetFileLine();
void CloseInputFile();
// Reads at most 4095 bytes of dir/name (or dir alone) into LineBuf.
bool GetFileContent(const char *dir, const char *name);
bool CreateTextFile(const char *path, const char *mode, int permissions, const char *format, ...)
    __attribute__((format(printf, 4, 5)));
// Nearest existing path (saved string); *flag = 1 when that is path itself.
char *FindExistingPath(const char *path, int *flag);
double MaxD(double a, double b);
