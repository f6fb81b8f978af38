#include "src/editor/depth_notice_text.h"

#include "src/resources/editor_ids.h"

namespace ulvo {

int DepthNoticeTextId(DepthNotice notice) {
  switch (notice) {
    case DepthNotice::kHandOffMissing:
      return IDS_ULVO_NOTICE_MISSING;
    case DepthNotice::kHandOffOtherSize:
      return IDS_ULVO_NOTICE_OTHER_SIZE;
    case DepthNotice::kHandOffOtherRun:
      return IDS_ULVO_NOTICE_OTHER_RUN;
    case DepthNotice::kHandOffChanged:
      return IDS_ULVO_NOTICE_CHANGED;
    case DepthNotice::kHandOffDamaged:
      return IDS_ULVO_NOTICE_DAMAGED;
    case DepthNotice::kNone:
    case DepthNotice::kNoDepth:
      break;
  }
  return IDS_ULVO_NOTICE_NO_DEPTH;
}

}  // namespace ulvo
