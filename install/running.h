// The running-programs check and the stop for a question with no answer.
#pragma once

// 0 when none of the listed programs runs (now or after waiting), 1 when the
// user chose to quit. When no reply can be read (end of input) it says so on
// standard error and ends the run with status 1.
int QuitForRunningProcesses(const char *list);
// Ends the run with status 1 when a question gets no answer (end of standard
// input): says so in one line (message 2) on standard error.
[[noreturn]] void EndForNoAnswer();
