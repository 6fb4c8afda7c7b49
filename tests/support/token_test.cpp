// Tests of the tokenizer: list lookup, substring search, the three splitters
// and their shared cursor, and the limits of the token buffer and the word.
#include "support/token.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// All tokens GetToken yields for text, in order.
std::vector<std::string> Tokens(const char *text, const char *delimiters) {
    std::vector<std::string> out;
    for (char *t = GetToken(text, delimiters); t != nullptr; t = GetToken(nullptr, delimiters))
        out.push_back(t);
    return out;
}

using Words = std::vector<std::string>;

TEST(FindToken, PositionsOfWholeElements) {
    EXPECT_EQ(FindToken("install", ",install,-v"), 1);
    EXPECT_EQ(FindToken("-v", ",install,-v"), 2); // last element, no closing delimiter
    EXPECT_EQ(FindToken("-V", ",install,-v"), 0);
    EXPECT_EQ(FindToken("no", ",y,yes,n,no,"), 4);
    EXPECT_EQ(FindToken("ye", ",y,yes,n,no,"), 0);
    EXPECT_EQ(FindToken("n", ",y,yes,n,no,"), 3); // not the start of "no"
    EXPECT_EQ(FindToken("pr_BR", ",en_US,es_ES,it_IT,fr_FR,ge_GE,pr_BR"), 6);
    EXPECT_EQ(FindToken("a", ",,a,"), 2);
    EXPECT_EQ(FindToken("x", " . .. x "), 3);
    EXPECT_EQ(FindToken("..", " . .. x "), 2);
    EXPECT_EQ(FindToken("b", ",a,b,b"), 2);        // leftmost match wins
    EXPECT_EQ(FindToken("-v", ",install,x-v"), 0); // last element must match whole
}

TEST(FindToken, EmptyWordsAndDegenerateLists) {
    EXPECT_EQ(FindToken("", ",y,yes,n,no,"), 5);
    EXPECT_EQ(FindToken("", ",a,,b"), 2);
    EXPECT_EQ(FindToken("", ",a,b"), 0);
    EXPECT_EQ(FindToken("", ","), 1);
    EXPECT_EQ(FindToken("x", ","), 0);
    EXPECT_EQ(FindToken("x", ""), 0);
    EXPECT_EQ(FindToken(nullptr, ",x"), 0);
    EXPECT_EQ(FindToken("x", nullptr), 0);
    EXPECT_EQ(FindToken("b", "ab"), 1); // the first character is the delimiter
}

TEST(FindToken, LongestWordIsFoundLongerWordIsRefused) {
    std::string word(TOKEN_WORD_MAX, 'w');
    std::string list = ",a," + word + ",";
    EXPECT_EQ(FindToken(word.c_str(), list.c_str()), 2);
    EXPECT_EQ(FindToken(word.c_str(), (",a," + word).c_str()), 2);
    std::string longer = word + "w";
    EXPECT_EQ(FindToken(longer.c_str(), (",a," + longer + ",").c_str()), 0);
    std::string huge(100000, 'h');
    EXPECT_EQ(FindToken(huge.c_str(), (",a," + huge + ",").c_str()), 0);
}

TEST(StrStr, LeftmostOccurrence) {
    const char *text = "aab";
    EXPECT_EQ(StrStr(text, "ab"), text + 1);
    EXPECT_EQ(StrStr(text, "aab"), text);
    EXPECT_EQ(StrStr(text, "b"), text + 2);
    EXPECT_EQ(StrStr(text, "aabb"), nullptr); // never beyond the end of text
    EXPECT_EQ(StrStr(text, "ba"), nullptr);
    EXPECT_EQ(StrStr(text, ""), nullptr);
    EXPECT_EQ(StrStr("", "a"), nullptr);
    EXPECT_EQ(StrStr(nullptr, "a"), nullptr);
    EXPECT_EQ(StrStr(text, nullptr), nullptr);
    const char *mat = "UU U  U   U";
    EXPECT_EQ(StrStr(mat, "   "), mat + 7);
}

TEST(GetToken, DelimiterRunsAndEmptyElementsYieldNoTokens) {
    EXPECT_EQ(Tokens("  a  b ", " "), (Words{"a", "b"}));
    EXPECT_EQ(Tokens(",a,,b,", ","), (Words{"a", "b"}));
    EXPECT_EQ(Tokens("usr:bin", ":"), (Words{"usr", "bin"}));
    EXPECT_EQ(Tokens("a\tb\r\nc", " \t\r\n"), (Words{"a", "b", "c"}));
    EXPECT_EQ(Tokens("", " "), Words{});
    EXPECT_EQ(Tokens("   ", " "), Words{});
    EXPECT_EQ(Tokens("abc", ""), Words{"abc"});
    // After the last token the cursor rests at the end.
    EXPECT_EQ(GetToken("x", " "), std::string("x"));
    EXPECT_EQ(GetToken(nullptr, " "), nullptr);
    EXPECT_EQ(GetToken(nullptr, " "), nullptr);
}

TEST(GetToken, BackslashEscapes) {
    EXPECT_EQ(Tokens("a\\,b,c", ","), (Words{"a,b", "c"}));
    EXPECT_EQ(Tokens("x\\ty", " "), (Words{"x\ty"}));
    EXPECT_EQ(Tokens("\\n\\r\\q\\\\", " "), (Words{"\n\rq\\"}));
    EXPECT_EQ(Tokens(",\\,,", ","), (Words{","})); // an escaped delimiter starts a token
    EXPECT_EQ(Tokens("a\\", ","), (Words{"a"}));   // a final backslash ends the text
    EXPECT_EQ(Tokens("\\", ","), Words{});
    EXPECT_EQ(Tokens("a\\ b c", " "), (Words{"a b", "c"}));
}

TEST(GetToken, OverlongTokenIsCutAndConsumedWhole) {
    std::string exact(TOKEN_BUF_SIZE - 1, 'e');
    EXPECT_EQ(Tokens((exact + " z").c_str(), " "), (Words{exact, "z"}));

    std::string longer(1000, 'l');
    longer[500] = '\\'; // an escape beyond the cut is consumed too
    longer[501] = ' ';
    Words got = Tokens(("a " + longer + " z").c_str(), " ");
    EXPECT_EQ(got, (Words{"a", std::string(TOKEN_BUF_SIZE - 1, 'l'), "z"}));
}

TEST(GetTokenParse, SplitsInPlaceWithoutTranslatingEscapes) {
    char text[] = "usr:bin::etc";
    EXPECT_STREQ(GetTokenParse(text, ":"), "usr");
    EXPECT_STREQ(GetTokenParse(nullptr, ":"), "bin");
    char *etc = GetTokenParse(nullptr, ":");
    EXPECT_EQ(etc, text + 9);
    EXPECT_STREQ(etc, "etc");
    EXPECT_EQ(GetTokenParse(nullptr, ":"), nullptr);
    EXPECT_EQ(std::string(text, sizeof text - 1), std::string("usr\0bin\0\0etc", 12));

    char escaped[] = ",a\\,b\\n,c";
    EXPECT_STREQ(GetTokenParse(escaped, ","), "a\\,b\\n");
    EXPECT_STREQ(GetTokenParse(nullptr, ","), "c");
    EXPECT_EQ(GetTokenParse(nullptr, ","), nullptr);

    char trailing[] = "a b\\";
    EXPECT_STREQ(GetTokenParse(trailing, " "), "a");
    EXPECT_STREQ(GetTokenParse(nullptr, " "), "b\\");
    EXPECT_EQ(GetTokenParse(nullptr, " "), nullptr);

    // No buffer is involved: a long token is returned whole.
    std::string longer(1000, 'l');
    std::vector<char> buf(longer.begin(), longer.end());
    buf.push_back('\0');
    EXPECT_EQ(std::string(GetTokenParse(buf.data(), " ")), longer);
}

TEST(GetTokenN, NthTokenAndSharedCursor) {
    EXPECT_STREQ(GetTokenN("p1 p2 p3", " ", 2), "p2");
    EXPECT_STREQ(GetTokenN("p1 p2 p3", " ", 1), "p1");
    EXPECT_STREQ(GetTokenN("p1 p2 p3", " ", 0), "p1");
    EXPECT_STREQ(GetTokenN("p1 p2 p3", " ", -3), "p1");
    EXPECT_STREQ(GetTokenN("p1 p2 p3", " ", 3), "p3");
    EXPECT_EQ(GetTokenN("p1 p2 p3", " ", 4), nullptr);
    EXPECT_EQ(GetToken(nullptr, " "), nullptr);

    // The walk goes on after the token GetTokenN returned.
    EXPECT_STREQ(GetTokenN("p1 p2 p3 p4", " ", 2), "p2");
    EXPECT_STREQ(GetToken(nullptr, " "), "p3");
    EXPECT_STREQ(GetToken(nullptr, " "), "p4");
    EXPECT_EQ(GetToken(nullptr, " "), nullptr);

    // The splitters share one cursor: a walk begun in place continues in
    // the token buffer, and the other way round.
    char text[] = "a b\\tc d";
    EXPECT_STREQ(GetTokenParse(text, " "), "a");
    EXPECT_STREQ(GetToken(nullptr, " "), "b\tc");
    EXPECT_STREQ(GetTokenParse(nullptr, " "), "d");
    EXPECT_EQ(GetTokenN(nullptr, " ", 1), nullptr);
}

} // namespace
