#include "src/editor/headless/headless_strings.h"

#include "src/resources/editor_ids.h"

namespace ulvo {

std::string HeadlessStringResource(int id) {
  switch (id) {
    case IDR_ULVO_MAINFRAME:
      return "UlvoFilter V2.8 Pulgin";
    case IDS_ULVO_PROGRESS_CAPTION:
      return "UlvoFilterの実行中";
    case IDS_ULVO_CONFIRM_DISCARD:
      return "変更を破棄して戻りますか？";
    case IDS_ULVO_CONFIRM_ABORT:
      return "本当にフィルタ作業を中止しますか？";
    case IDS_ULVO_PARSE_INT:
      return "整数を入力してください。";
    case IDS_ULVO_PARSE_INT_RANGE:
      return "%1 から %2 までの整数を入力してください。";
    default:
      return {};
  }
}

DialogTexts HeadlessDialogTexts(int dialogId) {
  switch (dialogId) {
    case IDD_ULVO_ABOUT:
      return {"UlvoFiltのﾊﾞｰｼﾞｮﾝ情報", ""};
    case IDD_ULVO_DEPTH_TRANSFERRED:
      return {"UlvoFilter距離データ", "距離データがUlvoFilterへ転送されました"};
    default:
      return {"dialog " + std::to_string(dialogId), ""};
  }
}

}  // namespace ulvo
