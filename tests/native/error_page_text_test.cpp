// Which lines the error page shows for a set of failure bits, and where, in
// both languages.
#include "saver/error_page_text.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

struct Line {
    int y;
    std::u16string text;
};

std::vector<Line> Page(uint32_t flags, const char16_t* fileName = u"morvella.dat",
                       UiLanguage language = UiJapanese, int lineHeight = kErrorLineHeight)
{
    std::vector<Line> lines;
    int count = LayoutErrorPage(flags, fileName, language, lineHeight,
                                [](const ErrorPageLine& line, void* out) {
                                    EXPECT_EQ(0, line.x);
                                    static_cast<std::vector<Line>*>(out)->push_back({ line.y, line.text });
                                },
                                &lines);
    EXPECT_EQ(static_cast<int>(lines.size()), count);
    return lines;
}

std::vector<int> Ys(const std::vector<Line>& lines)
{
    std::vector<int> ys;
    for (const Line& l : lines)
        ys.push_back(l.y);
    return ys;
}

TEST(ErrorPageLayout, HeadingAloneForBitsWithoutABlock)
{
    std::vector<Line> page = Page(ErrModelSnapshot);
    ASSERT_EQ(1u, page.size());
    EXPECT_EQ(0, page[0].y);
    EXPECT_EQ(u"エラーが発生しています。", page[0].text);
}

TEST(ErrorPageLayout, ModelFileBlockFillsTheFileName)
{
    std::vector<Line> page = Page(ErrModelFile);
    ASSERT_EQ(3u, page.size());
    EXPECT_EQ((std::vector<int>{ 0, 16, 32 }), Ys(page));
    EXPECT_EQ(u"エラー：ファイルロードエラー。", page[1].text);
    EXPECT_EQ(u"対策：morvella.datファイルを.scrファイルと同じディレクトリにコピーしてください。", page[2].text);
}

TEST(ErrorPageLayout, BlocksStackInBitOrderWithoutGaps)
{
    std::vector<Line> both = Page(ErrDirectDraw | ErrDirect3D | 0x40000000u);
    ASSERT_EQ(13u, both.size());
    EXPECT_EQ(16, both[1].y);
    EXPECT_EQ(112, both[7].y);
    EXPECT_EQ(u"エラー：Direct3D初期化失敗。", both[8].text);
    EXPECT_EQ(128, both[8].y);
    EXPECT_EQ(192, both[12].y);
    EXPECT_EQ(u"      (2) 設定ダイアログのRGBデバイスをオンにする。", both[12].text);

    EXPECT_EQ(1u + 7 + 5 + 2 + 7 + 7, Page(0xFFFFFFFFu).size());
    EXPECT_EQ(kMaxErrorLines, static_cast<int>(Page(0xFFFFFFFFu).size()));
}

TEST(ErrorPageLayout, BitmapAndTextureBlocksDifferWhereTheyShould)
{
    for (UiLanguage language : { UiJapanese, UiEnglish }) {
        std::vector<Line> bitmap = Page(ErrBitmapFile, u"morvella.dat", language);
        std::vector<Line> texture = Page(ErrTextureLoad, u"morvella.dat", language);
        ASSERT_EQ(8u, bitmap.size());
        ASSERT_EQ(8u, texture.size());
        EXPECT_EQ(Ys(bitmap), Ys(texture));
        EXPECT_EQ(112, bitmap[7].y);
        for (int i = 1; i < 8; ++i) {
            bool differs = bitmap[i].text != texture[i].text;
            EXPECT_EQ(i == 1 || i == 2 || i == 6, differs) << "line " << i << ", language " << language;
        }
    }
    std::vector<Line> texture = Page(ErrTextureLoad);
    std::vector<Line> bitmap = Page(ErrBitmapFile);
    EXPECT_EQ(u"   (3)ビットマップのサイズが縦横同じサイズであること。", texture[6].text);
    EXPECT_EQ(u"   (4)ビットマップのサイズが2の累乗であること。(例：32×32,64×64,...)", bitmap[7].text);
}

TEST(ErrorPageLayout, OverlongFileNameIsCutAtTheEndOfTheLine)
{
    std::u16string name(400, u'x');
    std::vector<Line> page = Page(ErrModelFile, name.c_str());
    EXPECT_EQ(static_cast<size_t>(kErrorLineChars - 1), page[2].text.size());
}

size_t LeadingSpaces(const std::u16string& text)
{
    size_t n = 0;
    while (n < text.size() && text[n] == u' ')
        ++n;
    return n;
}

// The English page keeps the Japanese page's rows: the same lines for the
// same bits, at the same heights, with the same indents, all of them ASCII.
TEST(ErrorPageLayout, EnglishPageHasTheJapaneseRowsAndIndents)
{
    for (uint32_t flags : { ErrModelSnapshot, ErrDirectDraw, ErrDirect3D, ErrModelFile, ErrBitmapFile,
                            ErrTextureLoad, 0xFFFFFFFFu }) {
        std::vector<Line> japanese = Page(flags);
        std::vector<Line> english = Page(flags, u"morvella.dat", UiEnglish);
        ASSERT_EQ(japanese.size(), english.size()) << "flags " << flags;
        EXPECT_EQ(Ys(japanese), Ys(english)) << "flags " << flags;
        for (size_t i = 0; i < english.size(); ++i) {
            EXPECT_EQ(LeadingSpaces(japanese[i].text), LeadingSpaces(english[i].text)) << "flags " << flags << ", line " << i;
            EXPECT_GT(english[i].text.size(), LeadingSpaces(english[i].text)) << "an empty line";
            for (char16_t c : english[i].text)
                EXPECT_TRUE(c >= 0x20 && c < 0x7F) << "flags " << flags << ", line " << i << ": character " << int(c);
        }
    }
    std::vector<Line> page = Page(ErrModelFile, u"morvella.dat", UiEnglish);
    EXPECT_EQ(u"An error has occurred.", page[0].text);
    EXPECT_EQ(u"Remedy: copy the file morvella.dat into the same folder as the .scr file.", page[2].text);
}

TEST(ErrorPageLayout, LinesAreTheLineHeightApartAndItFollowsTheDpi)
{
    EXPECT_EQ((std::vector<int>{ 0, 24, 48 }), Ys(Page(ErrModelFile, u"morvella.dat", UiJapanese, 24)));
    EXPECT_EQ((std::vector<int>{ 0, 32, 64 }), Ys(Page(ErrModelFile, u"morvella.dat", UiEnglish, 32)));
    const struct {
        unsigned dpi;
        int height;
    } heights[] = { { 96, 16 }, { 120, 20 }, { 144, 24 }, { 168, 28 }, { 192, 32 }, { 288, 48 }, { 0, 16 } };
    for (const auto& h : heights)
        EXPECT_EQ(h.height, ErrorLineHeightForDpi(h.dpi)) << h.dpi << " DPI";
}

}  // namespace
