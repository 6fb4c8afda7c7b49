// The directories root works in and those the run makes: how an entry is
// shown in messages, the refusal of a chain someone else can change, group
// root's members, and the making of directories one component at a time.
#pragma once

#include <sys/types.h>

#include "support/files.h"

// An entry's owner, group and mode as the installer's messages show them:
// names as getent gives them (the user and group files without getent;
// numbers when nothing names them), the mode as ls -l shows it (drwxrwsr-x,
// lrwxrwxrwx) with a "+" when the entry has an ACL.
struct EntryText {
    char user[64];
    char group[64];
    char mode[12];
};
// Fills text for the entry at path (null: nothing says whether it has an ACL).
void DescribeEntry(const char *path, uid_t owner, gid_t group, mode_t mode, EntryText *text);

// Shows on standard error, and in the log, which entry of a chain someone
// else can change (fault CHAIN_UNSAFE), its owner and mode and why: message
// 71 for an ACL entry, naming it; 72 for group root's other members, naming
// them; else 13.
void ShowUnsafeEntry(const DirChain &chain);
// Ends the run for a chain that CheckDirChain refused. Someone else could
// change an entry on the way: ShowUnsafeEntry, status 1. Otherwise the path
// names no usable directory (a word of the command line): message 15 for an
// entry that is no directory, message 3 for one that cannot be examined,
// status 2. Nothing is changed.
[[noreturn]] void RefuseChain(const DirChain &chain);

// The members of group root (gid 0) besides root and the running user, as a
// saved comma-separated list, or null when there are none: the members that
// every group line with id 0 names and the users whose primary group is 0,
// from "getent group", "getent passwd" and the group and user files alike
// (an id written "00" or "+0" is 0 too), each judged by its user id. A user
// whom a directory service does not enumerate is not seen.
char *FindGroupRootOthers();

// The mode of the installer's own directories that the group may write on a
// plain host: "775", or "755" while group root has other members (see
// pGroupRootOthers), which the log then says once.
const char *OwnDirMode();

// Makes dir, and every directory missing on the way to it, one component at
// a time with the mkdir command of the table (-m 755, so that an inherited
// default ACL lets nobody else write it meanwhile). Right after each
// component, made or found, the chain from / to it is checked: one that is
// not the run's own (another user made it first, or can change it) ends the
// run with message 73 on standard error and in the log, status 1, before
// anything is put in it. A made component is first given root's group and
// mode 755 without set-id bits (a set-group-id parent of another group hands
// down neither), then loses its default ACL and every inherited access entry
// that grants write (CloseAcl). A dir that exists is left as it is, once
// the way to it has passed the same check and it is root's (its own mode may
// let others write it, as root made it); anything else ends the run so.
// A directory that cannot be made (mkdir fails, or something that is no
// directory stands in the way) ends the run with status 1 in MODE_FATAL; in
// MODE_WARN the result is false.
bool MakeRunDirectory(const char *dir, int mode);
// Checks the chain from / to dir, made or found: one that someone else can
// change ends the run as in MakeRunDirectory, before anything is put in dir.
void RequireSafeDirectory(const char *dir);
// Checks the chain from / to dir, which the run has just made by other means
// (a copy); one that someone else can change ends the run as in
// MakeRunDirectory. Then takes every ACL entry that grants write off dir.
void RequireOwnDirectory(const char *dir);
// The installer's own directory dir: made as MakeRunDirectory says (a mkdir
// that fails ends the run), every ACL entry that grants write taken off it,
// also when an interrupted run made it, given root's group, then mode (a
// logged chmod).
void MakeOwnDirectory(const char *dir, const char *mode);
