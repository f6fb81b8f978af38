// The registry store, against the registry of the Wine prefix (or of the
// Windows machine) the test runs in, under a key of its own.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "src/settings/profile_store.h"

namespace ulvo {
namespace {

constexpr wchar_t kTestKey[] = L"Software\\UlvoSoft\\UlvoSettingsTest\\UlvoFilter";

class RegistryStore : public ::testing::Test {
 protected:
  void SetUp() override {
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\UlvoSoft\\UlvoSettingsTest");
  }
  void TearDown() override { SetUp(); }

  // Stores a raw value, as another program (or a damaged registry) might.
  static void Raw(const wchar_t* name, DWORD type, const void* data, DWORD bytes) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kTestKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), bytes),
              ERROR_SUCCESS);
    RegCloseKey(key);
  }
};

TEST_F(RegistryStore, WritesDwordsAndStringsThatReadBack) {
  auto store = OpenUserProfileStore("UlvoSettingsTest");
  EXPECT_FALSE(store->ReadInt("Ndepth").has_value());
  EXPECT_TRUE(store->WriteInt("Ndepth", 20));
  EXPECT_TRUE(store->WriteInt("Negative", -5));
  EXPECT_TRUE(store->WriteString("PatDir", "C:\\パターン\\円"));
  auto again = OpenUserProfileStore("UlvoSettingsTest");
  EXPECT_EQ(again->ReadInt("Ndepth"), 20);
  EXPECT_EQ(again->ReadInt("Negative"), -5);
  EXPECT_EQ(again->ReadString("PatDir"), "C:\\パターン\\円");

  DWORD type = 0, value = 0, size = sizeof(value);
  ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, kTestKey, L"Ndepth", RRF_RT_ANY, &type, &value, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(value, 20u);
}

TEST_F(RegistryStore, HostileValuesReadAsMissing) {
  const wchar_t text[] = L"12";
  Raw(L"Ndepth", REG_SZ, text, sizeof(text));  // a string where a DWORD belongs
  const DWORD word = 7;
  Raw(L"PatDir", REG_DWORD, &word, sizeof(word));  // and the other way round
  const std::wstring huge(32768, L'x');
  Raw(L"OldPatName", REG_SZ, huge.c_str(), static_cast<DWORD>((huge.size() + 1) * 2));
  const unsigned char bytes[] = {1, 2, 3};
  Raw(L"FullSkip", REG_BINARY, bytes, sizeof(bytes));
  auto store = OpenUserProfileStore("UlvoSettingsTest");
  EXPECT_FALSE(store->ReadInt("Ndepth").has_value());
  EXPECT_FALSE(store->ReadString("PatDir").has_value());
  EXPECT_FALSE(store->ReadString("OldPatName").has_value());
  EXPECT_FALSE(store->ReadInt("FullSkip").has_value());
  EXPECT_EQ(store->IntOr("Ndepth", 10), 10);
}

}  // namespace
}  // namespace ulvo
