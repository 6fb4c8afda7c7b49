// The running-programs check (the menu that waits for the suite's programs
// or lets the user quit), the stop for a question that gets no answer, and
// the end of a run that a check or an answer stops short.
#include "install/running.h"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#include "install/nls.h"
#include "support/mem.h"
#include "syscmd/log.h"
#include "syscmd/query.h"
#include "syscmd/run.h"

// Waiting for running programs: steps of this many seconds, at most this
// many steps for one choice of the wait.
constexpr unsigned WaitStepSeconds = 5;
constexpr int WaitSteps = 6;

char chContinueAnswer = 0;
char chRunningAnswer = 0;

void EndRunStopped(int status, int id, const char *arg) {
    const char *text = nlsSetupStrCvt(id);
    fprintf(stderr, text, arg);
    fflush(stderr);
    const char *what = id == MSG_STOP_INCOMPLETE ? "the installation is incomplete"
                       : id == MSG_STOP_REMOVAL  ? "nothing was removed"
                                                 : "nothing was installed";
    PutLogMsg("stopped with status %d, %s: ", status, what);
    PutLogMsg(text, arg);
    exit(status);
}

void EndForNoAnswer() {
    // A read cut short by a stop signal is no missing answer.
    StopIfInterrupted();
    fputs(nlsSetupStrCvt(MSG_NO_ANSWER), stderr);
    fflush(stderr);
    exit(1);
}

// Shows the running programs and the menu, and reads the reply character.
// The menu texts take no arguments and hold no "%", so they are written as
// they are.
// End of input is the answer to quit that could not be given: the run ends
// with status 1 after saying so on standard error.
// An answer given on the command line is taken instead: the list is shown
// without the menu, and nothing is read.
static char AskAboutRunningPrograms(const char *running) {
    fputs(nlsSetupStrCvt(MSG_RUNNING), stdout);
    printf("%s\n", running);
    if (chRunningAnswer != 0) {
        if (chRunningAnswer == '1') {
            printf(nlsSetupStrCvt(MSG_RUNNING_WAIT), "--running=wait");
        }
        fflush(stdout);
        return chRunningAnswer;
    }
    fputs(nlsSetupStrCvt(MSG_WOULD_YOU), stdout);
    fputs(nlsSetupStrCvt(MSG_CHOICE_WAIT), stdout);
    fputs(nlsSetupStrCvt(MSG_CHOICE_QUIT), stdout);
    fputs(nlsSetupStrCvt(MSG_SELECT), stdout);
    fflush(stdout);
    char reply = 0;
    if (scanf("%c%*c", &reply) < 1) {
        EndForNoAnswer();
    }
    return reply;
}

int QuitForRunningProcesses(const char *list) {
    for (;;) {
        char *running = CheckProcTableForExecs(list);
        if (running == nullptr) {
            return 0;
        }
        char reply = AskAboutRunningPrograms(running);
        PutMem(running);
        if (reply == '2') {
            return 1;
        }
        if (reply != '1') {
            continue;
        }
        for (int step = 0; step < WaitSteps; step++) {
            sleep(WaitStepSeconds);
            char *still = CheckProcTableForExecs(list);
            if (still == nullptr) {
                return 0;
            }
            PutMem(still);
        }
    }
}
