// The one check every reader of a file of the install medium makes first:
// root reads, copies or runs only the medium's own regular files.
#pragma once

// Whether dir/name may be read as a file of the medium dir: true for a
// regular file, or a link that resolves to a regular file inside dir (dir
// itself may be reached through links, /media/cdrom -> cdrom0); false when
// nothing is at dir/name (the caller's own handling of a missing file
// follows). Anything else ends the run with status 1 before a byte of it is
// read: message 74 names dir/name and what it is (a directory, a FIFO, a
// link that leads nowhere, to a directory, or out of dir, ...).
bool RequireMediumFile(const char *dir, const char *name);
// Copies dir/name as RequireMediumFile accepts it into the directory work
// (a new file work/name, made exclusively, with the file's permission bits
// and times), from the descriptor of the very file judged, never by its
// path again: logged as the command line "cp -p DIR/NAME WORK". A file
// changed between the check and the opening ends the run as
// RequireMediumFile does; a missing file or a failed copy ends it as a
// failed command does (status 1).
void CopyMediumFile(const char *dir, const char *name, const char *work);
// The whole of dir/name as RequireMediumFile accepts it, read through the
// descriptor of the very file judged (a saved text; the caller frees it with
// PutMem), or null when nothing is at dir/name. A file that was changed
// between the check and the opening ends the run as RequireMediumFile does.
char *ReadMediumFile(const char *dir, const char *name);
