#include "saver/error_page_text.h"

#include <type_traits>

#include "saver/error_page_texts.h"

namespace {

const char16_t kHeading[] = u"エラーが発生しています。";

const char16_t* const kDirectDrawBlock[] = {
    u"エラー：DirectDraw初期化失敗。",
    u"原因：下記原因が考えられます。",
    u"   (1) DirectX7がインストールされていない。",
    u"   (2) VRAM不足。",
    u"対策：下記項目を実施してください。",
    u"   (1) DirectX7インストールしてください。",
    u"   (2) 解像度を落としてください。",
    nullptr,
};

const char16_t* const kDirect3DBlock[] = {
    u"エラー：Direct3D初期化失敗。",
    u"原因：Direct3Dデバイスが現在の画面モードに対応していないことが考えられます。",
    u"対策：下記のいずれかを試してみてください。",
    u"      (1) 画面の色数を変更する。(16bit推奨)",
    u"      (2) 設定ダイアログのRGBデバイスをオンにする。",
    nullptr,
};

const char16_t* const kBitmapFileBlock[] = {
    u"エラー：Bitmapファイルエラー。",
    u"原因：指定したビットマップファイルにエラーがあります。",
    u"対策：下記項目を確認してください。",
    u"   (1)設定ダイアログで指定したファイル名が正しいこと。",
    u"   (2)指定ビットマップファイルが.scrファイルと同じディレクトリに格納されていること。",
    u"   (3)ビットマップのサイズが縦横同じであること。",
    u"   (4)ビットマップのサイズが2の累乗であること。(例：32×32,64×64,...)",
    nullptr,
};

const char16_t* const kTextureLoadBlock[] = {
    u"エラー：初期化エラー。",
    u"原因：ビットマップファイルがロードできなかったのが原因と考えられます。",
    u"対策：下記項目を確認してください。",
    u"   (1)設定ダイアログで指定したファイル名が正しいこと。",
    u"   (2)指定ビットマップファイルが.scrファイルと同じディレクトリに格納されていること。",
    u"   (3)ビットマップのサイズが縦横同じサイズであること。",
    u"   (4)ビットマップのサイズが2の累乗であること。(例：32×32,64×64,...)",
    nullptr,
};

}  // namespace

extern const ErrorPageTexts<char16_t> kJapaneseErrorPage = {
    kHeading,
    kDirectDrawBlock,
    kDirect3DBlock,
    u"エラー：ファイルロードエラー。",
    u"対策：",
    u"ファイルを.scrファイルと同じディレクトリにコピーしてください。",
    kBitmapFileBlock,
    kTextureLoadBlock,
};

namespace {

// Appends `text` at `*used`, keeping room for the terminator. English texts
// are ASCII bytes, each the character of the same number.
template <class Char>
void Append(char16_t* line, int* used, const Char* text)
{
    while (*text && *used < kErrorLineChars - 1)
        line[(*used)++] = static_cast<char16_t>(static_cast<typename std::make_unsigned<Char>::type>(*text++));
    line[*used] = 0;
}

// Produces the page line by line into one buffer.
template <class Char>
struct PageWriter {
    ErrorLineSink sink;
    void* context;
    int lineHeight;
    int y;
    int count;
    ErrorPageLine line;

    void Emit(const Char* a, const char16_t* b = u"", const Char* c = nullptr)
    {
        int used = 0;
        line.x = 0;
        line.y = y;
        line.text[0] = 0;
        Append(line.text, &used, a);
        Append(line.text, &used, b);
        if (c)
            Append(line.text, &used, c);
        sink(line, context);
        ++count;
        y += lineHeight;
    }

    void EmitBlock(const Char* const* block)
    {
        for (; *block; ++block)
            Emit(*block);
    }
};

template <class Char>
int LayoutPage(const ErrorPageTexts<Char>& texts, uint32_t flags, const char16_t* fileName, int lineHeight,
               ErrorLineSink sink, void* context)
{
    PageWriter<Char> page;
    page.sink = sink;
    page.context = context;
    page.lineHeight = lineHeight;
    page.y = 0;
    page.count = 0;
    page.Emit(texts.heading);
    if (flags & ErrDirectDraw)
        page.EmitBlock(texts.directDraw);
    if (flags & ErrDirect3D)
        page.EmitBlock(texts.direct3D);
    if (flags & ErrModelFile) {
        page.Emit(texts.modelFileError);
        page.Emit(texts.modelFileRemedyBefore, fileName, texts.modelFileRemedyAfter);
    }
    if (flags & ErrBitmapFile)
        page.EmitBlock(texts.bitmapFile);
    if (flags & ErrTextureLoad)
        page.EmitBlock(texts.textureLoad);
    return page.count;
}

}  // namespace

int LayoutErrorPage(uint32_t flags, const char16_t* fileName, UiLanguage language, int lineHeight,
                    ErrorLineSink sink, void* context)
{
    if (language == UiJapanese)
        return LayoutPage(kJapaneseErrorPage, flags, fileName, lineHeight, sink, context);
    return LayoutPage(kEnglishErrorPage, flags, fileName, lineHeight, sink, context);
}

int ErrorLineHeightForDpi(unsigned dpi)
{
    if (dpi == 0)
        return kErrorLineHeight;
    return static_cast<int>((static_cast<unsigned long>(kErrorLineHeight) * dpi + 48) / 96);
}
