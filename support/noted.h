// The entries a run makes or writes for the suite outside its application
// directory (and the kinds of some inside it), noted where they are made, so
// that the record of the installation can be built from the host at the end.
#pragma once

// What the run knows of a noted entry; the flags of one path noted twice are
// joined.
constexpr unsigned NOTE_MADE = 1;    // the run made it, or it is the suite's own
constexpr unsigned NOTE_CONFIG = 2;  // a file whose content the run edited (sed)
constexpr unsigned NOTE_RUNTIME = 4; // a file the suite changes while it works
constexpr unsigned NOTE_TREE = 8;    // everything below the directory belongs to it too

// Notes path (absolute) with flags. A path that is not absolute, or longer
// than the limit of a path, is not noted.
void NoteEntry(const char *path, unsigned flags);
// Moves the note of from (when there is one) to to: an entry renamed after
// it was noted.
void RenameNoted(const char *from, const char *to);
// Number of noted paths, and the path and flags of the index-th (in the order
// of their first note).
int NotedCount();
const char *NotedPath(int index);
unsigned NotedFlags(int index);
// The flags noted for path, 0 when it was not noted.
unsigned NotedFlagsOf(const char *path);
// Forgets every note.
void ForgetNoted();
