// The registry of noted entries: a table of saved paths and their flags,
// grown by doubling, looked up by a linear search (a run notes a few dozen).
#include "support/noted.h"

#include <climits>
#include <cstring>

#include "support/mem.h"
#include "support/savestr.h"

namespace {

struct Note {
    char *path;
    unsigned flags;
};

constexpr int FIRST_CAPACITY = 32;

Note *notes = nullptr;
int noteCount = 0;
int noteCapacity = 0;

// Index of path among the notes, or -1.
int FindNote(const char *path) {
    for (int i = 0; i < noteCount; i++) {
        if (strcmp(notes[i].path, path) == 0) {
            return i;
        }
    }
    return -1;
}

// Makes room for one more note; false when memory is refused.
bool Grow() {
    if (noteCount < noteCapacity) {
        return true;
    }
    int capacity = noteCapacity == 0 ? FIRST_CAPACITY : noteCapacity * 2;
    Note *larger = static_cast<Note *>(GetMem(capacity * static_cast<int>(sizeof(Note))));
    if (larger == nullptr) {
        return false;
    }
    if (noteCount > 0) {
        memcpy(larger, notes, noteCount * sizeof(Note));
    }
    PutMem(notes);
    notes = larger;
    noteCapacity = capacity;
    return true;
}

} // namespace

void NoteEntry(const char *path, unsigned flags) {
    if (path == nullptr || path[0] != '/' || strlen(path) >= PATH_MAX) {
        return;
    }
    int at = FindNote(path);
    if (at >= 0) {
        notes[at].flags |= flags;
        return;
    }
    if (!Grow()) {
        return;
    }
    notes[noteCount].path = SaveStr("%s", path);
    notes[noteCount].flags = flags;
    noteCount++;
}

void RenameNoted(const char *from, const char *to) {
    int at = FindNote(from);
    if (at < 0) {
        return;
    }
    unsigned flags = notes[at].flags;
    PutMem(notes[at].path);
    memmove(notes + at, notes + at + 1, (noteCount - at - 1) * sizeof(Note));
    noteCount--;
    NoteEntry(to, flags);
}

int NotedCount() {
    return noteCount;
}

const char *NotedPath(int index) {
    return index >= 0 && index < noteCount ? notes[index].path : nullptr;
}

unsigned NotedFlags(int index) {
    return index >= 0 && index < noteCount ? notes[index].flags : 0;
}

unsigned NotedFlagsOf(const char *path) {
    int at = FindNote(path);
    return at >= 0 ? notes[at].flags : 0;
}

void ForgetNoted() {
    for (int i = 0; i < noteCount; i++) {
        PutMem(notes[i].path);
    }
    PutMem(notes);
    notes = nullptr;
    noteCount = 0;
    noteCapacity = 0;
}
