// Host queries built on the runner: which of the suite's programs run, how
// much room a file system has (df), how much a tree takes (du), who runs the
// installer (whoami). The top of the command layer: nothing here is used below.
#include "support/errors.h"
#include "syscmd/query.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>
#include <unistd.h>

#include "support/mem.h"
#include "support/savestr.h"
#include "support/token.h"
#include "syscmd/cmdtable.h"
#include "syscmd/run.h"

// Field separators of ps and df output.
constexpr char FIELD_SEPARATORS[] = " \t\n";

char *CheckProcTableForExecs(const char *names) {
    if (!names)
        return nullptr;

    // The list is walked in place with pointers (no tokenizer cursor, which
    // GetSysPsIdList uses), and the report grows as a saved string, so lists
    // and reports of any length are complete.
    char *report = nullptr;
    int count = 0;
    const char *p = names;
    while (*p) {
        size_t len = strcspn(p, ",");
        if (len > 0) {
            char *name = SaveStr("%.*s", static_cast<int>(len), p);
            char *ids = GetSysPsIdList(name);
            if (ids) {
                char *longer = SaveStr("%s%s (%s)\n", report ? report : "", name, ids);
                PutMem(report);
                report = longer;
                PutMem(ids);
                count++;
            }
            PutMem(name);
        }
        p += len;
        if (*p == ',')
            p++;
    }
    return count > 0 ? report : nullptr;
}

// Column (from 0) of the first header field that begins with "avail" in any
// case, or -1.
static int AvailColumn(char *header) {
    char *save = nullptr;
    int column = 0;
    for (char *f = strtok_r(header, FIELD_SEPARATORS, &save); f;
         f = strtok_r(nullptr, FIELD_SEPARATORS, &save), column++) {
        if (strncasecmp(f, "avail", 5) == 0)
            return column;
    }
    return -1;
}

// The field at column (from 0) of line, cut in place, or null.
static char *FieldAt(char *line, int column) {
    char *save = nullptr;
    char *f = strtok_r(line, FIELD_SEPARATORS, &save);
    for (int i = 0; f && i < column; i++)
        f = strtok_r(nullptr, FIELD_SEPARATORS, &save);
    return f;
}

bool GetDiskSpace(const char *path, DiskSpaceInfo *info) {
    if (!info)
        return false;
    info->Avail = 0;
    if (!path)
        return false;

    ResponseLine *lines = GetCmdResponse(CMD_DF, nullptr, "%s", path);
    if (!lines)
        return false;

    bool answer = false;
    int column = AvailColumn(lines->pText);
    if (column >= 0) {
        ResponseLine *data = lines->pNextLine;
        if (!data) {
            answer = true;
        } else {
            // DfLine keeps the line as read; the response's copy is split.
            snprintf(info->DfLine, sizeof(info->DfLine), "%s", data->pText);
            char *field = FieldAt(data->pText, column);
            if (field) {
                info->Avail = strtod(field, nullptr);
                answer = true;
            }
        }
    }
    FreeResponseList(lines);
    return answer;
}

double DUPath(const char *path) {
    if (!path)
        return 0;
    ResponseLine *lines = GetCmdResponse(CMD_DU, nullptr, "%s", path);
    // No output (the path vanished, du failed): nothing to add to a total.
    double size = lines ? strtod(lines->pText, nullptr) : 0;
    FreeResponseList(lines);
    return size;
}

char *GetUserName() {
    if (!TestCmd(CMD_WHOAMI)) {
        uid_t uid = getuid();
        return uid == 0 ? SaveStr("root") : SaveStr("User ID:  %d", static_cast<int>(uid));
    }
    // Run like every other command: stopped with the run, never a reader of
    // the terminal.
    ResponseLine *lines = GetCmdResponse(CMD_WHOAMI, nullptr, "%s", "");
    if (!lines)
        return nullptr;
    lines->pText[strcspn(lines->pText, "\r\n")] = '\0';
    char *name = SaveStr("%s", lines->pText);
    FreeResponseList(lines);
    return name;
}
