// Release numbers in the form and order of Debian version numbers.
#pragma once

// True when text is a release number: an optional epoch of digits and ":",
// then a digit, then letters, digits and . + ~ -, not ending in "-", at most
// 100 characters.
bool IsReleaseNumber(const char *text);

// Compares two release numbers in Debian's version order: the epoch as a
// number, then the upstream part and the revision (after the last "-"), each
// as alternating runs of non-digits (letters before other characters, "~"
// before everything, even the end) and numbers. Negative, 0 or positive as a
// sorts before, equal to or after b.
int CompareReleases(const char *a, const char *b);
