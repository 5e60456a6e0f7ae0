#include "loader/command_line.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace pixaroo {
namespace {

bool IsHostChar(char c) {
  const auto u = static_cast<unsigned char>(c);
  return std::isalnum(u) != 0 || c == '-' || c == '.' || c == '_';
}

std::string Lower(std::string_view s) {
  std::string out(s);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return out;
}

bool Refuse(std::string* error, const std::string& why) {
  if (error != nullptr) *error = why;
  return false;
}

// Checks "host[:port]"; the authority is left unchanged. An IPv6 address
// is refused: the web request's own address parsing splits host and port at
// the first colon, so no request could ever reach it.
bool CheckAuthority(std::string_view authority, std::string* error) {
  if (authority.find('@') != std::string_view::npos) {
    return Refuse(error, "a user name or password is not allowed");
  }
  std::string_view host = authority;
  std::string_view port;
  if (!authority.empty() && authority.front() == '[') {
    return Refuse(error, "an IPv6 address, which the program cannot reach; give a host name "
                         "or an IPv4 address");
  }
  const std::size_t colon = authority.find(':');
  if (colon != std::string_view::npos) {
    host = authority.substr(0, colon);
    port = authority.substr(colon + 1);
    if (port.empty()) return Refuse(error, "an empty port");
  }
  if (host.empty()) return Refuse(error, "no host");
  if (!std::all_of(host.begin(), host.end(), IsHostChar)) {
    return Refuse(error, "a host with characters a host name cannot hold");
  }
  if (!port.empty()) {
    int value = 0;
    const auto [end, ec] = std::from_chars(port.data(), port.data() + port.size(), value);
    if (ec != std::errc() || end != port.data() + port.size() || value < 1 || value > 65535) {
      return Refuse(error, "a port that is not a number from 1 to 65535");
    }
  }
  return true;
}

}  // namespace

std::optional<std::string> CheckSiteBase(std::string_view url, std::string* error) {
  const std::size_t sep = url.find("://");
  if (sep == std::string_view::npos) {
    Refuse(error, "not an http:// or https:// address");
    return std::nullopt;
  }
  const std::string scheme = Lower(url.substr(0, sep));
  if (scheme != "http" && scheme != "https") {
    Refuse(error, "not an http:// or https:// address");
    return std::nullopt;
  }
  std::string_view rest = url.substr(sep + 3);
  const std::size_t slash = rest.find_first_of("/?#");
  const std::string_view authority = rest.substr(0, slash);
  const std::string_view tail = slash == std::string_view::npos ? "" : rest.substr(slash);
  if (!tail.empty() && tail != "/") {
    Refuse(error, "an address with a path, query or fragment; give the site's base only");
    return std::nullopt;
  }
  if (authority.empty()) {
    Refuse(error, "no host");
    return std::nullopt;
  }
  if (!CheckAuthority(authority, error)) return std::nullopt;
  return scheme + "://" + std::string(authority);
}

CommandLine ParseCommandLine(const std::vector<std::string_view>& args) {
  CommandLine line;
  auto refuse = [&line](std::string why) {
    line.action = CommandLine::Action::Refuse;
    line.error = std::move(why);
    return line;
  };
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view a = args[i];
    if (a == "--help" || a == "-h") {
      line.action = CommandLine::Action::Help;
      return line;
    }
    if (a == "--version") {
      line.action = CommandLine::Action::Version;
      return line;
    }
    std::string_view value;
    if (a == "--site") {
      if (i + 1 >= args.size()) return refuse("--site needs an address");
      value = args[++i];
    } else if (a.rfind("--site=", 0) == 0) {
      value = a.substr(7);
    } else {
      return refuse("unknown option " + std::string(a));
    }
    std::string why;
    const std::optional<std::string> base = CheckSiteBase(value, &why);
    if (!base) return refuse("--site " + std::string(value) + ": " + why);
    line.siteBase = *base;
  }
  return line;
}

std::string HelpText(std::string_view programName) {
  const std::string name(programName);
  return "Usage: " + name +
         " [--site URL]\n"
         "Browse a photo gallery site six photos at a time.\n\n"
         "Options:\n"
         "  --site URL   use the gallery at URL (http:// or https://, the site's\n"
         "               base only, e.g. http://127.0.0.1:8637) instead of the\n"
         "               built-in one, for this run\n"
         "  --help       show this text and exit\n"
         "  --version    show the version and exit\n\n"
         "Without --site, a line site=URL in $XDG_CONFIG_HOME/pixaroo/pixaroo.conf\n"
         "(by default ~/.config/pixaroo/pixaroo.conf) names the site; the program\n"
         "never writes that file. Without either, the built-in site is used.\n"
         "See pixaroo(1) for the keys, the index file and the exit codes.\n";
}

}  // namespace pixaroo
