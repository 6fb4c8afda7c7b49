// The directories a run works in: the work area's, the base's, the earlier
// installation's and /usr/Varen, each checked from / down before the run
// changes anything, and the refusal when one fails.
#include "driver/chains.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

#include "driver/place.h"
#include "install/nls.h"
#include "support/mem.h"
#include "support/savestr.h"

// Files that name the users and the groups: "name:password:id:...".
static constexpr char UserFile[] = "/etc/passwd";
static constexpr char GroupFile[] = "/etc/group";

// Writes the name of id from file (the first line whose third field is id)
// into out, or the number when no line names it.
static void NameOfId(const char *file, unsigned long id, char *out, size_t size) {
    snprintf(out, size, "%lu", id);
    char *text = ReadWholeFile(file, nullptr);
    if (text == nullptr) {
        return;
    }
    char number[32];
    snprintf(number, sizeof number, "%lu", id);
    size_t numberLen = strlen(number);
    for (const char *line = text; *line != '\0';) {
        size_t length = strcspn(line, "\n");
        size_t nameLength = strcspn(line, ":\n");
        // The field after the password, when the line has one.
        const char *password = line + nameLength;
        const char *idField =
            *password == ':' ? password + 1 + strcspn(password + 1, ":\n") : password;
        if (*idField == ':' && strncmp(idField + 1, number, numberLen) == 0 &&
            idField[1 + numberLen] == ':') {
            snprintf(out, size, "%.*s", static_cast<int>(nameLength), line);
            break;
        }
        line += length + (line[length] == '\n' ? 1 : 0);
    }
    PutMem(text);
}

// The mode as ls -l shows it: the type, then rwx three times with the
// set-id and sticky bits (drwxrwsr-x, lrwxrwxrwx).
static void ModeText(mode_t mode, char out[11]) {
    out[0] = S_ISDIR(mode)    ? 'd'
             : S_ISLNK(mode)  ? 'l'
             : S_ISFIFO(mode) ? 'p'
             : S_ISREG(mode)  ? '-'
                              : '?';
    static constexpr char Letters[] = "rwxrwxrwx";
    for (int i = 0; i < 9; i++) {
        out[1 + i] = (mode & (0400u >> i)) != 0 ? Letters[i] : '-';
    }
    if ((mode & S_ISUID) != 0) {
        out[3] = out[3] == 'x' ? 's' : 'S';
    }
    if ((mode & S_ISGID) != 0) {
        out[6] = out[6] == 'x' ? 's' : 'S';
    }
    if ((mode & S_ISVTX) != 0) {
        out[9] = out[9] == 'x' ? 't' : 'T';
    }
    out[10] = '\0';
}

void DescribeEntry(uid_t owner, gid_t group, mode_t mode, EntryText *text) {
    NameOfId(UserFile, owner, text->user, sizeof text->user);
    NameOfId(GroupFile, group, text->group, sizeof text->group);
    ModeText(mode, text->mode);
}

void RefuseChain(const DirChain &chain) {
    if (chain.fault == CHAIN_UNSAFE) {
        EntryText text;
        DescribeEntry(chain.owner, chain.group, chain.mode, &text);
        fprintf(stderr, nlsSetupStrCvt(MSG_UNSAFE_DIR), chain.where, text.user, text.group,
                text.mode);
        exit(1);
    }
    if (chain.fault == CHAIN_NOT_DIRECTORY) {
        fprintf(stderr, nlsSetupStrCvt(MSG_NOT_DIRECTORY), chain.where);
    } else {
        fprintf(stderr, nlsSetupStrCvt(MSG_CANT_OPEN), chain.where);
        fputs("\n", stderr);
    }
    exit(2);
}

// Checks the chain of path; ends the run for any fault when strict, else
// only for an entry someone else could change.
static void RequireChain(const char *path, bool strict) {
    DirChain chain;
    if (!CheckDirChain(path, &chain) && (strict || chain.fault == CHAIN_UNSAFE)) {
        RefuseChain(chain);
    }
}

void CheckRunDirectories() {
    // The work area is made anew by the run inside the directory that holds it.
    char *workDir = SaveStr("%s", pVarenInstallDir);
    char *slash = strrchr(workDir, '/');
    if (slash != nullptr) {
        slash[slash == workDir ? 1 : 0] = '\0';
    }
    RequireChain(workDir, true);
    PutMem(workDir);
    RequireChain("/usr/Varen", false);
    char *current = locatePreviousInstallation();
    if (current != nullptr) {
        char *app = SaveStr("%s/%s/%s", current, "Varen", "tvxx");
        RequireChain(app, false);
        PutMem(app);
        PutMem(current);
    }
}
