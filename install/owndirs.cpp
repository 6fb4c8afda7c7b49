// The directories root works in and those the run makes: names of owners and
// groups through getent, the refusals of a chain someone else can change,
// group root's other members, and directories made one component at a time,
// each checked right after it was made.
#include "install/owndirs.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "install/nls.h"
#include "support/errors.h"
#include "support/globals.h"
#include "support/mem.h"
#include "support/noted.h"
#include "support/savestr.h"
#include "syscmd/fileops.h"
#include "syscmd/cmdtable.h"
#include "syscmd/log.h"
#include "syscmd/run.h"

namespace {

// The databases of users and groups: getent's name for each, and the file
// read when getent is missing. Their lines are "name:password:id:...".
constexpr char USERS[] = "passwd";
constexpr char GROUPS[] = "group";
constexpr char USER_FILE[] = "/etc/passwd";
constexpr char GROUP_FILE[] = "/etc/group";
// Characters of group root's member list a message shows at most.
constexpr int MEMBERS_SHOWN = 200;

// The lines "getent DATABASE KEY" prints (KEY empty: all), or the whole file
// when getent is missing; allocator memory, null when nothing was read.
char *ReadDatabase(const char *database, const char *key) {
    if (!TestCmd(CMD_GETENT)) {
        return ReadWholeFile(strcmp(database, USERS) == 0 ? USER_FILE : GROUP_FILE, nullptr);
    }
    ResponseLine *lines = GetCmdResponse(CMD_GETENT, nullptr, "%s %s 2>/dev/null", database, key);
    // The lines joined in one piece, however many a directory service gives.
    size_t total = 1;
    for (ResponseLine *line = lines; line != nullptr; line = line->pNextLine) {
        total += strlen(line->pText);
    }
    char *text = total < INT32_MAX ? static_cast<char *>(GetMem(static_cast<int32_t>(total))) : nullptr;
    size_t used = 0;
    for (ResponseLine *line = lines; text != nullptr && line != nullptr; line = line->pNextLine) {
        size_t len = strlen(line->pText);
        memcpy(text + used, line->pText, len);
        used += len;
    }
    if (text != nullptr) {
        text[used] = '\0';
    }
    FreeResponseList(lines);
    return text;
}

// Field number field (0-based) of the ":"-separated line: its start, and its
// length in *len; null when the line has fewer fields.
const char *Field(const char *line, int field, size_t *len) {
    for (int i = 0; i < field; i++) {
        line += strcspn(line, ":\n");
        if (*line != ':') {
            return nullptr;
        }
        line++;
    }
    *len = strcspn(line, ":\n");
    return line;
}

// Whether the field is exactly text.
bool FieldIs(const char *field, size_t len, const char *text) {
    return field != nullptr && strlen(text) == len && strncmp(field, text, len) == 0;
}

// Whether the C library reads the id field as 0: blanks, a sign, then zeros
// alone ("0", "00", "+0"); any other digit gives an id that is not 0.
bool IdFieldIsZero(const char *field, size_t len) {
    size_t at = 0;
    while (field != nullptr && at < len && strchr(" \t\v\f\r", field[at]) != nullptr) {
        at++;
    }
    at += field != nullptr && at < len && (field[at] == '+' || field[at] == '-') ? 1 : 0;
    size_t zeros = field != nullptr ? strspn(field + at, "0") : 0;
    return zeros > 0 && at + zeros == len;
}

// Both texts one after the other, a line break between; allocator memory
// (null when both are null). Takes both.
char *JoinTexts(char *first, char *second) {
    size_t a = first != nullptr ? strlen(first) : 0;
    size_t b = second != nullptr ? strlen(second) : 0;
    size_t size = a + b + 2;
    char *text = size < INT32_MAX ? static_cast<char *>(GetMem(static_cast<int32_t>(size))) : nullptr;
    if (text != nullptr) {
        memcpy(text, first != nullptr ? first : "", a);
        text[a] = '\n';
        memcpy(text + a + 1, second != nullptr ? second : "", b);
        text[a + b + 1] = '\0';
    }
    PutMem(first);
    PutMem(second);
    return text;
}

// Every line of the database: getent's enumeration and the file's lines,
// since a second line with the same id may stand behind the one a lookup by
// number gives, and getent may be missing.
char *ReadEveryLine(const char *database) {
    char *all = TestCmd(CMD_GETENT) ? ReadDatabase(database, "") : nullptr;
    const char *file = strcmp(database, USERS) == 0 ? USER_FILE : GROUP_FILE;
    return JoinTexts(all, ReadWholeFile(file, nullptr));
}

// The start of the line after line, or null at the end.
const char *NextLine(const char *line) {
    line += strcspn(line, "\n");
    return *line == '\n' ? line + 1 : nullptr;
}

// Copies the name field of line into out, each byte that is not printable
// ASCII (or a ":") shown as "?", cut to fit.
void CopyName(const char *line, char *out, size_t size) {
    size_t len = strcspn(line, ":\n");
    size_t i = 0;
    for (; i < len && i + 1 < size; i++) {
        unsigned char c = static_cast<unsigned char>(line[i]);
        out[i] = c > ' ' && c < 127 ? static_cast<char>(c) : '?';
    }
    out[i] = '\0';
}

// The name of id in database (users or groups), or the number when nothing
// names it.
void NameOfId(const char *database, unsigned long id, char *out, size_t size) {
    char number[32];
    snprintf(number, sizeof number, "%lu", id);
    snprintf(out, size, "%s", number);
    char *text = ReadDatabase(database, number);
    for (const char *line = text; line != nullptr && *line != '\0'; line = NextLine(line)) {
        size_t len = 0;
        const char *field = Field(line, 2, &len);
        if (FieldIs(field, len, number) && line[0] != ':') {
            CopyName(line, out, size);
            break;
        }
    }
    PutMem(text);
}

// The mode as ls -l shows it: the type, then rwx three times with the
// set-id and sticky bits (drwxrwsr-x, lrwxrwxrwx).
void ModeText(mode_t mode, char out[11]) {
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

// The ACL entry as getfacl shows it: "user:NAME:rwx", "group:NAME:rw-".
void AclEntryText(const AclEntry &entry, char *out, size_t size) {
    bool user = entry.tag == ACL_TAG_USER;
    char name[64];
    NameOfId(user ? USERS : GROUPS, entry.id, name, sizeof name);
    snprintf(out, size, "%s:%s:%c%c%c", user ? "user" : "group", name,
             (entry.perm & ACL_READ) != 0 ? 'r' : '-', (entry.perm & ACL_WRITE) != 0 ? 'w' : '-',
             (entry.perm & ACL_EXECUTE) != 0 ? 'x' : '-');
}

// The user id the users' text gives name, or -1 when no line names it.
long UidOfName(const char *users, const char *name) {
    for (const char *line = users; line != nullptr && *line != '\0'; line = NextLine(line)) {
        size_t len = 0;
        const char *uid = Field(line, 2, &len);
        if (uid != nullptr && strcspn(line, ":\n") == strlen(name) &&
            strncmp(line, name, strlen(name)) == 0) {
            return strtol(uid, nullptr, 10);
        }
    }
    return -1;
}

// Appends name (len characters) to the saved comma list *list unless it is
// root, the running user or there already; a byte that is not printable
// ASCII is kept as "?".
void AddMember(char **list, const char *users, const char *name, size_t len) {
    char *one = SaveStr("%.*s", static_cast<int>(len), name);
    long uid = UidOfName(users, one);
    char *within = *list != nullptr ? SaveStr(",%s,", *list) : nullptr;
    char *marked = SaveStr(",%s,", one);
    bool known = within != nullptr && strstr(within, marked) != nullptr;
    if (len > 0 && uid != 0 && uid != static_cast<long>(geteuid()) && !known) {
        // Kept as messages show it: a byte that is not printable becomes "?".
        for (char *c = one; *c != '\0'; c++) {
            *c = *c > ' ' && *c < 127 ? *c : '?';
        }
        char *longer = *list != nullptr ? SaveStr("%s,%s", *list, one) : SaveStr("%s", one);
        PutMem(*list);
        *list = longer;
    }
    PutMem(marked);
    PutMem(within);
    PutMem(one);
}

// Makes the directory the run has just made at path root's group's, 0755
// without set-id bits, and without an ACL entry that grants write: a
// set-group-id parent of another group hands it neither that group nor the
// bit. One that is not the running user's directory (someone made it first)
// is left for the check to refuse.
void TakeMadeDirectory(const char *path) {
    struct stat st;
    if (lstat(path, &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != geteuid()) {
        return;
    }
    if (st.st_gid != 0 && lchown(path, static_cast<uid_t>(-1), 0) != 0) {
        return;
    }
    if (chmod(path, 0755) == 0) {
        CloseAcl(path);
    }
}

// Ends the run with message 73 for an entry on the way to a directory the
// run was making; the log says it too.
[[noreturn]] void RefuseMade(const DirChain &chain) {
    EntryText text;
    DescribeEntry(chain.where, chain.owner, chain.group, chain.mode, &text);
    EndDotLine();
    const char *message = nlsSetupStrCvt(MSG_MADE_NOT_OWN);
    fprintf(stderr, message, chain.where, text.user, text.group, text.mode);
    PutLogMsg(message, chain.where, text.user, text.group, text.mode);
    exit(1);
}

} // namespace

void DescribeEntry(const char *path, uid_t owner, gid_t group, mode_t mode, EntryText *text) {
    NameOfId(USERS, owner, text->user, sizeof text->user);
    NameOfId(GROUPS, group, text->group, sizeof text->group);
    ModeText(mode, text->mode);
    if (path != nullptr && !S_ISLNK(mode) && HasAcl(path)) {
        text->mode[10] = '+';
        text->mode[11] = '\0';
    }
}

void ShowUnsafeEntry(const DirChain &chain) {
    EntryText text;
    DescribeEntry(chain.where, chain.owner, chain.group, chain.mode, &text);
    char why[256];
    int id = MSG_UNSAFE_DIR;
    why[0] = '\0';
    if (chain.why == WHY_ACL) {
        id = MSG_UNSAFE_ACL;
        AclEntryText(chain.acl, why, sizeof why);
    } else if (chain.why == WHY_GROUP_ROOT) {
        id = MSG_UNSAFE_GROUP_ROOT;
        snprintf(why, sizeof why, "%.*s", MEMBERS_SHOWN, pGroupRootOthers ? pGroupRootOthers : "");
    }
    // Message 13 takes four words; a fifth is passed over.
    const char *message = nlsSetupStrCvt(id);
    EndDotLine();
    fprintf(stderr, message, chain.where, text.user, text.group, text.mode, why);
    PutLogMsg(message, chain.where, text.user, text.group, text.mode, why);
}

void RefuseChain(const DirChain &chain) {
    if (chain.fault == CHAIN_UNSAFE) {
        ShowUnsafeEntry(chain);
        ExitWhenWritten(stderr, 1);
    }
    if (chain.fault == CHAIN_NOT_DIRECTORY) {
        fprintf(stderr, nlsSetupStrCvt(MSG_NOT_DIRECTORY), chain.where);
    } else {
        fprintf(stderr, nlsSetupStrCvt(MSG_CANT_OPEN), chain.where);
        fputs("\n", stderr);
    }
    ExitWhenWritten(stderr, 2);
}

char *FindGroupRootOthers() {
    char *users = ReadEveryLine(USERS);
    char *groups = ReadEveryLine(GROUPS);
    char *list = nullptr;
    // Users whose primary group is root's.
    for (const char *line = users; line != nullptr && *line != '\0'; line = NextLine(line)) {
        size_t len = 0;
        const char *gid = Field(line, 3, &len);
        if (IdFieldIsZero(gid, len)) {
            AddMember(&list, users, line, strcspn(line, ":\n"));
        }
    }
    // The members that group root's lines name.
    for (const char *line = groups; line != nullptr && *line != '\0'; line = NextLine(line)) {
        size_t len = 0;
        const char *gid = Field(line, 2, &len);
        const char *members = IdFieldIsZero(gid, len) ? Field(line, 3, &len) : nullptr;
        for (size_t at = 0; members != nullptr && at < len;) {
            size_t one = strcspn(members + at, ",:\n");
            one = one < len - at ? one : len - at;
            AddMember(&list, users, members + at, one);
            at += one + 1;
        }
    }
    PutMem(groups);
    PutMem(users);
    return list;
}

const char *OwnDirMode() {
    static bool said = false;
    if (pGroupRootOthers == nullptr) {
        return "775";
    }
    if (!said) {
        said = true;
        PutLogMsg("group root has members besides root (%.*s): the installer's own directories "
                  "get mode 755, not 775\n",
                  MEMBERS_SHOWN, pGroupRootOthers);
    }
    return "755";
}

bool MakeRunDirectory(const char *dir, int mode) {
    struct stat st;
    DirChain chain;
    if (stat(dir, &st) == 0 && S_ISDIR(st.st_mode)) {
        // A directory that stands there already is used only when nobody
        // else can change the way to it and it is root's: someone may have
        // made it first, between the command line's check and now. Its own
        // mode may let others write it when root made it so (the download
        // directory, a 777 directory of the package list, found by a rerun).
        if (!CheckDirChain(dir, &chain) && chain.fault == CHAIN_UNSAFE &&
            !(strcmp(chain.where, chain.resolved) == 0 && chain.why == WHY_MODE && chain.owner == 0)) {
            RefuseMade(chain);
        }
        return true;
    }
    const char *cannot = "couldn't make the directory %s";
    if (!CheckDirChain(dir, &chain)) {
        if (chain.fault == CHAIN_UNSAFE) {
            RefuseMade(chain);
        }
        // Something that is no directory, or cannot be examined, stands in the way.
        if (mode == MODE_FATAL) {
            ErrorMsg(2, 1, cannot, dir);
        }
        return false;
    }
    char *path = SaveStr("%s", chain.resolved);
    // The resolved path goes into command lines as the words given do.
    if (!IsShellSafePath(path)) {
        EndDotLine();
        printf(nlsSetupStrCvt(MSG_UNSAFE_PATH), path);
        exit(1);
    }
    bool made = true;
    // Each component in turn: path is cut behind it while it is made and checked.
    for (char *end = path + 1; made;) {
        end += strcspn(end, "/");
        char kept = *end;
        *end = '\0';
        bool missing = lstat(path, &st) != 0;
        if (missing) {
            made = SysCmd(CMD_MKDIR, mode, "-m 755 %s", path) == 0;
            TakeMadeDirectory(path);
            if (made) {
                NoteEntry(path, NOTE_MADE);
            }
        }
        DirChain step;
        bool own = CheckDirChain(path, &step);
        if (!own && step.fault == CHAIN_UNSAFE) {
            RefuseMade(step);
        }
        made = made && own && step.exists;
        *end = kept;
        if (kept == '\0') {
            break;
        }
        end++;
    }
    if (!made && mode == MODE_FATAL) {
        ErrorMsg(2, 1, cannot, path);
    }
    PutMem(path);
    return made;
}

void RequireSafeDirectory(const char *dir) {
    DirChain chain;
    if (!CheckDirChain(dir, &chain) && chain.fault == CHAIN_UNSAFE) {
        RefuseMade(chain);
    }
}

void RequireOwnDirectory(const char *dir) {
    RequireSafeDirectory(dir);
    CloseAcl(dir);
}

void MakeOwnDirectory(const char *dir, const char *mode) {
    MakeRunDirectory(dir, MODE_FATAL);
    CloseAcl(dir);
    // Its mode may open it to its group: that group is root's.
    struct stat st;
    if (lstat(dir, &st) == 0 && S_ISDIR(st.st_mode) && st.st_gid != 0 &&
        lchown(dir, static_cast<uid_t>(-1), 0) != 0) {
        ErrorMsg(2, 1, "couldn't give %s root's group", dir);
    }
    CreateFile(dir, nullptr, mode, nullptr, nullptr);
}
