// Creating, changing and removing files and directories through the commands
// of the command table.
#pragma once

// mkdir -p when dir is missing, then touch/chmod/chown/chgrp as given (mode 2).
void CreateFile(const char *dir, const char *name, const char *mode, const char *owner,
                const char *group);
// rm -rf of dir[/name] when it exists (mode 1).
void DeleteFile(const char *dir, const char *name);
