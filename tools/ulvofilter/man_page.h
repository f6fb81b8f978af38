// The manual page, ulvofilter.1, formatted as troff from the same command
// definitions that --help prints, so that the two cannot drift apart.
#pragma once

#include <span>
#include <string>

#include "tools/ulvofilter/cli.h"

namespace CLI {
class App;
}

namespace ulvo {

struct ManPageText {
  std::string version;      // shown in the page's footer line
  std::string summary;      // one line for the NAME section
  std::string description;  // follows the tool's name in DESCRIPTION
  std::span<const ExitCodeMeaning> exitCodes;
};

// The page for `app`: its commands (hidden ones left out), their
// arguments and options with descriptions, allowed values, defaults and
// footers, the global options and the exit codes.
std::string FormatManPage(const CLI::App& app, const ManPageText& text);

// Text made safe for troff: backslashes and hyphens escaped, and a control
// character ('.' or '\'') at the start of a line neutralised.
std::string TroffEscape(const std::string& text);

}  // namespace ulvo
