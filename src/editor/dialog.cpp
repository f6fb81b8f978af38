#include "src/editor/dialog.h"

#include <charconv>
#include <cstdint>
#include <utility>

namespace ulvo {
namespace {

bool Blank(char c) {
  return c == ' ' || c == '\t';
}

}  // namespace

bool ParseDialogInteger(const std::string& text, int32_t& value) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && Blank(text[begin])) ++begin;
  while (end > begin && Blank(text[end - 1])) --end;
  if (begin < end && text[begin] == '+') ++begin;  // from_chars takes only '-'
  if (begin == end) return false;
  int32_t parsed = 0;
  const auto [stop, error] = std::from_chars(text.data() + begin, text.data() + end, parsed);
  if (error != std::errc() || stop != text.data() + end) return false;
  value = parsed;
  return true;
}

std::string FillTextMarks(const std::string& pattern, std::initializer_list<std::string> values) {
  // Read from the pattern only, so that a value holding a mark stays as it is.
  const std::vector<std::string> fills(values);
  std::vector<bool> used(fills.size(), false);
  std::string message;
  for (size_t i = 0; i < pattern.size(); ++i) {
    const size_t number = i + 1 < pattern.size() && pattern[i] == '%' && pattern[i + 1] >= '1' &&
                                  pattern[i + 1] <= '9'
                              ? static_cast<size_t>(pattern[i + 1] - '1')
                              : fills.size();
    if (number < fills.size() && !used[number]) {
      used[number] = true;
      message += fills[number];
      ++i;
    } else {
      message += pattern[i];
    }
  }
  return message;
}

std::string FormatRangeMessage(const std::string& pattern, int32_t low, int32_t high) {
  return FillTextMarks(pattern, {std::to_string(low), std::to_string(high)});
}

DataExchange::DataExchange(DialogControls& controls, bool save, ValidationTexts texts,
                           std::function<void(const std::string&)> complain)
    : controls_(controls), save_(save), texts_(std::move(texts)), complain_(std::move(complain)) {}

void DataExchange::Fail(int id, const std::string& message) {
  failed_ = true;
  if (complain_) complain_(message);
  controls_.Focus(id);
}

void DataExchange::Integer(int id, int32_t& value) {
  Integer(id, value, INT32_MIN, INT32_MAX);
}

void DataExchange::Integer(int id, int32_t& value, int32_t low, int32_t high) {
  if (failed_) return;
  if (!save_) {
    controls_.SetText(id, std::to_string(value));
    return;
  }
  int32_t read = 0;
  if (!ParseDialogInteger(controls_.Text(id), read)) {
    Fail(id, texts_.notInteger);
    return;
  }
  if (read < low || read > high) {
    Fail(id, FormatRangeMessage(texts_.outOfRange, low, high));
    return;
  }
  value = read;
}

void DataExchange::Text(int id, std::string& value) {
  if (failed_) return;
  if (save_) {
    value = controls_.Text(id);
  } else {
    controls_.SetText(id, value);
  }
}

void DataExchange::Check(int id, int32_t& flag) {
  if (failed_) return;
  if (save_) {
    flag = controls_.Checked(id) ? 1 : 0;
  } else {
    controls_.SetChecked(id, flag != 0);
  }
}

void DataExchange::Radio(const std::vector<int>& group, int32_t& index) {
  if (failed_) return;
  if (save_) {
    index = -1;
    for (size_t i = 0; i < group.size(); ++i) {
      if (controls_.Checked(group[i])) {
        index = static_cast<int32_t>(i);
        break;
      }
    }
    return;
  }
  for (size_t i = 0; i < group.size(); ++i) {
    controls_.SetChecked(group[i], static_cast<int32_t>(i) == index);
  }
}

void DataExchange::List(int id, int32_t& index) {
  if (failed_) return;
  if (save_) {
    index = controls_.ListSelection(id);
  } else {
    controls_.SetListSelection(id, index);
  }
}

}  // namespace ulvo
