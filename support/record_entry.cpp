// The installation's record as text: escaping of names, one line per entry,
// and the whole record's header and entries. Nothing here touches a file.
#include "support/record_entry.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "support/mem.h"
#include "support/savestr.h"

namespace {

// Fields of an entry line, and the words of its HOW and KIND fields.
constexpr int ENTRY_FIELDS = 12;
constexpr char ENTRY_MARK[] = "E";
constexpr const char *HOW_WORDS[] = {"made", "changed", "kept"};
constexpr const char *KIND_WORDS[] = {"content", "config", "runtime"};
static_assert(sizeof HOW_WORDS / sizeof HOW_WORDS[0] == HOW_KEPT + 1, "one word per way");
static_assert(sizeof KIND_WORDS / sizeof KIND_WORDS[0] == KIND_RUNTIME + 1, "one word per kind");
// Bytes of an escaped byte: a backslash and three octal digits.
constexpr size_t ESCAPE_LEN = 4;
// The header lines' keys, in the order FormatRecord writes them.
constexpr const char *HEADER_KEYS[] = {"release", "sums", "state", "app"};
constexpr int HEADER_COUNT = sizeof HEADER_KEYS / sizeof HEADER_KEYS[0];
static_assert(HEADER_COUNT == 4, "one slot per header of struct Record");

// Whether byte c is written as a backslash and three octal digits.
bool NeedsEscape(unsigned char c) {
    return (c < 0x21 && c != ' ') || c == 0x7f;
}

// Bytes of the whole UTF-8 character that begins at text (2 to 4), or 0
// when none begins there.
size_t Utf8Length(const unsigned char *text) {
    size_t len = text[0] >= 0xc2 && text[0] <= 0xdf ? 2 : text[0] >= 0xe0 && text[0] <= 0xef ? 3
                 : text[0] >= 0xf0 && text[0] <= 0xf4 ? 4 : 0;
    for (size_t i = 1; i < len; i++) {
        if ((text[i] & 0xc0) != 0x80) {
            return 0;
        }
    }
    return len;
}

// Marks in escape[i] the bytes of text (len bytes) that are written
// escaped: those that NeedsEscape, and a C1 control character, which a
// terminal would act on: the bytes 0x80 to 0x9f that are no part of a
// UTF-8 character, and the UTF-8 characters U+0080 to U+009F whole.
void MarkEscapes(const unsigned char *text, size_t len, bool *escape) {
    for (size_t i = 0; i < len;) {
        size_t whole = text[i] >= 0x80 ? Utf8Length(text + i) : 0;
        bool c1 = whole == 2 && text[i] == 0xc2 && text[i + 1] <= 0x9f;
        if (whole > 0) {
            for (size_t k = 0; k < whole; k++) {
                escape[i + k] = c1;
            }
            i += whole;
            continue;
        }
        escape[i] = NeedsEscape(text[i]) || (text[i] >= 0x80 && text[i] <= 0x9f);
        i++;
    }
}

// text with every byte MarkEscapes marks, and every backslash, escaped (saved).
char *EscapeBytes(const char *text) {
    size_t textLen = strlen(text);
    bool *escape = static_cast<bool *>(GetMem(static_cast<int32_t>(textLen + 1)));
    if (escape == nullptr) {
        return SaveStr("%s", "");
    }
    MarkEscapes(reinterpret_cast<const unsigned char *>(text), textLen, escape);
    size_t len = 0;
    for (size_t i = 0; i < textLen; i++) {
        len += escape[i] ? ESCAPE_LEN : (text[i] == '\\' ? 2 : 1);
    }
    char *out = static_cast<char *>(GetMem(static_cast<int32_t>(len + 1)));
    if (out == nullptr) {
        PutMem(escape);
        return SaveStr("%s", "");
    }
    char *at = out;
    for (const char *c = text; *c != '\0'; c++) {
        unsigned char byte = static_cast<unsigned char>(*c);
        if (escape[c - text]) {
            snprintf(at, ESCAPE_LEN + 1, "\\%03o", byte);
            at += ESCAPE_LEN;
        } else if (byte == '\\') {
            *at++ = '\\';
            *at++ = '\\';
        } else {
            *at++ = *c;
        }
    }
    *at = '\0';
    PutMem(escape);
    return out;
}

// The index of the len bytes at word in words (count of them), or -1.
int WordIndex(const char *word, size_t len, const char *const *words, int count) {
    for (int i = 0; i < count; i++) {
        if (strlen(words[i]) == len && strncmp(word, words[i], len) == 0) {
            return i;
        }
    }
    return -1;
}

// The len bytes at text as a number from 0 to max, written in base (8 or
// 10) with digits only; false for anything else ("-", a sign, a blank,
// leading zeros of a decimal number but "0" itself, an overflow).
bool ParseNumber(const char *text, size_t len, int base, unsigned long long max, unsigned long long *value) {
    if (len == 0 || len > 20) {
        return false;
    }
    if (base == 10 && len > 1 && text[0] == '0') {
        return false;
    }
    unsigned long long number = 0;
    for (size_t i = 0; i < len; i++) {
        unsigned digit = static_cast<unsigned>(text[i] - '0');
        if (text[i] < '0' || digit >= static_cast<unsigned>(base)) {
            return false;
        }
        if (number > (max - digit) / static_cast<unsigned>(base)) {
            return false;
        }
        number = number * static_cast<unsigned>(base) + digit;
    }
    *value = number;
    return true;
}

// Whether the len bytes at text are exactly "-".
bool IsNone(const char *text, size_t len) {
    return len == 1 && text[0] == '-';
}

// An optional number field: "-" (RECORD_NONE) when absent is allowed, else
// a decimal number up to the largest long long; with negative, one with a
// leading "-" too (a time before 1970).
bool ParseOptional(const char *text, size_t len, bool present, bool negative, long long *value) {
    if (!present) {
        *value = RECORD_NONE;
        return IsNone(text, len);
    }
    bool minus = negative && len > 1 && text[0] == '-';
    unsigned long long number = 0;
    if (!ParseNumber(text + (minus ? 1 : 0), len - (minus ? 1 : 0), 10, 0x7fffffffffffffffULL, &number)) {
        return false;
    }
    *value = minus ? -static_cast<long long>(number) : static_cast<long long>(number);
    return true;
}

// Whether the len bytes at text are 64 lowercase hexadecimal digits.
bool IsDigest(const char *text, size_t len) {
    if (len != RECORD_DIGEST_LEN) {
        return false;
    }
    for (size_t i = 0; i < len; i++) {
        if (strchr("0123456789abcdef", text[i]) == nullptr || text[i] == '\0') {
            return false;
        }
    }
    return true;
}

// Whether path is absolute and names its entry one way only: no empty, "."
// or ".." component, no trailing "/" (but for "/" itself).
bool IsPlainPath(const char *path) {
    if (path[0] != '/') {
        return false;
    }
    if (path[1] == '\0') {
        return true;
    }
    for (const char *at = path; *at != '\0';) {
        size_t len = strcspn(at + 1, "/");
        if (len == 0 || (len == 1 && at[1] == '.') || (len == 2 && at[1] == '.' && at[2] == '.')) {
            return false;
        }
        at += len + 1;
    }
    return true;
}

// Compares two entries by path in byte order, for qsort.
int ComparePaths(const void *a, const void *b) {
    const RecordEntry *left = static_cast<const RecordEntry *>(a);
    const RecordEntry *right = static_cast<const RecordEntry *>(b);
    return strcmp(left->path, right->path);
}

// The header slot of record that key names, or null.
char **HeaderSlot(Record *record, const char *key, size_t len) {
    char **slots[HEADER_COUNT] = {&record->release, &record->sums, &record->state, &record->app};
    int index = WordIndex(key, len, HEADER_KEYS, HEADER_COUNT);
    return index < 0 ? nullptr : slots[index];
}

// Reads one header line into record; false when it is none, or repeats one.
bool ParseHeader(const char *line, size_t len, Record *record) {
    const char *blank = static_cast<const char *>(memchr(line, ' ', len));
    if (blank == nullptr) {
        return false;
    }
    char **slot = HeaderSlot(record, line, static_cast<size_t>(blank - line));
    if (slot == nullptr || *slot != nullptr) {
        return false;
    }
    size_t valueLen = len - static_cast<size_t>(blank - line) - 1;
    *slot = UnescapeRecordField(blank + 1, valueLen);
    return *slot != nullptr && (*slot)[0] != '\0';
}

// Appends entry to record's entries, growing them as needed (doubling).
bool AppendEntry(Record *record, const RecordEntry &entry, int *room) {
    if (record->count == *room) {
        int grown = *room == 0 ? 64 : *room * 2;
        if (grown > 0x7fffffff / static_cast<int>(sizeof(RecordEntry))) {
            return false;
        }
        RecordEntry *more = static_cast<RecordEntry *>(GetMem(grown * static_cast<int>(sizeof(RecordEntry))));
        if (more == nullptr) {
            return false;
        }
        if (record->count > 0) {
            memcpy(more, record->entries, static_cast<size_t>(record->count) * sizeof(RecordEntry));
        }
        PutMem(record->entries);
        record->entries = more;
        *room = grown;
    }
    record->entries[record->count++] = entry;
    return true;
}

// Whether two entries of record (sorted by path) share a path.
bool HasDuplicatePath(const Record &record) {
    for (int i = 1; i < record.count; i++) {
        if (strcmp(record.entries[i - 1].path, record.entries[i].path) == 0) {
            return true;
        }
    }
    return false;
}

} // namespace

char *EscapeRecordField(const char *text) {
    if (strcmp(text, "-") == 0) {
        return SaveStr("%s", "\\055");
    }
    return EscapeBytes(text);
}

char *UnescapeRecordField(const char *field, size_t len) {
    char *out = static_cast<char *>(GetMem(static_cast<int32_t>(len + 1)));
    if (out == nullptr) {
        return nullptr;
    }
    char *at = out;
    for (size_t i = 0; i < len; i++) {
        char c = field[i];
        if (NeedsEscape(static_cast<unsigned char>(c)) || c == '\0') {
            PutMem(out);
            return nullptr;
        }
        if (c != '\\') {
            *at++ = c;
            continue;
        }
        if (i + 1 < len && field[i + 1] == '\\') {
            *at++ = '\\';
            i++;
            continue;
        }
        unsigned long long byte = 0;
        if (i + ESCAPE_LEN > len || !ParseNumber(field + i + 1, ESCAPE_LEN - 1, 8, 255, &byte) || byte == 0) {
            PutMem(out);
            return nullptr;
        }
        *at++ = static_cast<char>(byte);
        i += ESCAPE_LEN - 1;
    }
    *at = '\0';
    return out;
}

char *FormatRecordEntry(const RecordEntry &entry) {
    char *path = EscapeRecordField(entry.path);
    char *target = entry.type == 'l' && entry.target != nullptr ? EscapeRecordField(entry.target) : nullptr;
    char size[24] = "-";
    char mtime[24] = "-";
    if (entry.size != RECORD_NONE) {
        snprintf(size, sizeof size, "%lld", entry.size);
    }
    if (entry.mtime != RECORD_NONE) {
        snprintf(mtime, sizeof mtime, "%lld", entry.mtime);
    }
    char *line = SaveStr("%s\t%s\t%s\t%c\t%04o\t%lu\t%lu\t%s\t%s\t%s\t%s\t%s", ENTRY_MARK, HOW_WORDS[entry.how],
                         KIND_WORDS[entry.kind], entry.type, entry.mode & 07777u, entry.uid, entry.gid, size,
                         mtime, entry.digest[0] != '\0' ? entry.digest : "-", target != nullptr ? target : "-",
                         path);
    PutMem(target);
    PutMem(path);
    return line;
}

bool ParseRecordEntry(const char *line, RecordEntry *entry) {
    const char *field[ENTRY_FIELDS];
    size_t len[ENTRY_FIELDS];
    const char *at = line;
    for (int i = 0; i < ENTRY_FIELDS; i++) {
        const char *tab = strchr(at, '\t');
        bool last = i == ENTRY_FIELDS - 1;
        if ((tab == nullptr) != last) {
            return false;
        }
        field[i] = at;
        len[i] = last ? strlen(at) : static_cast<size_t>(tab - at);
        at = last ? at : tab + 1;
    }
    RecordEntry parsed;
    memset(&parsed, 0, sizeof parsed);
    int how = WordIndex(field[1], len[1], HOW_WORDS, HOW_KEPT + 1);
    int kind = WordIndex(field[2], len[2], KIND_WORDS, KIND_RUNTIME + 1);
    if (strncmp(field[0], ENTRY_MARK, len[0]) != 0 || len[0] != strlen(ENTRY_MARK) || how < 0 || kind < 0 ||
        len[3] != 1 || strchr("fdl", field[3][0]) == nullptr) {
        return false;
    }
    parsed.how = static_cast<RecordHow>(how);
    parsed.kind = static_cast<RecordKind>(kind);
    parsed.type = field[3][0];
    unsigned long long mode = 0;
    unsigned long long uid = 0;
    unsigned long long gid = 0;
    if (len[4] != 4 || !ParseNumber(field[4], len[4], 8, 07777, &mode) ||
        !ParseNumber(field[5], len[5], 10, 0xffffffffULL, &uid) ||
        !ParseNumber(field[6], len[6], 10, 0xffffffffULL, &gid)) {
        return false;
    }
    parsed.mode = static_cast<unsigned>(mode);
    parsed.uid = static_cast<unsigned long>(uid);
    parsed.gid = static_cast<unsigned long>(gid);
    // Size, time and digest belong to the files whose content is recorded,
    // a target to links: every other field is "-".
    bool content = parsed.type == 'f' && parsed.kind != KIND_RUNTIME;
    if (!ParseOptional(field[7], len[7], content, false, &parsed.size) ||
        !ParseOptional(field[8], len[8], content, true, &parsed.mtime)) {
        return false;
    }
    if (content ? !IsDigest(field[9], len[9]) : !IsNone(field[9], len[9])) {
        return false;
    }
    if (content) {
        memcpy(parsed.digest, field[9], RECORD_DIGEST_LEN);
    }
    if (parsed.type != 'l' && !IsNone(field[10], len[10])) {
        return false;
    }
    if (parsed.type == 'l') {
        parsed.target = UnescapeRecordField(field[10], len[10]);
        if (parsed.target == nullptr || parsed.target[0] == '\0') {
            PutMem(parsed.target);
            return false;
        }
    }
    parsed.path = UnescapeRecordField(field[11], len[11]);
    if (parsed.path == nullptr || !IsPlainPath(parsed.path)) {
        PutMem(parsed.path);
        PutMem(parsed.target);
        return false;
    }
    *entry = parsed;
    return true;
}

void FreeRecordEntry(RecordEntry *entry) {
    PutMem(entry->path);
    PutMem(entry->target);
    entry->path = nullptr;
    entry->target = nullptr;
}

bool ParseRecord(const char *text, Record *record, int *badLine) {
    memset(record, 0, sizeof *record);
    int room = 0;
    int number = 0;
    for (const char *line = text; *line != '\0';) {
        size_t len = strcspn(line, "\n");
        number++;
        char *copy = SaveStr("%.*s", static_cast<int>(len), line);
        bool ok = false;
        if (strncmp(copy, "E\t", 2) != 0) {
            ok = ParseHeader(line, len, record);
        } else {
            RecordEntry entry;
            ok = ParseRecordEntry(copy, &entry);
            if (ok && !AppendEntry(record, entry, &room)) {
                FreeRecordEntry(&entry);
                ok = false;
            }
        }
        PutMem(copy);
        if (!ok) {
            *badLine = number;
            FreeRecord(record);
            return false;
        }
        line += line[len] == '\n' ? len + 1 : len;
    }
    if (record->count > 1) {
        qsort(record->entries, static_cast<size_t>(record->count), sizeof(RecordEntry), ComparePaths);
    }
    if (HasDuplicatePath(*record)) {
        *badLine = number;
        FreeRecord(record);
        return false;
    }
    *badLine = 0;
    return true;
}

void FreeRecord(Record *record) {
    for (int i = 0; i < record->count; i++) {
        FreeRecordEntry(&record->entries[i]);
    }
    PutMem(record->entries);
    PutMem(record->release);
    PutMem(record->sums);
    PutMem(record->state);
    PutMem(record->app);
    memset(record, 0, sizeof *record);
}

RecordEntry *FindRecordEntry(const Record &record, const char *path) {
    int low = 0;
    int high = record.count - 1;
    while (low <= high) {
        int mid = low + (high - low) / 2;
        int order = strcmp(record.entries[mid].path, path);
        if (order == 0) {
            return &record.entries[mid];
        }
        if (order < 0) {
            low = mid + 1;
        } else {
            high = mid - 1;
        }
    }
    return nullptr;
}

char *FormatRecord(const Record &record) {
    if (record.count > 1) {
        qsort(record.entries, static_cast<size_t>(record.count), sizeof(RecordEntry), ComparePaths);
    }
    // Every line is made first and the text joined once: a record of many
    // thousand entries is not copied again for each of them.
    const char *values[HEADER_COUNT] = {record.release, record.sums, record.state, record.app};
    int lineCount = HEADER_COUNT + record.count;
    char **lines = static_cast<char **>(GetMem(lineCount * static_cast<int>(sizeof(char *))));
    if (lines == nullptr) {
        return nullptr;
    }
    size_t total = 0;
    for (int i = 0; i < lineCount; i++) {
        if (i < HEADER_COUNT) {
            char *value = values[i] != nullptr ? EscapeBytes(values[i]) : nullptr;
            lines[i] = value != nullptr ? SaveStr("%s %s", HEADER_KEYS[i], value) : nullptr;
            PutMem(value);
        } else {
            lines[i] = FormatRecordEntry(record.entries[i - HEADER_COUNT]);
        }
        total += lines[i] != nullptr ? strlen(lines[i]) + 1 : 0;
    }
    char *text = total < 0x7fffffff ? static_cast<char *>(GetMem(static_cast<int32_t>(total + 1))) : nullptr;
    char *at = text;
    for (int i = 0; i < lineCount; i++) {
        if (text != nullptr && lines[i] != nullptr) {
            size_t len = strlen(lines[i]);
            memcpy(at, lines[i], len);
            at[len] = '\n';
            at += len + 1;
        }
        PutMem(lines[i]);
    }
    PutMem(lines);
    return text;
}
