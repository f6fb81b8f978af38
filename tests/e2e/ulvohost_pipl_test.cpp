#include <gtest/gtest.h>

#include "tools/ulvohost/pipl.h"

namespace ulvo::host {
namespace {

// Builds a property list the way a resource compiler lays it out.
class PiplBuilder {
 public:
  PiplBuilder& Add(const char (&key)[5], std::vector<uint8_t> data, bool padLength = true) {
    U32(PiplCode("8BIM"));
    U32(PiplCode(key));
    U32(0);
    const size_t padded = (data.size() + 3) / 4 * 4;
    U32(static_cast<uint32_t>(padLength ? padded : data.size()));
    data.resize(padded, 0);
    body_.insert(body_.end(), data.begin(), data.end());
    ++count_;
    return *this;
  }
  std::vector<uint8_t> Build(int16_t header = 1, int32_t count = -1) const {
    std::vector<uint8_t> out = {
        static_cast<uint8_t>(header), static_cast<uint8_t>(header >> 8), 0, 0, 0, 0};
    const uint32_t n = static_cast<uint32_t>(count < 0 ? count_ : count);
    for (int s = 0; s < 32; s += 8) out.push_back(static_cast<uint8_t>(n >> s));
    out.insert(out.end(), body_.begin(), body_.end());
    return out;
  }

 private:
  void U32(uint32_t v) {
    for (int s = 0; s < 32; s += 8) body_.push_back(static_cast<uint8_t>(v >> s));
  }
  std::vector<uint8_t> body_;
  int count_ = 0;
};

std::vector<uint8_t> Code(const char (&code)[5]) {
  const uint32_t v = PiplCode(code);
  return {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
          static_cast<uint8_t>(v >> 24)};
}

std::vector<uint8_t> Text(const std::string& s) {
  std::vector<uint8_t> v(s.begin(), s.end());
  v.push_back(0);
  return v;
}

bool Entry(const std::vector<uint8_t>& bytes, const char (&arch)[5], std::string& name,
           std::string& error) {
  PiplList list;
  return ParsePipl(bytes.data(), bytes.size(), list, error) &&
         FilterEntryName(list, PiplCode(arch), name, error);
}

TEST(Pipl, FindsTheEntryPointOfTheHostsArchitecture) {
  // Exact and padded stored lengths are both in use.
  for (bool padLength : {true, false}) {
    const auto bytes = PiplBuilder()
                           .Add("kind", Code("8BFM"))
                           .Add("vers", {0, 0, 4, 0})
                           .Add("8664", Text("ENTRY64"), padLength)
                           .Add("name", {5, 'A', 'b', 'c', 'd', 'e'}, padLength)
                           .Add("wx86", Text("ENTRY32"), padLength)
                           .Build();
    std::string name, error;
    ASSERT_TRUE(Entry(bytes, "8664", name, error)) << error;
    EXPECT_EQ(name, "ENTRY64");
    ASSERT_TRUE(Entry(bytes, "wx86", name, error)) << error;
    EXPECT_EQ(name, "ENTRY32");
  }
}

TEST(Pipl, RefusesListsAHostCannotUse) {
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
  };
  const Case cases[] = {
      {"no 64-bit code", PiplBuilder().Add("kind", Code("8BFM")).Add("wx86", Text("E")).Build()},
      {"not a filter", PiplBuilder().Add("kind", Code("8BEF")).Add("8664", Text("E")).Build()},
      {"no kind", PiplBuilder().Add("8664", Text("E")).Build()},
      {"empty entry name", PiplBuilder().Add("kind", Code("8BFM")).Add("8664", {0}).Build()},
      {"unterminated name",
       PiplBuilder().Add("kind", Code("8BFM")).Add("8664", {'E', 'N', 'T', 'R'}).Build()},
      {"wrong header", PiplBuilder().Add("kind", Code("8BFM")).Build(2)},
      {"count beyond the data", PiplBuilder().Add("kind", Code("8BFM")).Build(1, 5)},
      {"negative count", PiplBuilder().Build(1, -3)},
      {"header cut", {1, 0, 0}},
  };
  for (const Case& c : cases) {
    std::string name, error;
    EXPECT_FALSE(Entry(c.bytes, "8664", name, error)) << c.name;
    EXPECT_FALSE(error.empty()) << c.name;
  }
  // A property whose length runs past the end of the list.
  auto bytes = PiplBuilder().Add("kind", Code("8BFM")).Add("8664", Text("ENTRYPOINT")).Build();
  bytes.resize(bytes.size() - 4);
  PiplList list;
  std::string error;
  EXPECT_FALSE(ParsePipl(bytes.data(), bytes.size(), list, error));
}

}  // namespace
}  // namespace ulvo::host
