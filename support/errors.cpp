// The error reporters SysError and ErrorMsg, and the shared work buffer Line.
#include "support/globals.h"
#include "support/errors.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

char Line[LINE_SIZE];
void (*pRecordError)(const char *text) = nullptr;

void SysError(const char *format, ...) {
    // The writes below may change errno; the report is about the error before.
    int savedErrno = errno;
    fprintf(stderr, "\n%s: ", my_name != nullptr ? my_name : "");
    va_list args;
    va_start(args, format);
    vfprintf(stderr, format, args);
    va_end(args);
    fputs(" : ", stderr);
    errno = savedErrno;
    perror(nullptr);
    exit(1);
}

void EndDotLine() {
    if (!flDotLineOpen)
        return;
    fputs("\n", stdout);
    fflush(stdout);
    flDotLineOpen = 0;
}

void ErrorMsg(int type, int status, const char *format, ...) {
    va_list args;
    va_start(args, format);
    // Bounded: a longer message is cut at the end of Line.
    vsnprintf(Line, sizeof(Line), format, args);
    va_end(args);
    if (type == 1) {
        fprintf(stderr, "WARNING: %s\n", Line);
        return;
    }
    if (type == 2) {
        // The error that ends the run stands on a line of its own, not
        // behind the progress dots of a terminal shared by both streams.
        EndDotLine();
        fprintf(stderr, "ERROR: %s\n", Line);
        if (pRecordError != nullptr)
            pRecordError(Line);
        exit(status);
    }
}
