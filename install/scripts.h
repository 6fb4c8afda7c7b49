// Generated scripts: the two print-queue interface scripts and wrapper commands.
#pragma once

extern const char ScriptShShell[];
extern const char ScriptCopyRight[];
extern const char VarenPrinttvxxScript[];
extern const char VarenVSFScript[];
extern const char SimpleScript[];

void createQueueScripts(const char *spool);
int generateVarenPrinttvxxScript(const char *path, const char *shell, const char *body);
int generateVarenVSFScript(const char *path, const char *shell, const char *body,
                           const char *spoolDir);
void GenSimpleScript(const char *path, const char *shell, const char *body, const char *a,
                     const char *b, const char *c);
