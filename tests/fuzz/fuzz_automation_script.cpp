// The editor automation script parser on any text. Every line becomes at most
// one step or one problem, in line order, and the strict parse agrees with
// the lenient one.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "src/editor/script/automation_script.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const ulvo::ParsedScript script = ulvo::ParseScript(text);

  size_t lines = 0;
  for (size_t at = 0; at < text.size(); ++lines) {
    const size_t end = text.find('\n', at);
    at = end == std::string_view::npos ? text.size() : end + 1;
  }
  Require(script.steps.size() + script.problems.size() <= lines);
  int previous = 0;
  for (const ulvo::ScriptStep& step : script.steps) {
    Require(step.line > previous && static_cast<size_t>(step.line) <= lines);
    previous = step.line;
    Require(step.file.find('\0') == std::string::npos);
    Require(step.text.find('\0') == std::string::npos);
    if (step.op == ulvo::ScriptOp::kScreenshot || step.op == ulvo::ScriptOp::kOpenFile) {
      Require(!step.file.empty());
    }
  }
  previous = 0;
  for (const ulvo::ScriptProblem& problem : script.problems) {
    Require(problem.line > previous && !problem.reason.empty());
    previous = problem.line;
  }

  std::vector<ulvo::ScriptStep> steps;
  std::string error;
  const bool strict = ulvo::ParseScriptStrictly(text, steps, error);
  Require(strict == script.problems.empty());
  Require(strict ? steps.size() == script.steps.size() : steps.empty() && !error.empty());
  return 0;
}
