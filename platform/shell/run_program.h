// The shell's run-program call, on Linux.
//
// RunCommandLine starts a program from one command line without a shell: the
// line is split at spaces into the program and its arguments (double quotes
// group words). A line that starts with the Windows browser path
// "C:\Program Files\Internet Explorer\IEXPLORE.EXE" (any letter case, quoted
// or not) stands for "open this link": the rest of the line goes to the
// desktop's URL opener instead; the opener's own output goes nowhere (what
// it has to say is its exit code). With `wait` false the call returns at
// once and a reaper thread waits for the child, so that none is left a
// zombie; `ended`, when given, is called on that thread with the child's
// exit code (128 + the signal when a signal ended it). The child inherits
// standard input, output and error only: no other descriptor of this
// process, close-on-exec or not. Returns false when
// nothing could be started. Thread-safe.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace platform::shell {

using Ended = std::function<void(int exitCode)>;

bool RunCommandLine(const std::string& commandLine, bool wait, Ended ended = {});

// The link a line opens through the URL opener; empty when the line runs
// a program of its own.
std::string LinkOf(const std::string& commandLine);

// The argument vector RunCommandLine would start (empty when the line holds
// no program). Exposed for tests.
std::vector<std::string> CommandArguments(const std::string& commandLine);

// The program that opens links (default "xdg-open"); tests point it at a
// recorder.
void SetUrlOpener(const std::string& program);

}  // namespace platform::shell
