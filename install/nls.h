// Message tables of the six languages and the choice of language from LANG.
#pragma once

#include <cstdint>
#include <cstdio>

constexpr int NLS_COUNT = 107;
// Bytes that hold every text of one table converted to UTF-8 (each ISO
// 8859-1 byte at most two, terminators included); nls_tables.cpp asserts
// that every table fits.
constexpr int NLS_UTF8_AREA = 65536;

// Message ids the installer shows; the same id means the same message in
// every language table.
constexpr int MSG_UNSAFE_PATH = 1;       // "%s": a command-line path the shell would interpret
constexpr int MSG_NO_ANSWER = 2;         // no reply could be read from standard input
constexpr int MSG_CANT_OPEN = 3;         // "%s": work-area directory that cannot be made
constexpr int MSG_PLACE_FULL = 4;        // "%s": the install location has no room at all
constexpr int MSG_WORK_NOT_OWN = 5;      // "%s": the work area is not this run's own directory
constexpr int MSG_OTHER_RUN = 6;         // "%s": the lock file another run holds
constexpr int MSG_FAILED_STEPS = 7;      // "%d": how many steps failed, before the first of them
constexpr int MSG_SEE_LOG = 8;           // "%s": the log that holds every failure
constexpr int MSG_LONG_NAME = 9;         // "%s %d %s": list file, name limit, the name (cut)
constexpr int MSG_EMPTY_DISKS = 10;      // "%s": a list file that names no file
constexpr int MSG_NOT_PLAIN_NAME = 11;   // "%s %s": list file, the name
constexpr int MSG_BAD_PIECE = 12;        // "%s %s": the file, the checksum file
constexpr int MSG_UNSAFE_DIR = 13;       // "%s %s %s %s": directory, owner, group, mode as ls shows it
constexpr int MSG_LOCK_NOT_ROOTS = 14;   // "%s %s %s %s %lu": lock file, owner, group, mode, names
constexpr int MSG_NOT_DIRECTORY = 15;    // "%s": a command-line directory that is something else
constexpr int MSG_LOCK_FAILED = 16;      // "%s %s": lock file, the system's error text
constexpr int MSG_INTERRUPTED = 17;     // "%s %s": the stop signal's name, program name
constexpr int MSG_SPOOLER_UNDECIDED = 18; // "%s": .tv_cfg, which says CUPS
constexpr int MSG_NO_DISKS = 21;         // "%s": can't open the disks list
constexpr int MSG_USAGE = 22;            // "%s": the program's name; the usage text
constexpr int MSG_UNKNOWN_OPTION = 23;   // "%s %s": a word beginning with "-", twice
// Names of the long phases of a run, shown on a terminal (no arguments).
constexpr int MSG_PHASE_COPY = 24;    // copying the medium into the work area
constexpr int MSG_PHASE_CHECK = 25;   // checking the copies against the checksum file
constexpr int MSG_PHASE_UNPACK = 26;  // joining the pieces, uncompressing and unpacking
constexpr int MSG_PHASE_FILES = 27;   // carrying out the package list
constexpr int MSG_PHASE_SCRIPTS = 28; // the flags file and the interface scripts
constexpr int MSG_PHASE_UPGRADE = 29; // the suite's own upgrade (tvqadmin)
constexpr int MSG_STOP_SPACE = 30;       // the space checks refuse the run
constexpr int MSG_STOP_SIZES = 31;       // "%s": a size file that cannot be read
constexpr int MSG_STOP_NOT_ROOT = 32;    // the run is not root's
constexpr int MSG_STOP_ANSWERED = 33;    // stopped as answered before anything was installed
constexpr int MSG_STOP_INCOMPLETE = 34;  // stopped as answered at a checkps line, part-way
constexpr int MSG_NOT_ROOT = 35;         // "%s %s": user name, program name
constexpr int MSG_NOT_SIGNED = 36;       // "%s %s": the missing file, the trusted keys directory
constexpr int MSG_BAD_SIGNATURE = 37;    // "%s": the signature file
constexpr int MSG_UNKNOWN_KEY = 38;      // "%s %s": the checksum file, the trusted keys directory
constexpr int MSG_KEYS_DIR_UNSAFE = 39;  // "%s": the trusted keys directory
constexpr int MSG_BAD_KEY_FILE = 40;     // "%s": the entry of the trusted keys directory
constexpr int MSG_NOT_COVERED = 41;      // "%s %s": the listed file, the checksum file
constexpr int MSG_ANSWERS_CLASH = 42;    // "%s %s": two options, different answers to one question
constexpr int MSG_NO_BASE = 43;          // "install" as the last word, with no base after it
constexpr int MSG_WRITE_STDOUT = 44;     // "%s %s": program name, the system's error text
constexpr int MSG_WRITE_STDERR = 45;     // "%s %s": program name, the system's error text
constexpr int MSG_ANSWERED_YES = 46;     // "%s": the option that answered the continue question
constexpr int MSG_RUNNING_WAIT = 47;     // "%s": the option that answered the running-programs menu
constexpr int MSG_BAD_SUMS_LINE = 80;    // "%s %s": the checksum file, the name its line gives
constexpr int MSG_NUL_BYTE = 81;         // "%s": the checksum file or the signature
constexpr int MSG_REVOKED_KEY = 82;      // "%s": the signature file
constexpr int MSG_EXPIRED_KEY = 83;      // "%s": the signature file
constexpr int MSG_EXPIRED_SIG = 84;      // "%s": the signature file
constexpr int MSG_WEAK_DIGEST = 85;      // "%s": the signature file
constexpr int MSG_UNREADABLE_KEY = 86;   // "%s": the key file skipped (a warning)
constexpr int MSG_NO_GPGV = 87;          // "%s": the trusted keys directory
constexpr int MSG_DOWNGRADE = 88;        // "%s %s": the medium's release, the installed release
constexpr int MSG_DOWNGRADE_WARN = 89;   // "%s %s": the same, installed anyway (a warning)
constexpr int MSG_NOT_RECORDED = 90;     // no installation is recorded (a line of its own)
constexpr int MSG_RECORD_UNTRUSTED = 91; // "%s %s %s %s": the entry at fault, owner, group, mode
constexpr int MSG_RECORD_BAD_LINE = 93;  // "%s %d": the record, the number of its line
constexpr int MSG_OPTIONS_CLASH = 92;    // "%s %s": two words of the command line that exclude each other
constexpr int MSG_WORK_TOO_SMALL = 49;   // "%s %e": work area, size needed
constexpr int MSG_INST_TOO_SMALL = 55;   // "%s %e": install base, size needed
constexpr int MSG_SHARED_TOO_SMALL = 56; // "%s %s %e": work area, install base, size needed
constexpr int MSG_NO_VERSION = 60;
constexpr int MSG_OLD_DAEMON = 62; // "%s %s %s %s"
constexpr int MSG_CONTINUE = 63;   // the continue question
constexpr int MSG_NO_ISIZE = 65;   // a size file cannot be read
constexpr int MSG_RUNNING = 66;    // the running-programs menu, 66 to 70
constexpr int MSG_WOULD_YOU = 67;
constexpr int MSG_CHOICE_WAIT = 68;
constexpr int MSG_CHOICE_QUIT = 69;
constexpr int MSG_SELECT = 70;
constexpr int MSG_UNSAFE_ACL = 71;        // "%s %s %s %s %s": directory, owner, group, mode, ACL entry
constexpr int MSG_UNSAFE_GROUP_ROOT = 72; // "%s %s %s %s %s": directory, owner, group, mode, members
constexpr int MSG_MADE_NOT_OWN = 73;      // "%s %s %s %s": a directory being made, owner, group, mode
constexpr int MSG_NOT_MEDIUM_FILE = 74;  // "%s %s": the medium's file, what it is
constexpr int MSG_NO_LOG = 75;           // "%s": the log that could not be made or written whole
constexpr int MSG_NO_SPACE_LEFT = 76;    // "%s %s %s": mount point, the copy's place, the installation
constexpr int MSG_WORK_REFUSED = 77;     // "%s %s": work area, why (one of the reasons below)
constexpr int MSG_WHY_READ_ONLY = 78;    // the work area's file system is read-only
constexpr int MSG_WHY_NOT_DIR = 79;      // the work area, or a directory above it, is no directory
constexpr int MSG_WHY_NOT_OWN = 100;     // the work area is another user's, or can be replaced by one
constexpr int MSG_MOUNT_POINT = 101;     // "%s": an application directory that is a mount point
constexpr int MSG_NO_INSTALLATION = 102; // "%s": a directory at the fixed place without the suite
constexpr int MSG_STOP_REMOVAL = 104;    // a removal stopped as answered before anything was removed
constexpr int MSG_MOVED_SINCE = 105;     // "%s %s": the recorded application directory, where the fixed place leads
constexpr int MSG_REMOVAL_STOPPED = 106; // "%s %s": the stop signal's name, program name
constexpr int MSG_DANGLING_LINK = 103;   // "%s %s": the link at the fixed place, its text
// The removal of the suite (setup --remove).
constexpr int MSG_KEPT_CHANGED = 94;     // "%s": an entry kept, it changed since it was installed
constexpr int MSG_KEPT_FOREIGN = 95;     // "%s": an entry kept, it is not the suite's
constexpr int MSG_NOT_REMOVED = 96;      // "%s": an entry that could not be removed
constexpr int MSG_QUEUE_USES = 97;       // "%s %s %s": print queue, the file naming it, the filter
constexpr int MSG_REMOVED = 98;          // the suite is removed, nothing kept
constexpr int MSG_REMOVED_KEPT = 99;     // "%d %s": entries kept, the record that keeps them
extern const char *const NLS_ENGLISH[NLS_COUNT];
extern const char *const NLS_SPANISH[NLS_COUNT];
extern const char *const NLS_ITALIAN[NLS_COUNT];
extern const char *const NLS_FRENCH[NLS_COUNT];
extern const char *const NLS_GERMAN[NLS_COUNT];
extern const char *const NLS_PORTUGUESE[NLS_COUNT];

extern const char *const *pCurLang; // chosen table, null until the first request
extern uint8_t flUtf8Texts;         // the texts are handed out converted to UTF-8

// Text of message id (0..NLS_COUNT-1) in the language chosen from LANG on first use:
// the language part of LANG (cut at its first "." or "@", the letters before
// any "_": en, es, it, fr, de, pt, whatever the country) or one of the whole
// codes ge_GE and pr_BR; English for anything else or no LANG. When LANG's
// codeset is UTF-8 (".UTF-8", ".utf8", any case) the text is converted from
// ISO 8859-1 to UTF-8, else it is the table's own. Either way a text stays
// valid for the whole run. The first request also cuts the environment's
// LANG at its first ".", for the commands run later.
const char *nlsSetupStrCvt(int id);
// Names the phase of message id once as it begins, on the progress line, when
// standard output is a terminal; prints nothing otherwise, so that output
// read by a program stays as it was.
void ShowPhase(int id);

// Ends the run with status once what was written on stream (standard output
// or standard error) has reached it. When it could not be written the status
// is 1 instead, and the other stream says so in one line (when it can).
[[noreturn]] void ExitWhenWritten(FILE *stream, int status);
