// Choice of the message language from LANG, the texts in the terminal's
// encoding, and the lookup of texts by id.
#include "install/nls.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>
#include <unistd.h>

#include "support/globals.h"
#include "support/token.h"

const char *const *pCurLang = nullptr;
uint8_t flUtf8Texts = 0;

// The language parts of LANG, as a delimiter list: token N selects
// LanguageTables[N - 1]. The two whole codes of older releases likewise
// select OldCodeTables.
static constexpr char LanguageParts[] = ",en,es,it,fr,de,pt";
static constexpr const char *const *LanguageTables[] = {
    NLS_ENGLISH, NLS_SPANISH, NLS_ITALIAN, NLS_FRENCH, NLS_GERMAN, NLS_PORTUGUESE,
};
static_assert(sizeof(LanguageTables) / sizeof(LanguageTables[0]) == 6,
              "one table per language part");
static constexpr char OldCodes[] = ",ge_GE,pr_BR";
static constexpr const char *const *OldCodeTables[] = {NLS_GERMAN, NLS_PORTUGUESE};
static_assert(sizeof(OldCodeTables) / sizeof(OldCodeTables[0]) == 2, "one table per old code");

// The texts of the chosen table converted to UTF-8, one after the other in
// Utf8Area (each ISO 8859-1 byte becomes at most two; nls_tables.cpp asserts
// that every table fits), and a pointer to each.
static char Utf8Area[NLS_UTF8_AREA];
static const char *Utf8Texts[NLS_COUNT];

// Longest language part or code looked up; a longer one selects English.
constexpr size_t LANG_PART_MAX = 15;

// True when the codeset of the LANG value lang (after its first ".", up to
// an "@") is UTF-8, written "UTF-8" or "utf8" in any case.
static bool NamesUtf8(const char *lang) {
    const char *dot = strchr(lang, '.');
    if (dot == nullptr) {
        return false;
    }
    size_t len = strcspn(dot + 1, "@");
    return (len == 5 && strncasecmp(dot + 1, "utf-8", len) == 0) ||
           (len == 4 && strncasecmp(dot + 1, "utf8", len) == 0);
}

// Table for the LANG value lang: cut at its first "." or "@", the whole
// codes ge_GE and pr_BR, else the language part before any "_" whatever the
// country; English for everything else.
static const char *const *TableFor(const char *lang) {
    char part[LANG_PART_MAX + 1];
    size_t len = strcspn(lang, ".@");
    if (len <= LANG_PART_MAX) {
        memcpy(part, lang, len);
        part[len] = '\0';
        int old = FindToken(part, OldCodes);
        if (old == 1 || old == 2) {
            return OldCodeTables[old - 1];
        }
    }
    // The language part alone, however long the country or modifier is.
    len = strcspn(lang, "_.@");
    if (len > LANG_PART_MAX) {
        return NLS_ENGLISH;
    }
    memcpy(part, lang, len);
    part[len] = '\0';
    int token = FindToken(part, LanguageParts);
    return token >= 1 && token <= 6 ? LanguageTables[token - 1] : NLS_ENGLISH;
}

// Converts every text of table from ISO 8859-1 to UTF-8 into Utf8Area; a
// text that would not fit (never, by the tables' assertion) stays as it is.
static void ConvertTable(const char *const *table) {
    size_t used = 0;
    for (int id = 0; id < NLS_COUNT; id++) {
        const char *text = table[id];
        Utf8Texts[id] = text;
        if (used + 2 * strlen(text) + 1 > sizeof Utf8Area) {
            continue;
        }
        char *out = Utf8Area + used;
        Utf8Texts[id] = out;
        for (const unsigned char *in = reinterpret_cast<const unsigned char *>(text); *in != '\0';
             in++) {
            if (*in < 0x80) {
                *out++ = static_cast<char>(*in);
                continue;
            }
            *out++ = static_cast<char>(0xC0 | (*in >> 6));
            *out++ = static_cast<char>(0x80 | (*in & 0x3F));
        }
        *out++ = '\0';
        used = static_cast<size_t>(out - Utf8Area);
    }
}

// Chooses the table and the encoding from the environment's LANG. The value
// is then cut at its first "." in the environment's own string, so that
// every command started later sees the shortened value as well.
static void ChooseLanguage() {
    char *lang = getenv("LANG");
    if (lang == nullptr) {
        pCurLang = NLS_ENGLISH;
        flUtf8Texts = 0;
        return;
    }
    pCurLang = TableFor(lang);
    flUtf8Texts = NamesUtf8(lang) ? 1 : 0;
    char *dot = strchr(lang, '.');
    if (dot != nullptr) {
        *dot = '\0';
    }
    if (flUtf8Texts) {
        ConvertTable(pCurLang);
    }
}

const char *nlsSetupStrCvt(int id) {
    if (pCurLang == nullptr) {
        ChooseLanguage();
    }
    return flUtf8Texts ? Utf8Texts[id] : pCurLang[id];
}

void ShowPhase(int id) {
    if (!isatty(STDOUT_FILENO)) {
        return;
    }
    fputs(nlsSetupStrCvt(id), stdout);
    fflush(stdout);
}

void ExitWhenWritten(FILE *stream, int status) {
    bool failed = ferror(stream) != 0;
    int error = errno;
    if (fflush(stream) != 0 || fclose(stream) != 0) {
        failed = true;
        error = errno;
    }
    if (!failed) {
        exit(status);
    }
    bool out = stream == stdout;
    fprintf(out ? stderr : stdout, nlsSetupStrCvt(out ? MSG_WRITE_STDOUT : MSG_WRITE_STDERR),
            my_name, strerror(error != 0 ? error : EIO));
    exit(1);
}
