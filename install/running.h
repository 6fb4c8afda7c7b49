// The running-programs check and the stop for a question with no answer.
#pragma once

// Answers that the command line gave, as the reply each stands for; 0 while
// the question is to be asked on standard input.
extern char chContinueAnswer; // the continue question: 'y' (--yes), 'n' (--no)
extern char chRunningAnswer;  // the running-programs menu: '1' (--running=wait), '2' (=quit)

// 0 when none of the listed programs runs (now or after waiting), 1 when the
// user chose to quit. While they run, the list is shown with the menu, and
// the reply read; when no reply can be read (end of input) it says so on
// standard error and ends the run with status 1. With chRunningAnswer set
// the list is shown without the menu and nothing is read: '2' quits at once,
// '1' waits as the reply "1" does, again and again until they end.
int QuitForRunningProcesses(const char *list);
// Ends the run with status 1 when a question gets no answer (end of standard
// input): says so in one line (message 2) on standard error.
[[noreturn]] void EndForNoAnswer();

// Exit statuses of a run that stops short: a check refused it, or the
// user's answer chose the stop.
constexpr int STATUS_REFUSED = 1;
constexpr int STATUS_ANSWERED_STOP = 4;
// Ends the run with status after saying why in one line (message id, whose
// "%s", if it has one, takes arg) on standard error and in the log. The log's
// line begins with the status and whether anything was installed (or removed),
// in fixed words that do not depend on the language.
[[noreturn]] void EndRunStopped(int status, int id, const char *arg);
