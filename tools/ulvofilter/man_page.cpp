#include "tools/ulvofilter/man_page.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cctype>
#include <sstream>
#include <vector>

namespace ulvo {
namespace {

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

std::string Bold(const std::string& text) {
  return "\\fB" + TroffEscape(text) + "\\fR";
}

std::string Italic(const std::string& text) {
  return "\\fI" + TroffEscape(text) + "\\fR";
}

// CLI11 names an option's value "TYPE" or "TYPE:allowed values".
std::string ValueName(const CLI::Option& opt) {
  const std::string type = opt.get_type_name();
  return type.substr(0, type.find(':'));
}

// A space after each comma of a list of values, so that troff can break a
// long list between its values.
std::string AllowedValues(const CLI::Option& opt) {
  const std::string type = opt.get_type_name();
  const size_t colon = type.find(':');
  if (colon == std::string::npos) return {};
  std::string allowed;
  for (size_t i = colon + 1; i < type.size(); ++i) {
    allowed += type[i];
    if (type[i] == ',' && i + 1 < type.size() && type[i + 1] != ' ') allowed += ' ';
  }
  return allowed;
}

bool IsFlag(const CLI::Option& opt) {
  return opt.get_type_size() == 0;
}

// "-o, --output FILE" with the names bold and the value italic.
std::string OptionHeading(const CLI::Option& opt) {
  if (opt.get_positional() && !opt.nonpositional()) return Italic(opt.get_name(true));
  std::string names = opt.get_name(false, true);
  std::string heading;
  size_t start = 0;
  while (start <= names.size()) {
    const size_t comma = std::min(names.find(',', start), names.size());
    if (!heading.empty()) heading += ", ";
    heading += Bold(names.substr(start, comma - start));
    start = comma + 1;
  }
  if (!IsFlag(opt)) heading += " " + Italic(ValueName(opt));
  return heading;
}

// The description followed by what --help shows beside it: allowed
// values, the default, whether it is required and what it excludes.
std::string OptionBody(const CLI::Option& opt) {
  std::string body = opt.get_description();
  if (!IsFlag(opt) && !opt.get_default_str().empty()) {
    body += " (default: " + opt.get_default_str() + ")";
  }
  if (!body.empty() && body.back() != '.') body += '.';
  const auto add = [&body](const std::string& sentence) {
    if (!body.empty()) body += ' ';
    body += sentence;
  };
  if (!IsFlag(opt)) {
    if (const std::string allowed = AllowedValues(opt); !allowed.empty()) {
      add("Values: " + allowed + ".");
    }
  }
  if (opt.get_required()) add("Required.");
  for (const CLI::Option* other : opt.get_excludes()) add("Not with " + other->get_name() + ".");
  return TroffEscape(body);
}

void WriteOption(std::ostringstream& out, const CLI::Option& opt) {
  out << ".TP\n" << OptionHeading(opt) << "\n" << OptionBody(opt) << "\n";
}

// Paragraphs of a footer or description: blank lines separate them.
void WriteParagraphs(std::ostringstream& out, const std::string& text) {
  std::istringstream lines(text);
  std::string line;
  bool open = false;
  while (std::getline(lines, line)) {
    const size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos) {
      open = false;
      continue;
    }
    if (!open) out << ".PP\n";
    open = true;
    out << TroffEscape(line.substr(first)) << "\n";
  }
}

bool Shown(const CLI::Option* opt) {
  return !opt->get_group().empty();
}

// "ulvofilter render [options] -o FILE image": required options by their
// first name, then the arguments.
std::string Synopsis(const CLI::App& app, const CLI::App& command) {
  std::string line = Bold(app.get_name()) + " " + Bold(command.get_name());
  const auto options = command.get_options(Shown);
  bool optional = false;
  for (const CLI::Option* opt : options) {
    if (opt->nonpositional() && !opt->get_required()) optional = true;
  }
  if (optional) line += " [" + Italic("options") + "]";
  for (const CLI::Option* opt : options) {
    if (!opt->nonpositional() || !opt->get_required()) continue;
    const std::string names = opt->get_name(false, true);
    line += " " + Bold(names.substr(0, names.find(','))) + " " + Italic(ValueName(*opt));
  }
  for (const CLI::Option* opt : options) {
    if (opt->nonpositional()) continue;
    const std::string name = Italic(opt->get_name(true));
    line += opt->get_required() ? " " + name : " [" + name + "]";
  }
  return line;
}

}  // namespace

std::string TroffEscape(const std::string& text) {
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  bool lineStart = true;
  for (const char c : text) {
    if (lineStart && (c == '.' || c == '\'')) out += "\\&";
    lineStart = c == '\n';
    if (c == '\\') {
      out += "\\e";
    } else if (c == '-') {
      out += "\\-";
    } else {
      out += c;
    }
  }
  return out;
}

std::string FormatManPage(const CLI::App& app, const ManPageText& text) {
  const std::string name = app.get_name();
  std::ostringstream out;
  out << ".\\\" Generated by `" << name << " help-man` from its command definitions.\n"
      << ".TH " << Upper(name) << " 1 \"\" \"" << TroffEscape(name + " " + text.version)
      << "\" \"User Commands\"\n"
      << ".SH NAME\n"
      << TroffEscape(name) << " \\- " << TroffEscape(text.summary) << "\n"
      << ".SH SYNOPSIS\n"
      << Bold(name) << " " << Italic("command") << " [" << Italic("options") << "]\n.br\n"
      << Bold(name) << " [" << Bold("--help") << "|" << Bold("--version") << "]\n";

  const auto commands =
      app.get_subcommands([](const CLI::App* sub) { return !sub->get_group().empty(); });
  out << ".SH DESCRIPTION\n"
      << Bold(name) << " " << TroffEscape(text.description) << "\n"
      << "Each command below has options of its own; " << Bold(name) << " " << Italic("command")
      << " " << Bold("--help") << " lists them too.\n";

  out << ".SH COMMANDS\n";
  for (const CLI::App* command : commands) {
    out << ".SS \"" << TroffEscape(command->get_name()) << "\"\n"
        << Synopsis(app, *command) << "\n.PP\n"
        << TroffEscape(command->get_description()) << ".\n";
    const CLI::Option* help = command->get_help_ptr();
    for (const CLI::Option* opt : command->get_options(Shown)) {
      if (opt != help) WriteOption(out, *opt);
    }
    WriteParagraphs(out, command->get_footer());
  }

  out << ".SH OPTIONS\n";
  for (const CLI::Option* opt : app.get_options(Shown)) WriteOption(out, *opt);

  out << ".SH \"EXIT STATUS\"\n";
  for (const ExitCodeMeaning& exit : text.exitCodes) {
    out << ".TP\n" << Bold(std::to_string(exit.code)) << "\n" << TroffEscape(exit.meaning) << "\n";
  }
  return out.str();
}

}  // namespace ulvo
