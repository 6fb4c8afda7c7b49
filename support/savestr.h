// Saved strings: formatted text in allocator memory, exactly as long as needed.
#pragma once

// Formats like printf and returns the text in new allocator memory (the caller
// owns it; PutMem releases it). Never returns null: out of memory ends the
// program through SysError. Results of any length are complete.
char *SaveStr(const char *format, ...) __attribute__((format(printf, 1, 2)));
