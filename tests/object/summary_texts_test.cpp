// What the object window tells its user, in both languages, and the check
// that keeps a file the saver would refuse from ever being installed.
#include <gtest/gtest.h>

#include "object/model_check.h"
#include "object/texts.h"
#include "object/user_summary.h"
#include "tools/default_model.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

// The printf conversions of a text, in order ("%s", "%.2g", ...).
std::vector<std::string> Conversions(const char* text)
{
    std::vector<std::string> found;
    for (const char* p = text; (p = strchr(p, '%')) != nullptr;) {
        size_t n = strspn(p + 1, "0123456789.-+ #lhz");
        if (p[1 + n] == '%') {
            p += 2 + n;
            continue;
        }
        found.push_back(std::string(p, n + 2));
        p += n + 2;
    }
    return found;
}

// The access key of a control's text: the letter after its '&'.
char AccessKey(const char* text)
{
    const char* amp = strchr(text, '&');
    return amp && amp[1] ? (char)toupper((unsigned char)amp[1]) : 0;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    for (size_t at = 0, end; (end = text.find('\n', at)) != std::string::npos; at = end + 1)
        lines.push_back(text.substr(at, end - at));
    return lines;
}

}  // namespace

// Every text in both languages, with the same printf arguments (a format the
// other language reads differently would print garbage or crash), and the
// window's access keys the same letter in both and each used once.
TEST(ObjectTexts, BothLanguagesTakeTheSameArgumentsAndAccessKeys)
{
    for (int i = 0; i < (int)Text::Count; ++i) {
        const char* english = TextOf((Text)i, UiEnglish);
        const char* japanese = TextOf((Text)i, UiJapanese);
        SCOPED_TRACE(english);
        EXPECT_NE(0u, strlen(english));
        EXPECT_NE(0u, strlen(japanese));
        EXPECT_NE(std::string(english), std::string(japanese)) << "not translated";
        EXPECT_EQ(Conversions(english), Conversions(japanese)) << japanese;
        EXPECT_EQ(AccessKey(english), AccessKey(japanese)) << japanese;
    }
    const Text controls[] = {Text::Choose, Text::UpY,   Text::UpZ,    Text::Flat,
                             Text::Convert, Text::UseIt, Text::PutBack, Text::ShowIt, Text::RemoveHiddenCopy};
    std::string keys;
    for (Text control : controls) {
        const char key = AccessKey(TextOf(control, UiEnglish));
        EXPECT_NE(0, key) << TextOf(control, UiEnglish);
        EXPECT_EQ(std::string::npos, keys.find(key)) << "access key " << key << " twice";
        keys += key;
    }
    EXPECT_EQ(AccessKey(TextOf(Text::Convert, UiEnglish)), AccessKey(TextOf(Text::ConvertAgain, UiEnglish)));
}

// The summary gives the triangles before and after and the size, and a
// warning for each thing the user may not expect, and no other.
TEST(ObjectSummary, CountsSizeAndEveryWarningTheReportCallsFor)
{
    ConvertOptions options;
    ConvertReport plain;
    plain.inputTriangles = 4212;
    plain.triangles = 4212;
    plain.bytes = 405236;
    ConvertReport busy = plain;
    busy.inputTriangles = 120000;
    busy.triangles = 21845;
    busy.coloursNotShown = true;
    busy.simplified = true;
    busy.simplify.before = 120000;
    busy.simplify.after = 21845;
    busy.simplify.budget = 21845;
    busy.simplify.error = 0.004;
    busy.simplify.outlineMoved = 0.01;
    busy.simplify.holesOpened = true;
    busy.skippedPrimitives = 3;
    busy.clean.degenerate = 2;
    busy.bytes = 2 * 1024 * 1024 + 100;
    const struct {
        const char* name;
        const ConvertReport& report;
        std::vector<Text> warnings;
        const char* counts;   // in the first line
        const char* size;     // in the second
    } cases[] = {
        {"a model taken as it is", plain, {}, "4,212", "396 KB"},
        {"a large coloured model with lines, simplified", busy,
         {Text::WarnColours, Text::WarnSimplified, Text::WarnOutlineMoved, Text::WarnHolesOpened, Text::WarnLeftOut},
         "21,845", "2.0 MB"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (UiLanguage language : {UiEnglish, UiJapanese}) {
            const std::vector<std::string> lines = Lines(UserSummary(options, c.report, language));
            ASSERT_EQ(3 + c.warnings.size(), lines.size()) << UserSummary(options, c.report, language);
            EXPECT_NE(std::string::npos, lines[0].find(c.counts)) << lines[0];
            EXPECT_NE(std::string::npos, lines[1].find(c.size)) << lines[1];
            for (size_t i = 0; i < c.warnings.size(); ++i) {
                // Each warning's text up to its first argument.
                const std::string start = TextOf(c.warnings[i], language);
                const std::string head = start.substr(0, start.find('%'));
                EXPECT_EQ(0u, lines[3 + i].find(head)) << lines[3 + i];
            }
        }
    }
    EXPECT_NE(std::string::npos, UserSummary(options, busy, UiEnglish).find("from 120,000 triangles"));
    EXPECT_NE(std::string::npos, UserSummary(options, busy, UiEnglish).find("5 points"));
}

// Only a file the saver's loader takes, with an object to draw, is ever
// put beside the saver.
TEST(ObjectModelCheck, OnlyWhatTheSaverLoadsWithAnObjectPasses)
{
    const std::vector<unsigned char> good = BuildDefaultModelFile();
    ASSERT_TRUE(SaverTakesModel(good.data(), good.size()));
    const struct {
        const char* name;
        std::vector<unsigned char> bytes;
    } refused[] = {
        {"empty", {}},
        {"the header alone", std::vector<unsigned char>(good.begin(), good.begin() + 140)},
        {"cut short", std::vector<unsigned char>(good.begin(), good.end() - 1000)},
        {"another magic", [&] { auto b = good; b[0] = 'X'; return b; }()},
        {"a first record that ends the chain: nothing to draw",
         [&] { auto b = good; memset(b.data() + 140, 0, 372); return b; }()},
        {"text", std::vector<unsigned char>(200, 'a')},
    };
    for (const auto& r : refused)
        EXPECT_FALSE(SaverTakesModel(r.bytes.data(), r.bytes.size())) << r.name;
}
