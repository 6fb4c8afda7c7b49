// Words for messages about refused things: entry kinds and quoted prefixes.
#include "support/describe.h"

#include <cstdio>
#include <sys/stat.h>

const char *EntryKindName(mode_t mode) {
    if (S_ISREG(mode))
        return "a regular file";
    if (S_ISDIR(mode))
        return "a directory";
    if (S_ISLNK(mode))
        return "a symbolic link";
    if (S_ISFIFO(mode))
        return "a FIFO";
    if (S_ISSOCK(mode))
        return "a socket";
    if (S_ISCHR(mode))
        return "a character device";
    if (S_ISBLK(mode))
        return "a block device";
    return "an entry of unknown type";
}

// Room for the quoted prefix: four bytes for each byte of it at most, "..."
// and the NUL.
constexpr size_t QUOTE_SIZE = QUOTE_PREFIX_MAX * 4 + 4;
static_assert(QUOTE_SIZE > 4, "room for a quoted byte");

const char *QuoteWord(const char *word) {
    static char out[QUOTE_SIZE];
    size_t used = 0;
    const unsigned char *p = reinterpret_cast<const unsigned char *>(word != nullptr ? word : "");
    int taken = 0;
    for (; *p != '\0' && taken < QUOTE_PREFIX_MAX; p++, taken++) {
        if (*p == '\\') {
            out[used++] = '\\';
            out[used++] = '\\';
        } else if (*p >= 0x20 && *p < 0x7f) {
            out[used++] = static_cast<char>(*p);
        } else {
            snprintf(out + used, QUOTE_SIZE - used, "\\%03o", *p);
            used += 4;
        }
    }
    snprintf(out + used, QUOTE_SIZE - used, "%s", *p != '\0' ? "..." : "");
    return out;
}
