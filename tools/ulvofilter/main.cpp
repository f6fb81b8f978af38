#include <iostream>

#include "tools/ulvofilter/cli.h"
#include "tools/ulvofilter/progress_bar.h"

int main(int argc, char** argv) {
  ulvo::InstallInterruptHandler();
  const ulvo::CliEnvironment env{std::cout, std::cerr, &ulvo::CancelRequested(),
                                 ulvo::StderrIsTerminal()};
  const int code = ulvo::RunCli(argc, argv, env);
  // Output that never arrived (a full disk, a write error) is a failure, not
  // a success: `ulvofilter help-man > page.1` must not report 0 then.
  std::cout.flush();
  if (!std::cout && code == 0) {
    std::cerr << "ulvofilter: cannot write to standard output\n";
    return ulvo::kExitFailure;
  }
  return code;
}
