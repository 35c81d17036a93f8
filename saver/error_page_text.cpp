#include "saver/error_page_text.h"

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

// The one line with a placeholder: the model file name goes between the two
// halves.
const char16_t kModelFileRemedyBefore[] = u"対策：";
const char16_t kModelFileRemedyAfter[] = u"ファイルを.scrファイルと同じディレクトリにコピーしてください。";

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

// Appends `text` at `*used`, keeping room for the terminator.
void Append(char16_t* line, int* used, const char16_t* text)
{
    while (*text && *used < kErrorLineChars - 1)
        line[(*used)++] = *text++;
    line[*used] = 0;
}

// Produces the page line by line into one buffer.
struct PageWriter {
    ErrorLineSink sink;
    void* context;
    int y;
    int count;
    ErrorPageLine line;

    void Emit(const char16_t* a, const char16_t* b = u"", const char16_t* c = u"")
    {
        int used = 0;
        line.x = 0;
        line.y = y;
        line.text[0] = 0;
        Append(line.text, &used, a);
        Append(line.text, &used, b);
        Append(line.text, &used, c);
        sink(line, context);
        ++count;
        y += kErrorLineHeight;
    }

    void EmitBlock(const char16_t* const* block)
    {
        for (; *block; ++block)
            Emit(*block);
    }
};

}  // namespace

int LayoutErrorPage(uint32_t flags, const char16_t* fileName, ErrorLineSink sink, void* context)
{
    PageWriter page;
    page.sink = sink;
    page.context = context;
    page.y = 0;
    page.count = 0;
    page.Emit(kHeading);
    if (flags & ErrDirectDraw)
        page.EmitBlock(kDirectDrawBlock);
    if (flags & ErrDirect3D)
        page.EmitBlock(kDirect3DBlock);
    if (flags & ErrModelFile) {
        page.Emit(u"エラー：ファイルロードエラー。");
        page.Emit(kModelFileRemedyBefore, fileName, kModelFileRemedyAfter);
    }
    if (flags & ErrBitmapFile)
        page.EmitBlock(kBitmapFileBlock);
    if (flags & ErrTextureLoad)
        page.EmitBlock(kTextureLoadBlock);
    return page.count;
}
