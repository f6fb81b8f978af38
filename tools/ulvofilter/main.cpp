#include <iostream>

#include "tools/ulvofilter/cli.h"
#include "tools/ulvofilter/progress_bar.h"

int main(int argc, char** argv) {
  ulvo::InstallInterruptHandler();
  const ulvo::CliEnvironment env{std::cout, std::cerr, &ulvo::CancelRequested(),
                                 ulvo::StderrIsTerminal()};
  return ulvo::RunCli(argc, argv, env);
}
