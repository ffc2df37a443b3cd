// korvane-cli's texts for people in English on request: "--lang en" or
// KORVANE_LANG=en; Russian, byte for byte as always, otherwise.
#include <algorithm>
#include <gtest/gtest.h>

#include "CliRun.h"

namespace {

bool HasCyrillic(const std::string& s)
{
    // Cyrillic letters in UTF-8 start with 0xD0..0xD3.
    return std::any_of(s.begin(), s.end(), [](char c) { return uint8_t(c) >= 0xD0 && uint8_t(c) <= 0xD3; });
}

struct TDemo {
    TempDir dir;
    TDemo() { EXPECT_EQ(RunCli("make-demo " + Quote(dir.Path())).code, 0); }
};

}  // namespace

// Every verb that prints Russian, in both languages and every way of asking.
TEST(CliLanguage, RussianUnlessEnglishIsAskedFor)
{
    TDemo demo;
    const std::string img = Quote(demo.dir.File("demo.img"));
    // The check's report on a name with a space.
    const std::string bad = Quote(demo.dir.File("demo_v2.img"));
    EXPECT_EQ(RunCli("rename " + bad + " 1 'bad name.dff'").code, 0);
    const std::vector<std::string> commands = {
        "check " + bad,
        "list " + img,  "list --format tsv " + img, "list --format json " + img, "dff " + img + " 1",
        "check " + img, "find " + img + " lamp",    "find " + img + " nothing-is-called-this",
        "dff " + img + " 7", "col " + img + " 9",
    };
    for (const std::string& c : commands) {
        SCOPED_TRACE(c);
        const TCliRun ru = RunCli(c);
        EXPECT_TRUE(HasCyrillic(ru.out + ru.err));
        for (const TCliRun& same : {RunCli("--lang ru " + c), RunCli(c, "KORVANE_LANG=ru"), RunCli(c, "KORVANE_LANG=de"),
                                    RunCli(c + " --lang ru", "KORVANE_LANG=en")}) {
            EXPECT_EQ(same.out, ru.out);
            EXPECT_EQ(same.err, ru.err);
            EXPECT_EQ(same.code, ru.code);
        }
        const TCliRun en = RunCli("--lang en " + c);
        EXPECT_FALSE(HasCyrillic(en.out + en.err)) << en.out << en.err;
        EXPECT_EQ(en.code, ru.code);
        for (const TCliRun& same : {RunCli(c, "KORVANE_LANG=en"), RunCli(c + " --lang en", "KORVANE_LANG=ru")}) {
            EXPECT_EQ(same.out, en.out);
            EXPECT_EQ(same.err, en.err);
        }
    }
}

TEST(CliLanguage, TheEnglishTexts)
{
    TDemo demo;
    const std::string img = Quote(demo.dir.File("demo.img"));
    EXPECT_EQ(RunCli("--lang en list " + img).out.substr(0, 73),
              "#   Name             Address   Size\n"
              "0   textures.txd     00000000  18 KB\n");
    EXPECT_EQ(RunCli("--lang en check " + img).out, "Check complete\n");
    const TCliRun dff = RunCli("--lang en dff " + img + " 1");
    EXPECT_EQ(dff.out.substr(0, 11), "< Part #1 >");
    EXPECT_NE(dff.out.find("\n367 vertices, 556 polygons\n"), std::string::npos) << dff.out;
    EXPECT_EQ(RunCli("--lang en find " + img + " zzz").err, "korvane-cli: The string was not found.\n");
    // The collision totals differ in their two words alone.
    std::string col = RunCli("col " + img + " 9").out;
    const std::string models = "\n3 моделей, ", faces = " граней\n";
    ASSERT_NE(col.find(models), std::string::npos) << col;
    col.replace(col.find(models), models.size(), "\n3 models, ");
    col.replace(col.rfind(faces), faces.size(), " faces\n");
    EXPECT_EQ(RunCli("--lang en col " + img + " 9").out, col);
    // The animation package's texts have no words to translate.
    for (const char* format : {"text", "json"}) {
        const std::string ifp = "ifp " + img + " 10 --format " + format;
        const TCliRun ru = RunCli(ifp);
        EXPECT_EQ(ru.code, 0);
        EXPECT_FALSE(HasCyrillic(ru.out + ru.err)) << ru.out;
        EXPECT_EQ(RunCli("--lang en " + ifp).out, ru.out);
    }
}

TEST(CliLanguage, ALanguageOtherThanEnOrRuIsAUsageError)
{
    EXPECT_EQ(RunCli("--lang de list x.img").err.substr(0, 42), "korvane-cli: --lang takes en or ru, not 'd");
    EXPECT_EQ(RunCli("list x.img --lang").err.substr(0, 46), "korvane-cli: option --lang needs a language\nus");
}
