// Unit tests of the language and encoding that LANG chooses: the table for each form of LANG, every
// text of every table converted to UTF-8 as iconv converts it, and LANG as the commands then see it.
#include "install/nls.h"
#include "testutil.h"
#include <algorithm>
#include <iconv.h>
namespace {
// text (ISO 8859-1) in UTF-8, converted by the C library.
std::string Iconv(const std::string &text) {
    iconv_t cd = iconv_open("UTF-8", "ISO-8859-1");
    std::string out(text.size() * 2, '\0');
    char *in = const_cast<char *>(text.data()), *to = out.data();
    size_t left = text.size(), room = out.size();
    iconv(cd, &in, &left, &to, &room);
    iconv_close(cd);
    return out.substr(0, out.size() - room);
}
// Chooses afresh from LANG=value; the table, whether texts are converted, and LANG afterwards.
std::string Choose(const char *value) {
    setenv("LANG", value, 1), pCurLang = nullptr, nlsSetupStrCvt(0);
    const char *const *tables[] = {NLS_ENGLISH, NLS_SPANISH, NLS_ITALIAN, NLS_FRENCH, NLS_GERMAN, NLS_PORTUGUESE};
    const char *names[] = {"en", "es", "it", "fr", "de", "pt", "none"};
    std::string name = names[std::find(tables, tables + 6, pCurLang) - tables];
    return name + (flUtf8Texts ? " utf8 " : " 8859 ") + getenv("LANG");
}
TEST(LanguageChoice, LanguagePartAndCodeset) {
    const std::pair<const char *, const char *> rows[] = {
        {"de_DE.UTF-8", "de utf8 de_DE"}, {"pt_BR.utf8", "pt utf8 pt_BR"}, {"es_MX", "es 8859 es_MX"},
        {"fr_CA.ISO-8859-1", "fr 8859 fr_CA"}, {"it_CH@euro", "it 8859 it_CH@euro"}, {"en_GB.uTf-8@x", "en utf8 en_GB"},
        {"fr_FR@euro.UTF-8", "fr utf8 fr_FR@euro"}, {"es", "es 8859 es"}, {"ge_GE.UTF-8", "de utf8 ge_GE"},
        {"pr_BR", "pt 8859 pr_BR"}, {"C", "en 8859 C"}, {"C.UTF-8", "en utf8 C"}, {"", "en 8859 "},
        {"ge", "en 8859 ge"}, {"pr_PT", "en 8859 pr_PT"}, {"FR_FR", "en 8859 FR_FR"}, {"fra_FR", "en 8859 fra_FR"},
        {"de_DE.UTF-16", "de 8859 de_DE"}, {"de_DE.utf", "de 8859 de_DE"}, {"de_DE.UTF-8x", "de 8859 de_DE"}};
    for (const auto &[value, want] : rows)
        EXPECT_EQ(Choose(value), want) << "LANG=" << value;
    EXPECT_EQ(Choose(("de_DE_" + std::string(300, 'x') + ".UTF-8").c_str()).substr(0, 7), "de utf8");
    setenv("LANG", "es_ES", 1); // read once: the choice of the last call stays
    EXPECT_EQ(nlsSetupStrCvt(MSG_USAGE), Iconv(NLS_GERMAN[MSG_USAGE]));
    unsetenv("LANG"), pCurLang = nullptr, nlsSetupStrCvt(0);
}
// Every text of every table, converted in full; the pointer handed out stays the same for the run.
TEST(LanguageChoice, EveryTextConvertedToUtf8) {
    for (const char *lang : {"en_US", "es_ES", "it_IT", "fr_FR", "de_DE", "pt_BR"}) {
        Choose((std::string(lang) + ".UTF-8").c_str());
        const char *const *table = pCurLang;
        for (int id = 0; id < NLS_COUNT; id++) {
            const char *text = nlsSetupStrCvt(id);
            EXPECT_EQ(text, Iconv(table[id])) << lang << " message " << id;
            EXPECT_EQ(text, nlsSetupStrCvt(id)) << lang << " message " << id;
        }
        Choose((std::string(lang) + ".ISO-8859-1").c_str());
        EXPECT_EQ(nlsSetupStrCvt(MSG_USAGE), table[MSG_USAGE]) << lang;
    }
    unsetenv("LANG"), pCurLang = nullptr, nlsSetupStrCvt(0);
}
} // namespace
