#include "object/texts.h"

#include <cstddef>

namespace {

struct Pair {
    Text id;
    const char* english;
    const char* japanese;
};

// In the order of Text; TextOf checks that each entry sits at its place.
const Pair kTexts[] = {
    {Text::WindowTitle, "Morvella \xE2\x80\x94 your own object", "Morvella \xE2\x80\x94 自分のオブジェクト"},
    {Text::ModelLabel, "3D model:", "3D モデル:"},
    {Text::NoModelChosen, "None yet. Click \"Choose\", or drop a model file on this window.",
     "まだ選ばれていません。[選択] をクリックするか、モデル ファイルをこのウィンドウにドロップしてください。"},
    {Text::Choose, "Ch&oose...", "選択(&O)..."},
    {Text::UpLabel, "Points up:", "上向きの軸:"},
    {Text::UpY, "&Y axis (most files)", "&Y 軸 (ほとんどのファイル)"},
    {Text::UpZ, "&Z axis (many STL files)", "&Z 軸 (多くの STL ファイル)"},
    {Text::Flat, "&Flat shading (faceted)", "フラット シェーディング (角ばった陰影)(&F)"},
    {Text::Convert, "&Convert", "変換(&C)"},
    {Text::ConvertAgain, "&Convert again", "再変換(&C)"},
    {Text::UseIt, "&Use as my screen saver's object", "スクリーンセーバーで使う(&U)"},
    {Text::PutBack, "&Put back the previous object", "前のオブジェクトに戻す(&P)"},
    {Text::ShowIt, "&Show it now", "今すぐ表示(&S)"},
    {Text::Close, "Close", "閉じる"},
    {Text::Cancel, "Cancel", "キャンセル"},
    {Text::RemoveHiddenCopy, "&Remove that copy", "そのコピーを削除(&R)"},
    {Text::OpenTitle, "Choose a 3D model", "3D モデルの選択"},
    {Text::OpenFilterModels, "3D models (%s)", "3D モデル (%s)"},
    {Text::OpenFilterAll, "All files (*.*)", "すべてのファイル (*.*)"},
    {Text::StageReading, "Reading the model...", "モデルを読み込んでいます..."},
    {Text::StagePreparing, "Placing the object...", "オブジェクトを配置しています..."},
    {Text::StageSimplifying, "Simplifying the object...", "オブジェクトを簡略化しています..."},
    {Text::StageWriting, "Writing and checking the object...", "オブジェクトを書き込んで確認しています..."},
    {Text::Seconds, " (%u s)  Esc cancels.", " (%u 秒)  Esc キーで中止できます。"},
    {Text::Converted, "Converted. Use it as your screen saver's object, or change the choices above and convert again.",
     "変換しました。スクリーンセーバーで使うか、上の設定を変えて再変換できます。"},
    {Text::ConvertCancelled, "Conversion cancelled. Nothing was changed.", "変換を中止しました。何も変更していません。"},
    {Text::ConvertFailed, "This model could not be converted: %s", "このモデルは変換できませんでした: %s"},
    {Text::ConvertCrashed,
     "This model could not be read: the file is damaged, too large, or uses a part of its format that cannot be read.",
     "このモデルは読み込めませんでした。ファイルが壊れているか、大きすぎるか、読み込めない形式の機能が使われています。"},
    {Text::ConvertTimedOut, "Reading this model took more than %u minutes: the file is damaged or too large.",
     "このモデルの読み込みに %u 分以上かかりました。ファイルが壊れているか、大きすぎます。"},
    {Text::ConvertNotStarted, "The conversion could not be started.", "変換を開始できませんでした。"},
    {Text::SummaryTriangles, "Triangles: %s in the model, %s in the object", "三角形: モデル %s 個、オブジェクト %s 個"},
    {Text::SummarySize, "Size: %s", "サイズ: %s"},
    {Text::SummaryPlaced, "Placed for every animation, %s axis up", "すべてのアニメーションに合わせて配置 (%s 軸が上)"},
    {Text::SummaryFlat, "flat shading", "フラット シェーディング"},
    {Text::WarnColours,
     "Note: the model's own colours and textures are not shown. The screen saver paints the object in the colour "
     "and bitmap chosen in its settings.",
     "注意: モデル自身の色とテクスチャは表示されません。オブジェクトはスクリーンセーバーの設定で選んだ色とビットマップで描かれます。"},
    {Text::WarnSimplified,
     "Note: simplified from %s triangles to fit the screen saver's object; surfaces moved by at most %.2g%% of its "
     "size.",
     "注意: スクリーンセーバーのオブジェクトに収まるよう、三角形 %s 個から簡略化しました。面のずれは大きさの %.2g%% 以内です。"},
    {Text::WarnOutlineMoved, "Note: the outline (the open edges) moved by up to %.2g%% of the object's size.",
     "注意: 輪郭 (開いた縁) がオブジェクトの大きさの最大 %.2g%% ずれました。"},
    {Text::WarnHolesOpened, "Note: the simplified surface has holes that the model did not have.",
     "注意: 簡略化した面に、元のモデルにはなかった穴があります。"},
    {Text::WarnOutlineClosed, "Note: the model's open edges were closed up.", "注意: モデルの開いた縁が閉じられました。"},
    {Text::WarnLeftOut, "Note: %s points, lines or triangles without area were left out: they cannot be drawn.",
     "注意: 描けない点、線、面積のない三角形 %s 個を除きました。"},
    {Text::WarnNotAsFew, "Note: %s triangles are kept; parts of the model would vanish if it were made any smaller.",
     "注意: 三角形 %s 個を残しました。これ以上減らすとモデルの一部が消えてしまいます。"},
    {Text::Saver, "Your screen saver: %s", "スクリーンセーバー: %s"},
    {Text::SaverFromSettings, "(the one chosen in the Screen Saver settings)", "(スクリーン セーバーの設定で選ばれているもの)"},
    {Text::SaverFromSetup, "(installed by the setup program)", "(セットアップ プログラムでインストールされたもの)"},
    {Text::SaverFromSystem, "(in the screen savers' folder)", "(スクリーンセーバーのフォルダー)"},
    {Text::NoSaver,
     "Morvella is not installed where Windows starts screen savers. Install it with its setup program (or as the "
     "read-me explains), then try again.",
     "Morvella が、Windows がスクリーンセーバーを起動する場所にインストールされていません。セットアップ プログラムで (または"
     "「お読みください」の説明どおりに) インストールしてから、もう一度お試しください。"},
    {Text::Installed,
     "Done: Morvella now shows this object. The object it replaced is kept; \"Put back the previous object\" "
     "brings it back.",
     "完了しました。Morvella はこのオブジェクトを表示します。置き換えたオブジェクトは保存してあり、[前のオブジェクトに戻す] "
     "で戻せます。"},
    {Text::AlreadyInstalled, "Morvella already shows this object. Nothing was changed.",
     "Morvella はすでにこのオブジェクトを表示しています。何も変更していません。"},
    {Text::PutBackDone,
     "The previous object is back. The one it replaced is kept: \"Put back the previous object\" again brings it "
     "back.",
     "前のオブジェクトに戻しました。置き換えたオブジェクトは保存してあり、もう一度 [前のオブジェクトに戻す] で戻せます。"},
    {Text::NoPrevious, "There is no previous object to put back. Nothing was changed.",
     "戻せる前のオブジェクトがありません。何も変更していません。"},
    {Text::ElevationCancelled, "Administrator permission was not given. Nothing was changed.",
     "管理者の許可が得られませんでした。何も変更していません。"},
    {Text::ElevationFailed, "The copy with administrator rights could not be started (%s). Nothing was changed.",
     "管理者の権限でのコピーを開始できませんでした (%s)。何も変更していません。"},
    {Text::StepRefused, "The screen saver would refuse this file. Nothing was changed.",
     "このファイルはスクリーンセーバーが読み込めません。何も変更していません。"},
    {Text::StepNoSaver, "Morvella is no longer in that folder. Nothing was changed.",
     "そのフォルダーに Morvella がもうありません。何も変更していません。"},
    {Text::StepWriteFailed, "The object could not be written beside the screen saver (%s). Nothing was changed.",
     "スクリーンセーバーのフォルダーにオブジェクトを書き込めませんでした (%s)。何も変更していません。"},
    {Text::StepWriteFailedUntold, "The object could not be written beside the screen saver. Nothing was changed.",
     "スクリーンセーバーのフォルダーにオブジェクトを書き込めませんでした。何も変更していません。"},
    {Text::StepFailed, "The copy with administrator rights failed (exit code %u).",
     "管理者の権限でのコピーが失敗しました (終了コード %u)。"},
    {Text::HiddenCopy,
     "A copy of morvella.dat in your VirtualStore folder hides the installed object from you (Windows shows you "
     "that copy instead): %s",
     "VirtualStore フォルダーにある morvella.dat のコピーが、インストールされたオブジェクトを隠しています (Windows "
     "はあなたにそのコピーを見せます): %s"},
    {Text::HiddenCopyRemoved, "Moved to the Recycle Bin: %s", "ごみ箱に移動しました: %s"},
    {Text::HiddenCopyNotRemoved, "This copy could not be removed: %s", "このコピーは削除できませんでした: %s"},
    {Text::SaverNotStarted, "The screen saver could not be started (%s).", "スクリーンセーバーを起動できませんでした (%s)。"},
};

static_assert(sizeof kTexts / sizeof kTexts[0] == (size_t)Text::Count, "a text for every Text");

}  // namespace

const char* TextOf(Text id, UiLanguage language)
{
    const size_t index = (size_t)id;
    if (index >= (size_t)Text::Count || kTexts[index].id != id)
        return "";
    return language == UiJapanese ? kTexts[index].japanese : kTexts[index].english;
}
