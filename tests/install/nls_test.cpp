// Tests of the message tables and of the language choice from LANG.
#include "install/nls.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <vector>

namespace {

const char *const *const Tables[] = {NLS_ENGLISH, NLS_SPANISH, NLS_ITALIAN, NLS_FRENCH, NLS_GERMAN, NLS_PORTUGUESE};

// The printf conversions of a text, in order, each with its flags, width, precision and length (so
// "%s" and "%e" differ, and a stray "%" shows up as an odd conversion).
std::vector<std::string> Conversions(const char *text) {
    std::vector<std::string> found;
    for (const char *p = text; *p != '\0'; p++) {
        if (*p != '%')
            continue;
        const char *start = p++;
        while (*p != '\0' && strchr("-+ #0123456789.*hlLqjzt", *p) != nullptr)
            p++;
        found.push_back(*p == '\0' ? std::string(start) : std::string(start, p + 1));
        if (*p == '\0')
            break;
    }
    return found;
}

// Every translation takes the English placeholders in kind and order, and exactly the messages the
// installer shows have texts.
TEST(MessageTables, PlaceholdersAndShownTextsInEveryLanguage) {
    const std::set<int> shown = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 21,
                                 35, 49, 55, 56, 60, 62, 63, 65, 66, 67, 68, 69, 70};
    for (int lang = 0; lang < 6; lang++) {
        for (int id = 0; id < NLS_COUNT; id++) {
            ASSERT_NE(Tables[lang][id], nullptr) << lang << " " << id;
            EXPECT_EQ(Conversions(Tables[lang][id]), Conversions(NLS_ENGLISH[id])) << lang << " message " << id;
            EXPECT_EQ(Tables[lang][id][0] != '\0', shown.count(id) == 1) << lang << " message " << id;
        }
        EXPECT_EQ(std::string(Tables[lang][MSG_NO_ANSWER]).back(), '\n') << "a line of its own";
    }
    // The placeholders the callers pass, for the messages with arguments.
    using V = std::vector<std::string>;
    const std::pair<int, V> callers[] = {
        {MSG_UNSAFE_PATH, {"%s", "%%"}}, {MSG_PLACE_FULL, {"%s"}}, {MSG_WORK_NOT_OWN, {"%s"}},
        {MSG_OTHER_RUN, {"%s"}}, {MSG_WORK_TOO_SMALL, {"%s", "%e"}}, {MSG_SHARED_TOO_SMALL, {"%s", "%s", "%e"}},
        {MSG_OLD_DAEMON, {"%s", "%s", "%s", "%s"}}, {MSG_FAILED_STEPS, {"%d"}},
        {MSG_LONG_NAME, {"%s", "%d", "%s"}}, {MSG_BAD_PIECE, {"%s", "%s"}}};
    for (const auto &[id, expected] : callers)
        EXPECT_EQ(Conversions(NLS_ENGLISH[id]), expected) << id;
}

// Starts the language choice afresh with LANG set to value (null: unset).
const char *const *ChooseWith(const char *value) {
    value ? setenv("LANG", value, 1) : unsetenv("LANG");
    pCurLang = nullptr;
    nlsSetupStrCvt(0);
    return pCurLang;
}

// Only the six codes select a table; LANG is read only once. (Whole runs check the LANG shortened
// at its first "." that later commands see.)
TEST(LanguageChoice, CodesAndReadOnce) {
    EXPECT_TRUE(ChooseWith(nullptr) == NLS_ENGLISH && ChooseWith("es_ES") == NLS_SPANISH &&
                ChooseWith("it_IT.ISO8859-1") == NLS_ITALIAN && ChooseWith("ge_GE") == NLS_GERMAN &&
                ChooseWith("pr_BR") == NLS_PORTUGUESE); // the last code, no comma after it
    for (const char *other : {"pt_BR", "de_DE", "C", "", "fr", "fr_FRx", "FR_FR"})
        EXPECT_EQ(ChooseWith(other), NLS_ENGLISH) << "LANG=" << other;
    EXPECT_EQ(ChooseWith("fr_FR.ISO8859-1"), NLS_FRENCH);
    setenv("LANG", "ge_GE", 1);
    EXPECT_EQ(nlsSetupStrCvt(63), NLS_FRENCH[63]);
    unsetenv("LANG");
    pCurLang = nullptr;
}

} // namespace
