// Tests of the tokenizer: list lookup, substring search, the three splitters and their shared
// cursor, and the limits of the token buffer and the word.
#include "support/token.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

using Words = std::vector<std::string>;

Words Tokens(const char *text, const char *delimiters) {
    Words out;
    for (char *t = GetToken(text, delimiters); t != nullptr; t = GetToken(nullptr, delimiters))
        out.push_back(t);
    return out;
}

// Only a whole element counts (the last one has no closing delimiter), the first character is the
// delimiter, a word holding it is no element, another list's delimiter is an ordinary character.
TEST(FindToken, PositionsOfWholeElements) {
    std::string word(TOKEN_WORD_MAX, 'w'), longer = word + "w", huge(100000, 'h');
    const struct { std::string word, list; int pos; } cases[] = {
        {"install", ",install,-v", 1}, {"-v", ",install,-v", 2}, {"-v", ",install,x-v", 0}, {"-V", ",install,-v", 0},
        {"ye", ",y,yes,n,no,", 0}, {"n", ",y,yes,n,no,", 3}, {"b", ",a,b,b", 2}, {"..", " . .. x ", 2},
        {"", ",y,yes,n,no,", 5}, {"", ",a,b", 0}, {"x", ",", 0}, {"x", "", 0}, {"b", "ab", 1}, {"y,yes", ",y,yes,n,no,", 0},
        {"yes,n", ",y,yes,n,no,", 0}, {"no,", ",y,yes,n,no,", 0}, {",", ",y,,n", 0}, {"a b", " a b ", 0}, {"x y", ",x y,", 1},
        {word, ",a," + word, 2}, {longer, ",a," + longer + ",", 0}, {huge, ",a," + huge + ",", 0}};
    for (const auto &c : cases)
        EXPECT_EQ(FindToken(c.word.c_str(), c.list.c_str()), c.pos) << c.word.substr(0, 20) << " in " << c.list.substr(0, 20);
    EXPECT_TRUE(FindToken(nullptr, ",x") == 0 && FindToken("x", nullptr) == 0);
}

TEST(StrStr, LeftmostOccurrence) {
    const char *text = "aab"; // never beyond the end of text
    EXPECT_TRUE(StrStr(text, "ab") == text + 1 && StrStr(text, "b") == text + 2 && !StrStr(text, "aabb"));
    EXPECT_TRUE(!StrStr(text, "") && !StrStr(nullptr, "a") && !StrStr(text, nullptr));
    // Random texts of mostly blanks, as MATs and listings have, against a reference.
    std::mt19937 rng(12);
    for (int round = 0; round < 3000; round++) {
        std::string text(rng() % 400, ' '), pattern(1 + rng() % 12, ' ');
        for (std::string *s : {&text, &pattern})
            for (char &c : *s)
                c = rng() % 5 == 0 ? "Ux"[rng() % 2] : ' ';
        const char *at = StrStr(text.c_str(), pattern.c_str());
        EXPECT_EQ(at ? static_cast<size_t>(at - text.c_str()) : std::string::npos, text.find(pattern))
            << '"' << text << "\" in \"" << pattern << '"';
    }
}

// Runs of delimiters, escapes (an escaped delimiter starts a token, a final backslash ends the
// text), and an overlong token cut and consumed whole.
TEST(GetToken, RunsEscapesTheEndAndOverlongTokens) {
    std::string exact(TOKEN_BUF_SIZE - 1, 'e'), longer(1000, 'l');
    longer[500] = '\\', longer[501] = ' ';
    const struct { std::string text; const char *delims; Words words; } cases[] = {
        {"  a  b ", " ", {"a", "b"}}, {",a,,b,", ",", {"a", "b"}}, {"a\tb\r\nc", " \t\r\n", {"a", "b", "c"}},
        {"   ", " ", {}}, {"abc", "", {"abc"}}, {"a\\,b,c", ",", {"a,b", "c"}}, {"\\n\\r\\q\\\\x\\ty", " ", {"\n\rq\\x\ty"}},
        {",\\,,", ",", {","}}, {"a\\", ",", {"a"}}, {"\\", ",", {}}, {exact + " z", " ", {exact, "z"}},
        {"a " + longer + " z", " ", {"a", std::string(TOKEN_BUF_SIZE - 1, 'l'), "z"}}};
    for (const auto &c : cases)
        EXPECT_EQ(Tokens(c.text.c_str(), c.delims), c.words) << c.text;
    EXPECT_EQ(GetToken("x", " "), std::string("x")); // after the last token the cursor rests at the end
    EXPECT_EQ(GetToken(nullptr, " "), nullptr);
    EXPECT_EQ(GetToken(nullptr, " "), nullptr);
}

// GetTokenParse splits in place without translating escapes, whole however long; the splitters
// share one cursor.
TEST(GetTokenParse, InPlaceAndTheSharedCursor) {
    auto s = [](const char *p) { return std::string(p ? p : "(null)"); }; // braced lists call in order
    char text[] = "usr:bin::etc", escaped[] = ",a\\,b\\n,c\\", walk[] = "a b\\tc d";
    EXPECT_EQ((Words{s(GetTokenParse(text, ":")), s(GetTokenParse(nullptr, ":"))}), (Words{"usr", "bin"}));
    EXPECT_EQ(GetTokenParse(nullptr, ":"), text + 9);
    EXPECT_EQ(GetTokenParse(nullptr, ":"), nullptr);
    EXPECT_EQ(std::string(text, sizeof text - 1), std::string("usr\0bin\0\0etc", 12));
    EXPECT_EQ((Words{s(GetTokenParse(escaped, ",")), s(GetTokenParse(nullptr, ",")), s(GetTokenParse(nullptr, ","))}),
              (Words{"a\\,b\\n", "c\\", "(null)"}));
    std::string longer(1000, 'l');
    EXPECT_EQ(std::string(GetTokenParse(longer.data(), " ")), longer);
    EXPECT_EQ((Words{s(GetTokenN("p1 p2 p3", " ", 0)), s(GetTokenN("p1 p2 p3", " ", -3)), s(GetTokenN("p1 p2 p3", " ", 3)),
                     s(GetTokenN("p1 p2 p3", " ", 4)), s(GetToken(nullptr, " ")), s(GetTokenN("p1 p2 p3 p4", " ", 2)),
                     s(GetToken(nullptr, " "))}),
              (Words{"p1", "p1", "p3", "(null)", "(null)", "p2", "p3"}));
    EXPECT_EQ((Words{s(GetTokenParse(walk, " ")), s(GetToken(nullptr, " ")), s(GetTokenParse(nullptr, " ")),
                     s(GetTokenN(nullptr, " ", 1))}),
              (Words{"a", "b\tc", "d", "(null)"}));
}

} // namespace
