// The installation's record as text: its header lines and one line for
// every entry the suite consists of on this host, fields separated by tabs,
// names escaped so that any byte but NUL fits on one line.
#pragma once

#include <climits>
#include <cstddef>

// How a run came by an entry: made it (the suite's own, removed by a
// removal), only changed it (there before, left by a removal), or a made
// entry that a removal kept (tried again by the next one).
enum RecordHow : int {
    HOW_MADE = 0,
    HOW_CHANGED = 1,
    HOW_KEPT = 2,
};

// What the entry holds: the suite's content (everything checked), a file
// the package list edits (checked like content, shown as configuration), or
// data the suite changes while it works (type, mode, owner, group only).
enum RecordKind : int {
    KIND_CONTENT = 0,
    KIND_CONFIG = 1,
    KIND_RUNTIME = 2,
};

constexpr size_t RECORD_DIGEST_LEN = 64;
// Size and time fields of an entry that has none ("-").
constexpr long long RECORD_NONE = LLONG_MIN;

// One entry: type 'f', 'd' or 'l'; mode is st_mode & 07777. size, mtime and
// digest belong to regular files that are not runtime (RECORD_NONE and ""
// otherwise); target to links (null otherwise). path and target are saved
// strings, unescaped.
struct RecordEntry {
    RecordHow how;
    RecordKind kind;
    char type;
    unsigned mode;
    unsigned long uid;
    unsigned long gid;
    long long size;
    long long mtime;
    char digest[RECORD_DIGEST_LEN + 1];
    char *target;
    char *path;
};

// The whole record: its header values (saved strings, null when the line is
// missing) and its entries in the record's order.
struct Record {
    char *release;
    char *sums;
    char *state;
    char *app;
    RecordEntry *entries;
    int count;
};

// text escaped for a field (saved): a backslash is written "\\", every byte
// below 0x21 but the blank, and 0x7f, as a backslash and three octal digits;
// text that is exactly "-" as "\055".
char *EscapeRecordField(const char *text);
// The len bytes at field unescaped (saved), or null when they hold a
// backslash that is not followed by a backslash or three octal digits of a
// byte from 1 to 255, or an unescaped tab or newline.
char *UnescapeRecordField(const char *field, size_t len);

// The entry's line, without the newline (saved).
char *FormatRecordEntry(const RecordEntry &entry);
// Reads one entry line (without its newline) into entry; false, with
// nothing saved, when the line is not an entry line as FormatRecordEntry
// writes it: twelve fields, known words, an absolute path without an empty,
// "." or ".." component, numbers in range,
// fields that belong to the type and only those.
bool ParseRecordEntry(const char *line, RecordEntry *entry);
// Releases what an entry holds.
void FreeRecordEntry(RecordEntry *entry);

// Parses a whole record's text into record: header lines ("release V",
// "sums D", "state S", "app PATH") and entry lines in any order, entries kept
// in the text's order. False (with *badLine set to the 1-based number of the
// first line that is neither, or that repeats a header or a path) when the
// text cannot be trusted as a record; record then holds nothing.
bool ParseRecord(const char *text, Record *record, int *badLine);
// Releases what a record holds.
void FreeRecord(Record *record);
// The entry of record (sorted by path, as ParseRecord leaves it) at path, or
// null when it has none.
RecordEntry *FindRecordEntry(const Record &record, const char *path);
// The record as text (saved; null when memory runs out): its header lines,
// then its entries sorted by path in byte order (record's entries are sorted
// in place), so that a directory comes before what it holds.
char *FormatRecord(const Record &record);
