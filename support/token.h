// Delimiter-list tokenizer.
//
// A delimiter list is a text whose first character is its delimiter, the
// elements following separated by it: ",install,-v", " . .. name ".
// GetToken, GetTokenParse and GetTokenN share one cursor, so one walk must be
// finished before another begins.
#pragma once

constexpr int TOKEN_BUF_SIZE = 255; // a token of at most 254 characters
constexpr int TOKEN_WORD_MAX = 512; // longest word FindToken looks up

extern char GetTokenBuf[TOKEN_BUF_SIZE];

// 1-based position of word among the elements of list, 0 when absent (also
// for a null word or list, an empty list, a word over 512 characters, or a
// word that holds the list's delimiter).
int FindToken(const char *word, const char *list);

// Leftmost occurrence of pattern in text, or null (null arguments, empty text
// and empty pattern all give null).
char *StrStr(const char *text, const char *pattern);

// Next token in GetTokenBuf, or null when none remains. A non-null input
// starts a new text. Backslash escapes: \n \r \t, any other char stands for
// itself. A token longer than 254 characters is cut at 254; the rest of it is
// consumed.
char *GetToken(const char *input, const char *delimiters);

// True when the token GetToken returned last was longer than 254 characters
// and was cut.
bool GetTokenCut();

// The same walk in place: NULs are written into input, the token is returned
// as a pointer into it. No escape translation: a backslash and the character
// after it stay in the token. The text walked must be writable, also when a
// null input continues a walk that GetToken began.
char *GetTokenParse(char *input, const char *delimiters);

// The n-th token (1-based; n <= 1 gives the first) as GetToken gives it.
char *GetTokenN(const char *input, const char *delimiters, int n);
