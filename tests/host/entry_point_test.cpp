// Calls the real exported function in-process, with the module's own state.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <vector>

#include "src/host/filter_record.h"
#include "tests/support/temp_dir.h"

extern "C" void ENTRYPOINT(int16_t selector, void* record, intptr_t* data, int16_t* result);

namespace ulvo {
namespace {

int16_t Call(int16_t selector, pi::FilterRecord& record, intptr_t& slot) {
  int16_t result = -1;  // hosts pre-set the result; success must overwrite it
  ENTRYPOINT(selector, &record, &slot, &result);
  return result;
}

TEST(EntryPoint, IgnoresNullRecordAndUnknownSelectors) {
  int16_t result = 33;
  intptr_t slot = 0;
  for (int16_t selector = 0; selector <= 5; ++selector) {
    ENTRYPOINT(selector, nullptr, &slot, &result);
  }
  EXPECT_EQ(result, 33);
  pi::FilterRecord record{};
  EXPECT_EQ(Call(9, record, slot), 0);
  EXPECT_EQ(Call(-3, record, slot), 0);
}

TEST(EntryPoint, SelectorsInAndOutOfOrder) {
  pi::FilterRecord record{};
  intptr_t slot = 0;
  record.imageMode = pi::kModeRGB;
  record.inLayerPlanes = 3;
  record.filterRect = {0, 0, 2, 5};
  // Continue and finish before any start do no harm.
  EXPECT_EQ(Call(pi::kSelectorFinish, record, slot), 0);
  EXPECT_EQ(Call(pi::kSelectorContinue, record, slot), pi::kFilterBadParameters);
  EXPECT_EQ(Call(pi::kSelectorPrepare, record, slot), 0);
  EXPECT_EQ(record.maxSpace, 512);
  EXPECT_EQ(Call(pi::kSelectorStart, record, slot), 0);
  EXPECT_EQ(record.inRect.right, 8);
  EXPECT_EQ(record.inRowBytes, 24);
  EXPECT_EQ(Call(pi::kSelectorFinish, record, slot), 0);

  record.imageMode = pi::kModeCMYK;
  record.inLayerPlanes = 4;
  EXPECT_EQ(Call(pi::kSelectorStart, record, slot), pi::kFilterBadMode);
}

#if !defined(_WIN32)
// Natively the editor is headless and closes at once, so whole runs work here;
// the Windows module's runs are driven by the stand-in host.
TEST(EntryPoint, WholeRunsThroughTheHeadlessEditor) {
  TempDir dir;
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());

  pi::FilterRecord record{};
  intptr_t slot = 0;
  record.imageMode = pi::kModeGray;
  record.inLayerPlanes = 1;
  record.filterRect = {0, 0, 3, 4};
  EXPECT_EQ(Call(pi::kSelectorParameters, record, slot), 0);
  EXPECT_EQ(Call(pi::kSelectorPrepare, record, slot), 0);
  EXPECT_EQ(Call(pi::kSelectorStart, record, slot), 0);
  std::vector<uint8_t> grey(4 * 3, 77);
  record.inData = grey.data();
  record.inRowBytes = 4;
  EXPECT_EQ(Call(pi::kSelectorContinue, record, slot), 0);
  EXPECT_EQ(Call(pi::kSelectorFinish, record, slot), 0);
  EXPECT_NE(slot, 0);
  EXPECT_EQ(std::filesystem::file_size("alpha.dat"), 16u + 12u);

  record.imageMode = pi::kModeRGB;
  record.inLayerPlanes = 3;
  EXPECT_EQ(Call(pi::kSelectorPrepare, record, slot), 0);
  EXPECT_EQ(Call(pi::kSelectorStart, record, slot), 0);
  std::vector<uint8_t> in(12 * 3, 50), out(12 * 3, 50);
  record.inData = in.data();
  record.outData = out.data();
  record.inRowBytes = record.outRowBytes = 12;
  const int16_t result = Call(pi::kSelectorContinue, record, slot);
  EXPECT_TRUE(result == 0 || result == 2) << result;
  EXPECT_EQ(record.inRect.bottom, 0);
  EXPECT_EQ(record.inRect.right, 0);
  EXPECT_EQ(Call(pi::kSelectorFinish, record, slot), 0);

  std::filesystem::current_path(previous);
}
#endif

}  // namespace
}  // namespace ulvo
