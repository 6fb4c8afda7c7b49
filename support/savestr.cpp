// Saved strings: printf-style formatting into allocator memory sized exactly
// to the result.
#include "support/savestr.h"

#include "support/mem.h"
#include "support/errors.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>

// Bytes of the scratch area for a format of formatLen characters: one 4096-
// byte page more than the format's whole pages, so 8192 for short formats.
static int64_t ScratchSize(size_t formatLen) {
    return (static_cast<int64_t>(formatLen / 4096) + 2) * 4096;
}

char *SaveStr(const char *format, ...) {
    va_list args;
    va_start(args, format);
    va_list measureArgs;
    va_copy(measureArgs, args);
    int n = vsnprintf(nullptr, 0, format, measureArgs);
    va_end(measureArgs);
    if (n < 0 || n == INT32_MAX) {
        // A text that cannot be formatted or sized is one we cannot hold.
        va_end(args);
        SysError("%s", OutOfMem);
    }

    // The scratch area grows beyond its usual size when the text needs it,
    // so the result is never cut.
    int64_t scratchSize = ScratchSize(strlen(format));
    if (scratchSize < static_cast<int64_t>(n) + 1)
        scratchSize = static_cast<int64_t>(n) + 1;
    char *scratch = scratchSize > INT32_MAX
                        ? nullptr
                        : static_cast<char *>(GetMem(static_cast<int32_t>(scratchSize)));
    if (scratch == nullptr) {
        va_end(args);
        SysError("%s", OutOfMem);
    }
    vsnprintf(scratch, static_cast<size_t>(scratchSize), format, args);
    va_end(args);

    char *result = static_cast<char *>(GetMem(n + 1));
    if (result == nullptr)
        SysError("%s", OutOfMem);
    memcpy(result, scratch, static_cast<size_t>(n));
    result[n] = '\0';
    PutMem(scratch);
    return result;
}
