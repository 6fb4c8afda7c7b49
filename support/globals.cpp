// Definitions of the run-wide globals; main writes them during start-up and
// every later step reads them.
#include "support/globals.h"

char *pVarenInstallDir = nullptr;
char *pPathToSetup = nullptr;
// The program's name until main takes it from argv[0].
static char defaultName[] = "setup";
char *my_name = defaultName;
char *pCmdLineInstallDir = nullptr;
char *pCurrentInstallDir = nullptr;
char *pTargetInstallDir = nullptr;
char *pAppDir = nullptr;
uint8_t flCreatedTmpDir = 0;
uint8_t flDotLineOpen = 0;
char *pCreatedWorkDir = nullptr;
const char pBinaryInstanceCheckList[] = ",tvadmin,tvqadmin,tolvar,tvrtvxxtty,TVQ,TVRM,vsf,";
char *pGroupRootOthers = nullptr;
