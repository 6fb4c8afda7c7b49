// Delimiter-list tokenizer: list lookup, substring search and the three
// splitters that share one cursor and one token buffer.
#include "support/token.h"

#include <cstring>

char GetTokenBuf[TOKEN_BUF_SIZE];

// The cursor shared by GetToken, GetTokenParse and GetTokenN: the next
// character to read, null before the first walk. It never moves past the
// terminating NUL of the text it walks.
static char *szIn = nullptr;
// The last token GetToken returned was longer than its buffer and was cut.
static bool tokenCut = false;

static bool IsDelimiter(char c, const char *delimiters) {
    return c != '\0' && delimiters != nullptr && strchr(delimiters, c) != nullptr;
}

// The character that a backslash before c stands for.
static char Unescape(char c) {
    switch (c) {
    case 'n':
        return '\n';
    case 'r':
        return '\r';
    case 't':
        return '\t';
    default:
        return c;
    }
}

char *StrStr(const char *text, const char *pattern) {
    if (text == nullptr || pattern == nullptr || *text == '\0' || *pattern == '\0')
        return nullptr;
    // The C library's search finds the same leftmost occurrence in linear
    // time, also on the long blank runs of the allocator's MAT.
    return const_cast<char *>(strstr(text, pattern));
}

// Number of d characters in list up to and including the one at match.
static int CountDelimiters(const char *list, const char *match, char d) {
    int count = 0;
    for (const char *c = list; c <= match; c++) {
        if (*c == d)
            count++;
    }
    return count;
}

int FindToken(const char *word, const char *list) {
    if (word == nullptr || list == nullptr || *list == '\0')
        return 0;
    size_t wordLen = strlen(word);
    if (wordLen > TOKEN_WORD_MAX)
        return 0;
    char d = list[0];
    // A word holding the delimiter would match several elements together.
    if (strchr(word, d) != nullptr)
        return 0;

    // The word with a delimiter on both sides: a whole element of the list.
    char probe[TOKEN_WORD_MAX + 3];
    probe[0] = d;
    memcpy(probe + 1, word, wordLen);
    probe[wordLen + 1] = d;
    probe[wordLen + 2] = '\0';
    const char *match = StrStr(list, probe);

    if (match == nullptr) {
        // The last element of a list that does not end with its delimiter.
        const char *last = strrchr(list, d);
        if (strcmp(last + 1, word) == 0)
            match = last;
    }
    if (match == nullptr)
        return 0;
    return CountDelimiters(list, match, d);
}

char *GetToken(const char *input, const char *delimiters) {
    if (input != nullptr)
        szIn = const_cast<char *>(input);
    GetTokenBuf[0] = '\0';
    tokenCut = false;
    if (szIn == nullptr)
        return nullptr;

    int len = 0;
    while (*szIn != '\0') {
        char c = *szIn;
        if (c == '\\') {
            if (szIn[1] == '\0') {
                // A backslash at the very end ends the text.
                szIn++;
                break;
            }
            c = Unescape(szIn[1]);
            szIn += 2;
        } else if (IsDelimiter(c, delimiters)) {
            szIn++;
            if (len == 0)
                continue;
            break;
        } else {
            szIn++;
        }
        // Characters beyond the buffer are consumed but not kept.
        if (len < TOKEN_BUF_SIZE - 1)
            GetTokenBuf[len++] = c;
        else
            tokenCut = true;
    }
    GetTokenBuf[len] = '\0';
    return len > 0 ? GetTokenBuf : nullptr;
}

bool GetTokenCut() {
    return tokenCut;
}

char *GetTokenParse(char *input, const char *delimiters) {
    if (input != nullptr)
        szIn = input;
    if (szIn == nullptr)
        return nullptr;

    char *token = nullptr;
    while (*szIn != '\0') {
        if (*szIn == '\\') {
            // The backslash and the character it guards stay in the text.
            if (token == nullptr)
                token = szIn;
            szIn += szIn[1] == '\0' ? 1 : 2;
            continue;
        }
        if (IsDelimiter(*szIn, delimiters)) {
            *szIn++ = '\0';
            if (token == nullptr)
                continue;
            break;
        }
        if (token == nullptr)
            token = szIn;
        szIn++;
    }
    return token;
}

char *GetTokenN(const char *input, const char *delimiters, int n) {
    char *token = GetToken(input, delimiters);
    for (int i = 1; i < n && token != nullptr; i++)
        token = GetToken(nullptr, delimiters);
    return token;
}
