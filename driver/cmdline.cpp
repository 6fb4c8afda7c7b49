// The installer's command line: an optional work-area directory, "install"
// followed by an installation base, and "-v" for the version, in any order.
#include "driver/cmdline.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

#include "driver/globals.h"
#include "install/nls.h"
#include "support/files.h"
#include "syscmd/fileops.h"
#include "support/savestr.h"
#include "support/token.h"

// The keywords, as a delimiter list, and their positions in it.
static constexpr char CommandKeywords[] = ",install,-v";
constexpr int KEY_INSTALL = 1;
constexpr int KEY_VERSION = 2;

static constexpr char SetupVersion[] = "3.01.67";

[[noreturn]] void RefusePath(const char *path) {
    printf(nlsSetupStrCvt(MSG_UNSAFE_PATH), path);
    fflush(stdout);
    exit(2);
}

// Walks the arguments as the parse below does and refuses any path that
// would be pasted into a command line, and the empty word (which names no
// directory), before any of them is used. Words after "-v" are never looked
// at, as in the parse.
static void CheckCommandLinePaths(int argc, char **argv) {
    for (int i = 1; i < argc; i++) {
        int key = FindToken(argv[i], CommandKeywords);
        if (key == KEY_VERSION) {
            return;
        }
        if (key == KEY_INSTALL) {
            if (i + 1 < argc) {
                i++;
                if (argv[i][0] == '\0' || !IsShellSafePath(argv[i])) {
                    RefusePath(argv[i]);
                }
            }
            continue;
        }
        if (argv[i][0] == '\0' || !IsShellSafePath(argv[i])) {
            RefusePath(argv[i]);
        }
    }
}

// True when dir holds nothing but slashes (or nothing): the root directory,
// which every host has but no directory listing shows.
static bool IsRootDirectory(const char *dir) {
    return dir[strspn(dir, "/")] == '\0';
}

// A saved copy of path; a relative path (not the empty word) is joined to the
// working directory. The installer changes its working directory before it
// uses these paths, so they must not depend on it. Refuses (status 2) a
// working directory the shell would interpret or that cannot be read.
static char *AbsolutePath(const char *path) {
    if (path[0] == '\0' || path[0] == '/') {
        return SaveStr("%s", path);
    }
    char cwd[512];
    if (getcwd(cwd, sizeof cwd) == nullptr) {
        RefusePath(path);
    }
    char *joined = SaveStr("%s/%s", strcmp(cwd, "/") == 0 ? "" : cwd, path);
    if (!IsShellSafePath(joined)) {
        RefusePath(joined);
    }
    return joined;
}

// A work-area directory DIR: the work area becomes DIR/VarenInstall, and DIR
// is created when it does not exist. Ends the run with status 2 when it still
// does not exist afterwards.
static void UseWorkAreaDirectory(const char *arg) {
    // Made absolute, a word beginning with "-" is never taken for an option.
    char *dir = AbsolutePath(arg);
    size_t len = strlen(dir);
    while (len > 0 && dir[len - 1] == '/') {
        dir[--len] = '\0';
    }
    pVarenInstallDir = SaveStr("%s/%sInstall", dir, "Varen");
    if (IsRootDirectory(dir) || FindFile(dir, "")) {
        pCreatedWorkDir = nullptr;
        return;
    }
    flCreatedTmpDir = 1;
    CreateFile(dir, nullptr, nullptr, nullptr, nullptr);
    if (!FindFile(dir, "")) {
        printf(nlsSetupStrCvt(MSG_CANT_OPEN), dir);
        printf("\n\n");
        fflush(stdout);
        exit(2);
    }
    pCreatedWorkDir = dir;
}

void parseCommandLineOptions(int argc, char **argv) {
    CheckCommandLinePaths(argc, argv);
    for (int i = 1; i < argc; i++) {
        int key = FindToken(argv[i], CommandKeywords);
        if (key == KEY_INSTALL) {
            if (i + 1 < argc) {
                i++;
                pCmdLineInstallDir = StripToBaseName(AbsolutePath(argv[i]));
            }
            continue;
        }
        if (key == KEY_VERSION) {
            fprintf(stderr, "%s %s\n", my_name, SetupVersion);
            exit(0);
        }
        UseWorkAreaDirectory(argv[i]);
    }
}
