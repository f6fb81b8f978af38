#include "src/editor/depth_notice_text.h"

namespace ulvo {

std::string DepthNoticeText(DepthNotice notice) {
  const std::string evenly = "：画像全体を均一にぼかします";
  switch (notice) {
    case DepthNotice::kNone:
    case DepthNotice::kNoDepth:
      return "距離データなし" + evenly;
    case DepthNotice::kHandOffMissing:
      return "距離データ(alpha.dat)が見つかりません" + evenly;
    case DepthNotice::kHandOffOtherSize:
      return "距離データ(alpha.dat)は大きさの違う画像のものです" + evenly;
    case DepthNotice::kHandOffOtherRun:
      return "距離データ(alpha.dat)は別のセッションのものです" + evenly;
    case DepthNotice::kHandOffChanged:
      return "距離データ(alpha.dat)は転送の後で書き換えられました" + evenly;
    case DepthNotice::kHandOffDamaged:
      return "距離データ(alpha.dat)が壊れています" + evenly;
  }
  return "距離データなし" + evenly;
}

}  // namespace ulvo
