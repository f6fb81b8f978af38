// Status-bar prompts and tooltips as the string table gives them.
#include "src/editor/command_text.h"

#include <gtest/gtest.h>

namespace ulvo {
namespace {

TEST(CommandText, PromptBeforeTheLineBreakTooltipAfterIt) {
  EXPECT_EQ(CommandPrompt("元に戻す\n元に戻す2"), "元に戻す");
  EXPECT_EQ(CommandTooltip("元に戻す\n元に戻す2"), "元に戻す2");
  // A backslash is no line break: the whole entry is the prompt (40012, 40013).
  const std::string cancel = "キャンセルしてPhotoshopにもどる\\キャンセルして戻る";
  EXPECT_EQ(CommandPrompt(cancel), cancel);
  EXPECT_EQ(CommandTooltip(cancel), "");
  EXPECT_EQ(CommandPrompt(""), "");
  EXPECT_EQ(CommandTooltip("only\n"), "");
}

}  // namespace
}  // namespace ulvo
