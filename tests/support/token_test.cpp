// Tests of the tokenizer: list lookup, substring search, the three splitters
// and their shared cursor, and the limits of the token buffer and the word.
#include "support/token.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

using Words = std::vector<std::string>;

// All tokens GetToken yields for text, in order.
Words Tokens(const char *text, const char *delimiters) {
    Words out;
    for (char *t = GetToken(text, delimiters); t != nullptr; t = GetToken(nullptr, delimiters))
        out.push_back(t);
    return out;
}

TEST(FindToken, PositionsOfWholeElements) {
    struct {
        const char *word, *list;
        int pos;
    } cases[] = {
        {"install", ",install,-v", 1}, {"-v", ",install,-v", 2}, // last element, no closing delimiter
        {"-v", ",install,x-v", 0}, {"-V", ",install,-v", 0},     // the last element must match whole
        {"ye", ",y,yes,n,no,", 0}, {"n", ",y,yes,n,no,", 3},     // not the start of "no"
        {"b", ",a,b,b", 2}, {"..", " . .. x ", 2}, {"", ",y,yes,n,no,", 5}, {"", ",a,b", 0},
        {"x", ",", 0}, {"x", "", 0}, {nullptr, ",x", 0}, {"x", nullptr, 0},
        {"b", "ab", 1}, // the first character is the delimiter
        // a word holding the delimiter is no element; another list's
        // delimiter is an ordinary character
        {"y,yes", ",y,yes,n,no,", 0}, {"yes,n", ",y,yes,n,no,", 0}, {"no,", ",y,yes,n,no,", 0},
        {",", ",y,,n", 0}, {"a b", " a b ", 0}, {"x y", ",x y,", 1},
    };
    for (const auto &c : cases)
        EXPECT_EQ(FindToken(c.word, c.list), c.pos)
            << (c.word ? c.word : "null") << " in " << (c.list ? c.list : "null");

    std::string word(TOKEN_WORD_MAX, 'w');
    EXPECT_EQ(FindToken(word.c_str(), (",a," + word).c_str()), 2);
    std::string longer = word + "w";
    EXPECT_EQ(FindToken(longer.c_str(), (",a," + longer + ",").c_str()), 0);
    std::string huge(100000, 'h');
    EXPECT_EQ(FindToken(huge.c_str(), (",a," + huge + ",").c_str()), 0);
}

TEST(StrStr, LeftmostOccurrence) {
    const char *text = "aab";
    EXPECT_EQ(StrStr(text, "ab"), text + 1);
    EXPECT_EQ(StrStr(text, "b"), text + 2);
    EXPECT_EQ(StrStr(text, "aabb"), nullptr); // never beyond the end of text
    EXPECT_EQ(StrStr(text, ""), nullptr);
    EXPECT_EQ(StrStr(nullptr, "a"), nullptr);
    EXPECT_EQ(StrStr(text, nullptr), nullptr);

    // Random texts of mostly blanks, as the allocator's MAT and directory
    // listings have, against a plain reference search.
    std::mt19937 rng(12);
    for (int round = 0; round < 3000; round++) {
        std::string text(rng() % 400, ' '), pattern(1 + rng() % 12, ' ');
        for (std::string *s : {&text, &pattern})
            for (char &c : *s)
                c = rng() % 5 == 0 ? "Ux"[rng() % 2] : ' ';
        const char *at = StrStr(text.c_str(), pattern.c_str());
        EXPECT_EQ(at ? static_cast<size_t>(at - text.c_str()) : std::string::npos,
                  text.find(pattern))
            << '"' << text << "\" in \"" << pattern << '"';
    }
}

TEST(GetToken, RunsEscapesAndTheEnd) {
    EXPECT_EQ(Tokens("  a  b ", " "), (Words{"a", "b"}));
    EXPECT_EQ(Tokens(",a,,b,", ","), (Words{"a", "b"}));
    EXPECT_EQ(Tokens("a\tb\r\nc", " \t\r\n"), (Words{"a", "b", "c"}));
    EXPECT_EQ(Tokens("   ", " "), Words{});
    EXPECT_EQ(Tokens("abc", ""), Words{"abc"});
    EXPECT_EQ(Tokens("a\\,b,c", ","), (Words{"a,b", "c"}));
    EXPECT_EQ(Tokens("\\n\\r\\q\\\\x\\ty", " "), (Words{"\n\rq\\x\ty"}));
    EXPECT_EQ(Tokens(",\\,,", ","), (Words{","})); // an escaped delimiter starts a token
    EXPECT_EQ(Tokens("a\\", ","), (Words{"a"}));   // a final backslash ends the text
    EXPECT_EQ(Tokens("\\", ","), Words{});
    // After the last token the cursor rests at the end.
    EXPECT_EQ(GetToken("x", " "), std::string("x"));
    EXPECT_EQ(GetToken(nullptr, " "), nullptr);
    EXPECT_EQ(GetToken(nullptr, " "), nullptr);
}

TEST(GetToken, OverlongTokenIsCutAndConsumedWhole) {
    std::string exact(TOKEN_BUF_SIZE - 1, 'e');
    EXPECT_EQ(Tokens((exact + " z").c_str(), " "), (Words{exact, "z"}));
    std::string longer(1000, 'l');
    longer[500] = '\\'; // an escape beyond the cut is consumed too
    longer[501] = ' ';
    EXPECT_EQ(Tokens(("a " + longer + " z").c_str(), " "),
              (Words{"a", std::string(TOKEN_BUF_SIZE - 1, 'l'), "z"}));
}

// GetTokenParse splits in place without translating escapes, whole however
// long; the splitters share one cursor.
TEST(GetTokenParse, InPlaceAndTheSharedCursor) {
    char text[] = "usr:bin::etc";
    EXPECT_STREQ(GetTokenParse(text, ":"), "usr");
    EXPECT_STREQ(GetTokenParse(nullptr, ":"), "bin");
    EXPECT_EQ(GetTokenParse(nullptr, ":"), text + 9);
    EXPECT_EQ(GetTokenParse(nullptr, ":"), nullptr);
    EXPECT_EQ(std::string(text, sizeof text - 1), std::string("usr\0bin\0\0etc", 12));

    char escaped[] = ",a\\,b\\n,c\\";
    EXPECT_STREQ(GetTokenParse(escaped, ","), "a\\,b\\n");
    EXPECT_STREQ(GetTokenParse(nullptr, ","), "c\\");
    EXPECT_EQ(GetTokenParse(nullptr, ","), nullptr);
    std::string longer(1000, 'l');
    EXPECT_EQ(std::string(GetTokenParse(longer.data(), " ")), longer);

    EXPECT_STREQ(GetTokenN("p1 p2 p3", " ", 0), "p1");
    EXPECT_STREQ(GetTokenN("p1 p2 p3", " ", -3), "p1");
    EXPECT_STREQ(GetTokenN("p1 p2 p3", " ", 3), "p3");
    EXPECT_EQ(GetTokenN("p1 p2 p3", " ", 4), nullptr);
    EXPECT_EQ(GetToken(nullptr, " "), nullptr);
    EXPECT_STREQ(GetTokenN("p1 p2 p3 p4", " ", 2), "p2");
    EXPECT_STREQ(GetToken(nullptr, " "), "p3");
    char walk[] = "a b\\tc d";
    EXPECT_STREQ(GetTokenParse(walk, " "), "a");
    EXPECT_STREQ(GetToken(nullptr, " "), "b\tc");
    EXPECT_STREQ(GetTokenParse(nullptr, " "), "d");
    EXPECT_EQ(GetTokenN(nullptr, " ", 1), nullptr);
}

} // namespace
