// Tests of the message tables and of the language choice from LANG.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "driver/nls.h"

namespace {

const char *const *const Tables[] = {NLS_ENGLISH, NLS_SPANISH, NLS_ITALIAN,
                                     NLS_FRENCH,  NLS_GERMAN,  NLS_PORTUGUESE};
const char *const Names[] = {"English", "Spanish", "Italian", "French", "German", "Portuguese"};

// The printf conversions of a text, in order, each as its flags, width,
// precision, length and conversion letter (so "%s" and "%e" differ, and a
// stray "%" shows up as an odd conversion).
std::vector<std::string> Conversions(const char *text) {
    std::vector<std::string> found;
    for (const char *p = text; *p != '\0'; p++) {
        if (*p != '%') {
            continue;
        }
        const char *start = p++;
        while (*p != '\0' && strchr("-+ #0123456789.*hlLqjzt", *p) != nullptr) {
            p++;
        }
        if (*p == '\0') {
            found.push_back(std::string(start));
            break;
        }
        found.push_back(std::string(start, p + 1));
    }
    return found;
}

TEST(MessageTables, EveryTranslationTakesTheEnglishPlaceholdersInOrder) {
    for (int lang = 0; lang < 6; lang++) {
        for (int id = 0; id < NLS_COUNT; id++) {
            ASSERT_NE(Tables[lang][id], nullptr) << Names[lang] << " " << id;
            EXPECT_EQ(Conversions(Tables[lang][id]), Conversions(NLS_ENGLISH[id]))
                << Names[lang] << " message " << id;
        }
    }
    // The placeholders the callers pass, for the messages with arguments.
    using V = std::vector<std::string>;
    EXPECT_EQ(Conversions(NLS_ENGLISH[MSG_UNSAFE_PATH]), (V{"%s", "%%"})) << "a literal %, escaped";
    EXPECT_EQ(Conversions(NLS_ENGLISH[MSG_PLACE_FULL]), V{"%s"});
    EXPECT_EQ(Conversions(NLS_ENGLISH[MSG_WORK_TOO_SMALL]), (V{"%s", "%e"}));
    EXPECT_EQ(Conversions(NLS_ENGLISH[MSG_SHARED_TOO_SMALL]), (V{"%s", "%s", "%e"}));
    EXPECT_EQ(Conversions(NLS_ENGLISH[MSG_OLD_DAEMON]), (V{"%s", "%s", "%s", "%s"}));
    EXPECT_TRUE(Conversions(NLS_ENGLISH[MSG_NO_ANSWER]).empty());
}

TEST(MessageTables, ShownIdsHoldTextsAndTheOthersAreEmpty) {
    const std::set<int> shown = {1,  2,  3,  4,  21, 35, 49, 55, 56,
                                 60, 62, 63, 65, 66, 67, 68, 69, 70};
    for (int lang = 0; lang < 6; lang++) {
        for (int id = 0; id < NLS_COUNT; id++) {
            EXPECT_EQ(Tables[lang][id][0] != '\0', shown.count(id) == 1)
                << Names[lang] << " message " << id;
        }
        // The no-answer line goes to standard error on its own.
        std::string noAnswer = Tables[lang][MSG_NO_ANSWER];
        EXPECT_EQ(noAnswer.back(), '\n') << Names[lang];
    }
}

TEST(MessageTables, TellingTextsByteForByte) {
    // The letters of the continue question differ by language.
    EXPECT_NE(std::string(NLS_ENGLISH[63]).find("[yn] "), std::string::npos);
    EXPECT_STREQ(NLS_SPANISH[63], "\n\xbf"
                                  "Desea continuar con la instalaci\xf3n? [sn] ");
    EXPECT_NE(std::string(NLS_ITALIAN[63]).find("[yn] "), std::string::npos);
    EXPECT_STREQ(NLS_FRENCH[63], "\nSouhaitez-vous continuer avec l'installation ? [on] ");
    EXPECT_STREQ(NLS_GERMAN[63], "\nWeiter mit der Installation? [jn] ");
    EXPECT_STREQ(NLS_PORTUGUESE[63], "\nDeseja continuar com a instala\xe7\xe3o? [sn] ");

    // Message 3 in every language; in German the placeholder comes first.
    EXPECT_STREQ(NLS_ENGLISH[3], "ERROR: couldn't open %s");
    EXPECT_STREQ(NLS_SPANISH[3], "ERROR: no se pudo abrir %s");
    EXPECT_STREQ(NLS_ITALIAN[3], "ERRORE: impossibile aprire %s");
    EXPECT_STREQ(NLS_FRENCH[3], "ERREUR : impossible d'ouvrir %s");
    EXPECT_STREQ(NLS_GERMAN[3], "FEHLER: %s konnte nicht ge\xf6"
                                "ffnet werden");
    EXPECT_STREQ(NLS_PORTUGUESE[3], "ERRO: imposs\xedvel abrir %s");

    // Accented letters are single ISO 8859-1 bytes, also in the menu.
    EXPECT_STREQ(NLS_SPANISH[70], "\nIntroduzca una selecci\xf3n:  ");
    EXPECT_STREQ(NLS_FRENCH[70], "\nEntrez une s\xe9lection :  ");
    EXPECT_STREQ(NLS_GERMAN[67], "M\xf6"
                                 "chten Sie:\n");
    EXPECT_STREQ(NLS_ITALIAN[35], "%s \xe8 registrato\nSi deve diventare root per eseguire %s\n");
    EXPECT_STREQ(NLS_ENGLISH[68], "1.  Wait 30 seconds for these processes to terminate\n");
    EXPECT_STREQ(NLS_PORTUGUESE[21], "imposs\xedvel abrir o arquivo, Instalar/discos%s");
}

// Starts the language choice afresh with LANG set to value (null: unset).
const char *const *ChooseWith(const char *value) {
    if (value == nullptr) {
        unsetenv("LANG");
    } else {
        setenv("LANG", value, 1);
    }
    pCurLang = nullptr;
    nlsSetupStrCvt(0);
    return pCurLang;
}

TEST(LanguageChoice, CodesSelectTablesAndEverythingElseIsEnglish) {
    EXPECT_EQ(ChooseWith(nullptr), NLS_ENGLISH);
    EXPECT_EQ(ChooseWith("en_US"), NLS_ENGLISH);
    EXPECT_EQ(ChooseWith("es_ES"), NLS_SPANISH);
    EXPECT_EQ(ChooseWith("it_IT.ISO8859-1"), NLS_ITALIAN);
    EXPECT_EQ(ChooseWith("ge_GE"), NLS_GERMAN);
    EXPECT_EQ(ChooseWith("pr_BR"), NLS_PORTUGUESE); // last code, no comma after it
    for (const char *other : {"pt_BR", "de_DE", "C", "", "es", "fr", "fr_FRx", "FR_FR"}) {
        EXPECT_EQ(ChooseWith(other), NLS_ENGLISH) << "LANG=" << other;
    }
    unsetenv("LANG");
    pCurLang = nullptr;
}

TEST(LanguageChoice, LangIsShortenedForLaterCommandsAndReadOnlyOnce) {
    EXPECT_EQ(ChooseWith("fr_FR.ISO8859-1"), NLS_FRENCH);
    EXPECT_STREQ(getenv("LANG"), "fr_FR");
    // A command started afterwards sees the shortened value.
    EXPECT_EQ(system("test \"$LANG\" = fr_FR"), 0);

    const char *first = nlsSetupStrCvt(63);
    setenv("LANG", "ge_GE", 1);
    EXPECT_EQ(nlsSetupStrCvt(63), first);
    EXPECT_EQ(first, NLS_FRENCH[63]);
    unsetenv("LANG");
    pCurLang = nullptr;
}

} // namespace
