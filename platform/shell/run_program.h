// The shell's run-program call, on Linux.
//
// RunCommandLine starts a program from one command line without a shell: the
// line is split at spaces into the program and its arguments (double quotes
// group words). A line that starts with the Windows browser path
// "C:\Program Files\Internet Explorer\IEXPLORE.EXE" (any letter case, quoted
// or not) stands for "open this link": the rest of the line goes to the
// desktop's URL opener instead. With `wait` false the call returns at once;
// finished children are reaped on later calls. Returns false when nothing
// could be started. Thread-safe.
#pragma once

#include <string>
#include <vector>

namespace platform::shell {

bool RunCommandLine(const std::string& commandLine, bool wait);

// The argument vector RunCommandLine would start (empty when the line holds
// no program). Exposed for tests.
std::vector<std::string> CommandArguments(const std::string& commandLine);

// The program that opens links (default "xdg-open"); tests point it at a
// recorder.
void SetUrlOpener(const std::string& program);

}  // namespace platform::shell
