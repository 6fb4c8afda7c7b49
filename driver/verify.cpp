// setup --list and setup --verify: the record read as root's, the recorded
// paths printed, or each recorded entry compared with what stands on the
// host now. Neither takes the lock, writes a log or changes anything.
#include "driver/verify.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "driver/record.h"
#include "support/inventory.h"
#include "support/mem.h"
#include "support/record_entry.h"

namespace {

// The nine columns of a line of --verify, in their order.
enum Column : int {
    COL_SIZE = 0,   // S
    COL_MODE = 1,   // M (type and permission bits)
    COL_DIGEST = 2, // 5
    COL_DEVICE = 3, // D
    COL_LINK = 4,   // L
    COL_USER = 5,   // U
    COL_GROUP = 6,  // G
    COL_TIME = 7,   // T
    COL_CAPS = 8,   // P
    COLUMNS = 9,
};
constexpr char COLUMN_LETTERS[] = "SM5DLUGTP";
static_assert(sizeof COLUMN_LETTERS == COLUMNS + 1, "one letter per column");

// Status of --verify when an entry differs.
constexpr int STATUS_DIFFERS = 1;

// Marks column c of flags: its letter when differs, "." when it matches.
void Mark(char *flags, int c, bool differs) {
    flags[c] = differs ? COLUMN_LETTERS[c] : '.';
}

// Fills the nine columns for the recorded entry r and the entry h found at
// its path. Columns of checks that do not apply to the entry stay ".";
// those of the recorded type that the present type cannot answer, or that
// this user cannot read, are "?".
void Compare(const RecordEntry &r, const HostEntry &h, char *flags) {
    memset(flags, '.', COLUMNS);
    flags[COLUMNS] = '\0';
    bool sameType = r.type == h.type;
    Mark(flags, COL_MODE, !sameType || r.mode != h.mode);
    Mark(flags, COL_USER, r.uid != h.uid);
    Mark(flags, COL_GROUP, r.gid != h.gid);
    if (r.type == 'l') {
        bool differs = h.target == nullptr || r.target == nullptr || strcmp(r.target, h.target) != 0;
        flags[COL_LINK] = !sameType ? '?' : (differs ? 'L' : '.');
    }
    if (r.type != 'f' || r.kind == KIND_RUNTIME) {
        return;
    }
    if (!sameType) {
        flags[COL_SIZE] = flags[COL_DIGEST] = flags[COL_TIME] = '?';
        return;
    }
    Mark(flags, COL_SIZE, r.size != h.size);
    Mark(flags, COL_TIME, r.mtime != h.mtime);
    flags[COL_DIGEST] = h.unreadable ? '?' : (strcmp(r.digest, h.sha256) != 0 ? '5' : '.');
}

// Whether a line of flags tells a difference (a letter), not only what could
// not be checked.
bool Differs(const char *flags) {
    return strspn(flags, ".?") != COLUMNS;
}

// Prints the escaped path of entry r.
void PrintPath(const RecordEntry &r) {
    char *path = EscapeRecordField(r.path);
    printf("%s\n", path);
    PutMem(path);
}

// Ends the run with status once standard output is written whole (a full
// disk or a closed pipe is a failure, status 1).
[[noreturn]] void ExitWritten(int status) {
    if (fflush(stdout) != 0 || ferror(stdout)) {
        exit(1);
    }
    exit(status);
}

} // namespace

void ListInstallation() {
    Record record;
    ReadTrustedRecord(&record);
    for (int i = 0; i < record.count; i++) {
        PrintPath(record.entries[i]);
    }
    FreeRecord(&record);
    ExitWritten(0);
}

void VerifyInstallation() {
    Record record;
    ReadTrustedRecord(&record);
    int status = 0;
    for (int i = 0; i < record.count; i++) {
        const RecordEntry &r = record.entries[i];
        HostEntry h{};
        bool inOpen = false;
        int found = ExamineEntry(r.path, r.type == 'f' && r.kind != KIND_RUNTIME, &h, &inOpen);
        char flags[COLUMNS + 1];
        if (found == EX_MISSING) {
            printf("missing   ");
            PrintPath(r);
            status = STATUS_DIFFERS;
            continue;
        }
        if (found == EX_DENIED) {
            memset(flags, '?', COLUMNS);
            flags[COLUMNS] = '\0';
        } else {
            Compare(r, h, flags);
        }
        PutMem(h.target);
        if (strspn(flags, ".") == COLUMNS) {
            continue;
        }
        status = Differs(flags) ? STATUS_DIFFERS : status;
        printf("%s %c ", flags, r.kind == KIND_CONFIG ? 'c' : ' ');
        PrintPath(r);
    }
    FreeRecord(&record);
    ExitWritten(status);
}
