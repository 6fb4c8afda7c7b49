// The installer's command line: an optional work-area directory, "install"
// followed by an installation base, "-v" for the version and the answers
// --yes, --no, --running=wait and --running=quit, in any order; "--version",
// "--help" and "-h" as administrators type them by habit.
#include "driver/cmdline.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "driver/place.h"
#include "install/nls.h"
#include "install/running.h"
#include "install/owndirs.h"
#include "support/errors.h"
#include "support/files.h"
#include "support/mem.h"
#include "support/noted.h"
#include "syscmd/cmdtable.h"
#include "syscmd/run.h"
#include "support/savestr.h"
#include "support/token.h"

// The keywords, as a delimiter list, and their positions in it.
static constexpr char CommandKeywords[] =
    ",install,-v,--version,-h,--help,--yes,--no,--running=wait,--running=quit,--medium,--allow-downgrade,"
    "--list,--verify,--remove,--purge";
constexpr int KEY_NONE = 0;
constexpr int KEY_INSTALL = 1;
constexpr int KEY_VERSION = 2;
constexpr int KEY_VERSION_LONG = 3;
constexpr int KEY_HELP = 4;
constexpr int KEY_HELP_LONG = 5;
constexpr int KEY_YES = 6;
constexpr int KEY_NO = 7;
constexpr int KEY_WAIT = 8;
constexpr int KEY_QUIT = 9;
constexpr int KEY_MEDIUM = 10;
constexpr int KEY_ALLOW_DOWNGRADE = 11;
constexpr int KEY_LIST = 12;
constexpr int KEY_VERIFY = 13;
constexpr int KEY_REMOVE = 14;
constexpr int KEY_PURGE = 15;
// Elements of a delimiter list.
static constexpr int ElementsOf(const char *list) {
    int count = 0;
    for (const char *c = list; *c != '\0'; c++) {
        count += *c == list[0] ? 1 : 0;
    }
    return count;
}
static_assert(ElementsOf(CommandKeywords) == KEY_PURGE, "one key per keyword");

// Whether the command line named the medium's directory, and allowed an
// older release.
static bool mediumGiven = false;
static bool downgradeAllowed = false;
// What the command line asks for (ACTION_INSTALL unless --list, --verify or
// --remove), and whether --purge came with --remove.
static int recordAction = ACTION_INSTALL;
static bool purgeGiven = false;

int RecordAction() {
    return recordAction;
}

bool PurgeGiven() {
    return purgeGiven;
}

bool MediumGiven() {
    return mediumGiven;
}

bool DowngradeAllowed() {
    return downgradeAllowed;
}

static constexpr char SetupVersion[] = "3.01.67";

// The keyword word names (the long spellings mapped to the short ones), or
// KEY_NONE.
static int KeywordOf(const char *word) {
    int key = FindToken(word, CommandKeywords);
    if (key == KEY_VERSION_LONG) {
        return KEY_VERSION;
    }
    if (key == KEY_HELP_LONG) {
        return KEY_HELP;
    }
    return key;
}

[[noreturn]] void RefusePath(const char *path) {
    printf(nlsSetupStrCvt(MSG_UNSAFE_PATH), path);
    ExitWhenWritten(stdout, 2);
}

// Prints the usage text to stream.
static void PrintUsage(FILE *stream) {
    fprintf(stream, nlsSetupStrCvt(MSG_USAGE), my_name);
}

// Ends the run with status 2 after message id (whose arguments, if any, are
// first and second) and the usage on standard error.
[[noreturn]] static void RefuseWithUsage(int id, const char *first, const char *second) {
    fprintf(stderr, nlsSetupStrCvt(id), first, second);
    PrintUsage(stderr);
    ExitWhenWritten(stderr, 2);
}

// Ends the run with status 2 for a word that looks like an option but is
// none (or a base that would read as one): message 23 and the usage on
// standard error.
[[noreturn]] static void RefuseOption(const char *word) {
    RefuseWithUsage(MSG_UNKNOWN_OPTION, word, word);
}

// Prints the version line on standard error and ends the run (status 0).
[[noreturn]] static void ShowVersion() {
    fprintf(stderr, "%s %s\n", my_name, SetupVersion);
    ExitWhenWritten(stderr, 0);
}

// The answers of the command line so far: the word that answered the
// continue question and the one that answered the running-programs menu.
struct Answers {
    const char *proceed = nullptr;
    const char *running = nullptr;
};

// Takes the answer word (of key KEY_YES to KEY_QUIT) into answers; a word
// that answers a question another word already answered differently ends
// the run with status 2 (message 42 and the usage).
static void TakeAnswer(Answers *answers, int key, const char *word) {
    const char **slot = key == KEY_YES || key == KEY_NO ? &answers->proceed : &answers->running;
    if (*slot != nullptr && KeywordOf(*slot) != key) {
        RefuseWithUsage(MSG_ANSWERS_CLASH, *slot, word);
    }
    *slot = word;
}

// The words of the command line that decide what the run does: the first
// of --list, --verify and --remove, --purge, and the first word that only an
// installation takes (a work-area directory, install, --medium,
// --allow-downgrade).
struct Actions {
    const char *action = nullptr;
    int key = KEY_NONE;
    const char *purge = nullptr;
    const char *installWord = nullptr;
};

// Takes the word of key into actions; a second, different one of --list,
// --verify and --remove ends the run with status 2 (message 92 and the
// usage).
static void TakeActionWord(Actions *actions, int key, const char *word) {
    if (key == KEY_LIST || key == KEY_VERIFY || key == KEY_REMOVE) {
        if (actions->action != nullptr && actions->key != key) {
            RefuseWithUsage(MSG_OPTIONS_CLASH, actions->action, word);
        }
        actions->action = word;
        actions->key = key;
    } else if (key == KEY_PURGE) {
        actions->purge = word;
    } else if (key == KEY_INSTALL || key == KEY_MEDIUM || key == KEY_ALLOW_DOWNGRADE) {
        actions->installWord = actions->installWord != nullptr ? actions->installWord : word;
    }
}

// Refuses (status 2, message 92 and the usage) a record action together with
// a word of an installation, and --purge without --remove; sets what the
// run does. A version request (versionAsked) is answered before any of this.
static void SettleActions(const Actions &actions, bool versionAsked) {
    if (versionAsked) {
        return;
    }
    if (actions.action != nullptr && actions.installWord != nullptr) {
        RefuseWithUsage(MSG_OPTIONS_CLASH, actions.action, actions.installWord);
    }
    if (actions.purge != nullptr && actions.key != KEY_REMOVE) {
        RefuseWithUsage(MSG_OPTIONS_CLASH, actions.purge, actions.action != nullptr ? actions.action : "install");
    }
    recordAction = actions.key == KEY_LIST     ? ACTION_LIST
                   : actions.key == KEY_VERIFY ? ACTION_VERIFY
                   : actions.key == KEY_REMOVE ? ACTION_REMOVE
                                               : ACTION_INSTALL;
    purgeGiven = actions.purge != nullptr;
}

// Refuses a directory word that begins with "-", is empty (it names no
// directory) or holds characters the shell would interpret.
static void CheckDirectoryWord(const char *word) {
    if (word[0] == '-') {
        RefuseOption(word);
    }
    if (word[0] == '\0' || !IsShellSafePath(word)) {
        RefusePath(word);
    }
}

// A saved copy of path; a relative path is joined to the working directory
// (of any length the system allows). The installer changes its working
// directory before it uses these paths, so they must not depend on it.
// Refuses (status 2) a working directory the shell would interpret or that
// cannot be read.
static char *AbsolutePath(const char *path) {
    if (path[0] == '/') {
        return SaveStr("%s", path);
    }
    char cwd[PATH_MAX];
    if (getcwd(cwd, sizeof cwd) == nullptr) {
        printf(nlsSetupStrCvt(MSG_CANT_OPEN), path);
        printf("\n\n");
        ExitWhenWritten(stdout, 2);
    }
    char *joined = SaveStr("%s/%s", strcmp(cwd, "/") == 0 ? "" : cwd, path);
    if (!IsShellSafePath(joined)) {
        RefusePath(joined);
    }
    return joined;
}

// Checks the chain of a work-area directory or base word from / down (and
// refuses it as RefuseChain says); the path with its links resolved, which
// must still be one the shell takes literally.
static void SettleDirectory(const char *path, DirChain *chain) {
    if (!CheckDirChain(path, chain)) {
        RefuseChain(*chain);
    }
    if (!IsShellSafePath(chain->resolved)) {
        RefusePath(chain->resolved);
    }
}

// The base named by word: made absolute and cut to its installation base,
// with its links resolved (a saved string). Its BASE/Varen is settled too.
static char *SettleBase(const char *word) {
    char *base = StripToBaseName(AbsolutePath(word));
    DirChain chain;
    SettleDirectory(base, &chain);
    base = StripToBaseName(SaveStr("%s", chain.resolved));
    char *vendor = SaveStr("%s/%s", base, "Varen");
    SettleDirectory(vendor, &chain);
    PutMem(vendor);
    return base;
}

void settleCommandLine(int argc, char **argv) {
    for (int i = 1; i < argc; i++) {
        int key = KeywordOf(argv[i]);
        if (key == KEY_VERSION) {
            break;
        }
        if (key == KEY_HELP) {
            PrintUsage(stdout);
            ExitWhenWritten(stdout, 0);
        }
        i += key == KEY_INSTALL || key == KEY_MEDIUM ? 1 : 0;
    }
    bool workArea = false;
    Answers answers;
    Actions actions;
    int end = argc;
    for (int i = 1; i < end; i++) {
        int key = KeywordOf(argv[i]);
        TakeActionWord(&actions, key, argv[i]);
        if (key == KEY_VERSION) {
            if (!workArea) {
                ShowVersion();
            }
            end = i;
        } else if (key == KEY_INSTALL) {
            if (i + 1 >= argc) {
                RefuseWithUsage(MSG_NO_BASE, nullptr, nullptr);
            }
            CheckDirectoryWord(argv[++i]);
        } else if (key >= KEY_YES && key <= KEY_QUIT) {
            TakeAnswer(&answers, key, argv[i]);
        } else if (key == KEY_MEDIUM) {
            if (i + 1 >= argc) {
                RefuseOption(argv[i]);
            }
            CheckDirectoryWord(argv[++i]);
        } else if (key == KEY_ALLOW_DOWNGRADE || key >= KEY_LIST) {
            continue;
        } else {
            CheckDirectoryWord(argv[i]);
            workArea = true;
            actions.installWord = actions.installWord != nullptr ? actions.installWord : argv[i];
        }
    }
    SettleActions(actions, end < argc);
    // Only now, with every word known to be a path, are the directories looked at.
    for (int i = 1; i < end; i++) {
        int key = KeywordOf(argv[i]);
        if (key == KEY_INSTALL) {
            if (i + 1 < end) {
                SettleBase(argv[++i]);
            }
            continue;
        }
        // The medium's directory is proven by its signed checksum file, not by its owner.
        if (key == KEY_MEDIUM) {
            i++;
            continue;
        }
        if (key >= KEY_YES) {
            continue;
        }
        DirChain chain;
        SettleDirectory(AbsolutePath(argv[i]), &chain);
    }
}

// A work-area directory DIR: the work area becomes DIR/VarenInstall, and DIR
// is created (MakeRunDirectory, logged commands) when it does not exist. Ends the
// run with status 2 when it still does not exist afterwards.
static void UseWorkAreaDirectory(const char *arg) {
    DirChain chain;
    SettleDirectory(AbsolutePath(arg), &chain);
    if (chain.exists) {
        pCreatedWorkDir = nullptr;
    } else {
        flCreatedTmpDir = 1;
        // A failure is answered below with status 2, as for a mkdir that made nothing.
        MakeRunDirectory(chain.resolved, MODE_WARN);
        // The work area's directory is no part of the installation.
        ForgetNoted();
        char *made = SaveStr("%s", chain.resolved);
        SettleDirectory(made, &chain);
        if (!chain.exists) {
            printf(nlsSetupStrCvt(MSG_CANT_OPEN), made);
            printf("\n\n");
            ExitWhenWritten(stdout, 2);
        }
        pCreatedWorkDir = made;
    }
    const char *dir = strcmp(chain.resolved, "/") == 0 ? "" : chain.resolved;
    pVarenInstallDir = SaveStr("%s/%sInstall", dir, "Varen");
}

// The medium at DIR: the install site becomes DIR, with its links resolved,
// instead of the installer's own directory. Ends the run with status 2 when
// DIR is no directory.
static void UseMediumDirectory(const char *arg) {
    char *path = AbsolutePath(arg);
    char resolved[PATH_MAX];
    struct stat st {};
    if (realpath(path, resolved) == nullptr || stat(resolved, &st) != 0 || !S_ISDIR(st.st_mode)) {
        printf(nlsSetupStrCvt(MSG_CANT_OPEN), path);
        printf("\n\n");
        ExitWhenWritten(stdout, 2);
    }
    if (!IsShellSafePath(resolved)) {
        RefusePath(resolved);
    }
    PutMem(path);
    pPathToSetup = SaveStr("%s", resolved);
    mediumGiven = true;
}

void parseCommandLineOptions(int argc, char **argv) {
    settleCommandLine(argc, argv);
    for (int i = 1; i < argc; i++) {
        int key = KeywordOf(argv[i]);
        if (key == KEY_INSTALL) {
            if (i + 1 < argc) {
                pCmdLineInstallDir = SettleBase(argv[++i]);
            }
            continue;
        }
        if (key == KEY_MEDIUM) {
            UseMediumDirectory(argv[++i]);
            continue;
        }
        if (key == KEY_ALLOW_DOWNGRADE) {
            downgradeAllowed = true;
            continue;
        }
        if (key >= KEY_LIST) {
            continue;
        }
        if (key == KEY_VERSION) {
            // A work-area directory made for this run stays: the version's
            // run has always left it.
            pCreatedWorkDir = nullptr;
            EndDotLine();
            ShowVersion();
        }
        if (key == KEY_YES || key == KEY_NO) {
            chContinueAnswer = key == KEY_YES ? 'y' : 'n';
            continue;
        }
        if (key == KEY_WAIT || key == KEY_QUIT) {
            chRunningAnswer = key == KEY_WAIT ? '1' : '2';
            continue;
        }
        UseWorkAreaDirectory(argv[i]);
    }
}
