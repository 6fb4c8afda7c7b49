// Words for messages about things the run refuses: what kind of entry a
// path names, and a refused word as a short, escaped prefix.
#pragma once

#include <sys/types.h>

// Longest part of a refused word that a message quotes.
constexpr int QUOTE_PREFIX_MAX = 40;

// The kind of entry of this mode (lstat's st_mode) in words: "a regular
// file", "a directory", "a symbolic link", "a FIFO", "a socket", "a character
// device", "a block device", "an entry of unknown type". A static text.
const char *EntryKindName(mode_t mode);
// word as a message may show it, in a buffer of its own that the next call
// overwrites: at most its first QUOTE_PREFIX_MAX bytes, printable ASCII as
// it is (a backslash doubled), every other byte as a backslash and three
// octal digits, followed by "..." when the word was longer. So a message
// never carries a terminal's control bytes, nor much of a word it refused.
const char *QuoteWord(const char *word);
