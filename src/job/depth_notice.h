// Why a run has no depth map, as the entry point found it: the editor tells
// the user, since without depth the whole image is blurred evenly.
#pragma once

namespace ulvo {

enum class DepthNotice {
  kNone,              // nothing to say: the run has its depth, or nobody looked
  kNoDepth,           // no depth plane and no hand-off to take one from
  kHandOffMissing,    // this process handed a map over, but its file is gone
  kHandOffOtherSize,  // the handed-over map is of an image of another size
  kHandOffOtherRun,   // the file was left by another process or an earlier session
  kHandOffChanged,    // the file was replaced after this process handed its map over
  kHandOffDamaged,    // the file, or the note of who wrote it, is damaged
};

}  // namespace ulvo
