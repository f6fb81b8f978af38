#include "src/settings/file_profile_store.h"

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace ulvo {
namespace {

// Files larger than this are not ours to read.
constexpr std::uintmax_t kMaxFileBytes = 1 << 20;

bool OneLine(const std::string& text) {
  return text.find_first_of("\r\n") == std::string::npos;
}

}  // namespace

FileProfileStore::FileProfileStore(std::string path) : path_(std::move(path)) {
  std::error_code error;
  const auto size = std::filesystem::file_size(path_, error);
  if (error || size > kMaxFileBytes) return;
  std::ifstream in(path_, std::ios::binary);
  bool ours = false;
  std::string line;
  while (std::getline(in, line)) {
    // Line ends of any kind; a value cannot end in a carriage return, as the
    // next write would store it in a form that reads back without it.
    while (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line.front() == '[') {
      ours = line == std::string("[") + kProfileSection + "]";
      if (!ours) foreign_.push_back(line);
      continue;
    }
    const size_t eq = line.find('=');
    if (!ours || eq == std::string::npos || eq == 0) {
      if (!ours) foreign_.push_back(line);
      continue;  // comments and stray lines of our section are dropped on the next write
    }
    values_[line.substr(0, eq)] = line.substr(eq + 1);
  }
}

std::optional<int32_t> FileProfileStore::ReadInt(const std::string& name) const {
  const auto it = values_.find(name);
  if (it == values_.end()) return std::nullopt;
  const std::string& text = it->second;
  int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  // Values are 32-bit words: negative ones and those up to 2^32 − 1 alike.
  if (value < INT32_MIN || value > static_cast<int64_t>(UINT32_MAX)) return std::nullopt;
  return static_cast<int32_t>(static_cast<uint32_t>(value));
}

std::optional<std::string> FileProfileStore::ReadString(const std::string& name) const {
  const auto it = values_.find(name);
  if (it == values_.end() || it->second.size() > kMaxProfileString) return std::nullopt;
  return it->second;
}

bool FileProfileStore::WriteInt(const std::string& name, int32_t value) {
  return Store(name, std::to_string(value));
}

bool FileProfileStore::WriteString(const std::string& name, const std::string& value) {
  return Store(name, value);
}

bool FileProfileStore::Store(const std::string& name, const std::string& text) {
  if (name.empty() || name.find('=') != std::string::npos || name.front() == '[' ||
      !OneLine(name) || !OneLine(text)) {
    return false;
  }
  const auto previous = values_.find(name);
  const bool existed = previous != values_.end();
  const std::string old = existed ? previous->second : std::string();
  values_[name] = text;
  if (WriteFile()) return true;
  // Memory keeps what the file holds.
  if (existed) {
    values_[name] = old;
  } else {
    values_.erase(name);
  }
  return false;
}

bool FileProfileStore::WriteFile() const {
  const std::filesystem::path target(path_);
  std::error_code error;
  if (target.has_parent_path()) std::filesystem::create_directories(target.parent_path(), error);
  const std::string temporary = path_ + ".new";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    for (const std::string& line : foreign_) out << line << '\n';
    out << '[' << kProfileSection << "]\n";
    for (const auto& [name, value] : values_) out << name << '=' << value << '\n';
    out.flush();
    if (!out) {
      std::filesystem::remove(temporary, error);
      return false;
    }
  }
  std::filesystem::rename(temporary, target, error);
  if (error) {
    std::filesystem::remove(temporary, error);
    return false;
  }
  return true;
}

}  // namespace ulvo
