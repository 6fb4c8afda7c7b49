// Creating, changing and removing files and directories through the commands
// of the command table (mkdir, touch, chmod, chown, chgrp, rm).
#include "syscmd/fileops.h"

#include "support/files.h"
#include "support/mem.h"
#include "support/savestr.h"
#include "syscmd/cmdtable.h"
#include "syscmd/run.h"

void CreateFile(const char *dir, const char *name, const char *mode, const char *owner,
                const char *group) {
    if (!dir)
        return;
    if (!FindFile(dir, nullptr))
        SysCmd(CMD_MKDIR, MODE_FATAL, "%s", dir);

    char *target = name ? SaveStr("%s/%s", dir, name) : SaveStr("%s", dir);
    if (name)
        SysCmd(CMD_TOUCH, MODE_FATAL, "%s", target);
    if (mode)
        SysCmd(CMD_CHMOD, MODE_FATAL, "%s %s", mode, target);
    if (owner)
        SysCmd(CMD_CHOWN, MODE_FATAL, "%s %s", owner, target);
    if (group)
        SysCmd(CMD_CHGRP, MODE_FATAL, "%s %s", group, target);
    PutMem(target);
}

void DeleteFile(const char *dir, const char *name) {
    if (!dir) {
        dir = name;
        name = nullptr;
    }
    if (!dir || !FindFile(dir, name))
        return;
    SysCmd(CMD_RM_R, MODE_WARN, "%s%s%s", dir, name ? "/" : "", name ? name : "");
}
