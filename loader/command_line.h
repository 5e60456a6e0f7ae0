// The executable's command line:
//   pixaroo [--site URL]     run the program (against URL instead of the
//                            built-in site)
//   pixaroo --help           list the options
//   pixaroo --version        print the version (1.0.0.0)
// Parsing and checking are pure; the loader acts on the result before any
// runtime is loaded, so --help, --version and a refused option need no
// display.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pixaroo {

inline constexpr std::string_view kVersionText = "1.0.0.0";

struct CommandLine {
  enum class Action { Run, Help, Version, Refuse };
  Action action = Action::Run;
  std::string siteBase;  // the checked base ("" = the built-in one), for Run
  std::string error;     // one line saying what was refused, for Refuse
};

CommandLine ParseCommandLine(const std::vector<std::string_view>& args);

// `url` as a site base: http or https (any letter case), a host (a name or
// an IPv4 address; a bracketed IPv6 address is refused, since the web
// request cannot reach one), an optional port 1..65535, and no path beyond
// "/", no user, query or fragment. Gives the base without a
// trailing "/" and with the scheme in lower case, or nothing (`error` says
// why).
std::optional<std::string> CheckSiteBase(std::string_view url, std::string* error);

// The text --help prints.
std::string HelpText(std::string_view programName);

}  // namespace pixaroo
