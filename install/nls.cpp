// Choice of the message language from LANG and the lookup of texts by id.
#include "install/nls.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

#include "support/token.h"

const char *const *pCurLang = nullptr;

// The LANG codes, as a delimiter list: token N selects LanguageTables[N - 1].
static constexpr char LanguageCodes[] = ",en_US,es_ES,it_IT,fr_FR,ge_GE,pr_BR";

static constexpr const char *const *LanguageTables[] = {
    NLS_ENGLISH, NLS_SPANISH, NLS_ITALIAN, NLS_FRENCH, NLS_GERMAN, NLS_PORTUGUESE,
};
static_assert(sizeof(LanguageTables) / sizeof(LanguageTables[0]) == 6,
              "one table per language code");

// Table for the environment's LANG. The value is cut at its first "." in the
// environment's own string, so that every command started later sees the
// shortened value as well.
static const char *const *ChooseLanguage() {
    char *lang = getenv("LANG");
    if (lang == nullptr) {
        return NLS_ENGLISH;
    }
    char *dot = strchr(lang, '.');
    if (dot != nullptr) {
        *dot = '\0';
    }
    int token = FindToken(lang, LanguageCodes);
    if (token < 1 || token > 6) {
        return NLS_ENGLISH;
    }
    return LanguageTables[token - 1];
}

const char *nlsSetupStrCvt(int id) {
    if (pCurLang == nullptr) {
        pCurLang = ChooseLanguage();
    }
    return pCurLang[id];
}

void ShowPhase(int id) {
    if (!isatty(STDOUT_FILENO)) {
        return;
    }
    fputs(nlsSetupStrCvt(id), stdout);
    fflush(stdout);
}
