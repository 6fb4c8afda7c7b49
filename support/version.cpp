// Release numbers in Debian's version order, for the refusal of a downgrade.
#include "support/version.h"

#include <cstring>

namespace {

constexpr size_t MAX_RELEASE_LEN = 100;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The weight of a character in a non-digit run: the end and a digit 0, a
// letter itself, "~" below everything, any other character above letters.
int Weight(char c) {
    if (c == '\0' || IsDigit(c)) {
        return 0;
    }
    if (IsLetter(c)) {
        return c;
    }
    return c == '~' ? -1 : c + 256;
}

// Compares the parts [a, aEnd) and [b, bEnd) run by run.
int CompareParts(const char *a, const char *aEnd, const char *b, const char *bEnd) {
    auto at = [](const char *p, const char *end) { return p < end ? *p : '\0'; };
    while (a < aEnd || b < bEnd) {
        while ((a < aEnd && !IsDigit(*a)) || (b < bEnd && !IsDigit(*b))) {
            int wa = Weight(at(a, aEnd));
            int wb = Weight(at(b, bEnd));
            if (wa != wb) {
                return wa - wb;
            }
            ++a;
            ++b;
        }
        while (a < aEnd && *a == '0') {
            ++a;
        }
        while (b < bEnd && *b == '0') {
            ++b;
        }
        int firstDiff = 0;
        while (a < aEnd && IsDigit(*a) && b < bEnd && IsDigit(*b)) {
            firstDiff = firstDiff != 0 ? firstDiff : *a - *b;
            ++a;
            ++b;
        }
        if (a < aEnd && IsDigit(*a)) {
            return 1;
        }
        if (b < bEnd && IsDigit(*b)) {
            return -1;
        }
        if (firstDiff != 0) {
            return firstDiff;
        }
    }
    return 0;
}

// The epoch's end (the ":" or the text itself when there is none) and the
// revision's start (after the last "-", or the end).
void Split(const char *v, const char **colon, const char **dash, const char **end) {
    *end = v + strlen(v);
    const char *c = strchr(v, ':');
    *colon = c != nullptr ? c : v;
    const char *d = strrchr(v, '-');
    *dash = d != nullptr && d > *colon ? d : *end;
}

} // namespace

bool IsReleaseNumber(const char *text) {
    size_t len = strlen(text);
    size_t epoch = strspn(text, "0123456789");
    const char *p = epoch > 0 && text[epoch] == ':' ? text + epoch + 1 : text;
    // A "-" ends the upstream part: an empty revision after it is no number.
    if (len == 0 || len > MAX_RELEASE_LEN || !IsDigit(*p) || text[len - 1] == '-') {
        return false;
    }
    for (; *p != '\0'; ++p) {
        if (!IsDigit(*p) && !IsLetter(*p) && strchr(".+~-", *p) == nullptr) {
            return false;
        }
    }
    return true;
}

int CompareReleases(const char *a, const char *b) {
    const char *aColon, *aDash, *aEnd, *bColon, *bDash, *bEnd;
    Split(a, &aColon, &aDash, &aEnd);
    Split(b, &bColon, &bDash, &bEnd);
    // The epochs (absent: 0) as numbers of any length.
    int order = CompareParts(a, aColon, b, bColon);
    if (order != 0) {
        return order;
    }
    const char *aUp = aColon == a ? a : aColon + 1;
    const char *bUp = bColon == b ? b : bColon + 1;
    order = CompareParts(aUp, aDash, bUp, bDash);
    if (order != 0) {
        return order;
    }
    return CompareParts(aDash < aEnd ? aDash + 1 : aEnd, aEnd, bDash < bEnd ? bDash + 1 : bEnd, bEnd);
}
