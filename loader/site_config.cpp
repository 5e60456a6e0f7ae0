#include "loader/site_config.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "loader/command_line.h"

namespace pixaroo {
namespace {

constexpr std::string_view kConfigFile = "pixaroo/pixaroo.conf";
constexpr std::string_view kSiteKey = "site";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
    s.remove_suffix(1);
  }
  return s;
}

std::string AbsoluteEnv(const char* name) {
  const char* value = std::getenv(name);
  return (value != nullptr && value[0] == '/') ? std::string(value) : std::string();
}

// Up to `limit` bytes of the regular file at `path`. False with `why`
// empty when there is no file to read (or it cannot be opened), false with
// `why` set when the path names something else: a FIFO or a device would
// hold the start of the program up or feed it without end.
bool ReadRegularFile(const std::string& path, std::size_t limit, std::string* text,
                     std::string* why) {
  // Non-blocking, so that opening a FIFO never waits for a writer.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    *why = "not a regular file";
    return false;
  }
  text->assign(limit, '\0');
  std::size_t done = 0;
  while (done < limit) {
    const ssize_t n = ::read(fd, text->data() + done, limit - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  ::close(fd);
  text->resize(done);
  return true;
}

}  // namespace

std::string SiteConfigPath() {
  std::string folder = AbsoluteEnv("XDG_CONFIG_HOME");
  if (folder.empty()) {
    const std::string home = AbsoluteEnv("HOME");
    if (home.empty()) return {};
    folder = home + "/.config";
  }
  if (folder.back() != '/') folder += '/';
  return folder + std::string(kConfigFile);
}

std::optional<std::string> SiteFromConfigText(std::string_view text, std::string* error) {
  std::string base;
  std::size_t lineNumber = 0;
  // Some editors start a UTF-8 file with a byte order mark; it is no part
  // of the first key.
  if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    const std::string_view line = Trim(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    ++lineNumber;
    if (line.empty() || line.front() == '#' || line.front() == ';') continue;
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos || Trim(line.substr(0, equals)) != kSiteKey) continue;
    const std::string_view value = Trim(line.substr(equals + 1));
    std::string why;
    const std::optional<std::string> checked = CheckSiteBase(value, &why);
    if (!checked) {
      if (error != nullptr) {
        *error = "line " + std::to_string(lineNumber) + ": site=" + std::string(value) + ": " + why;
      }
      return std::nullopt;
    }
    base = *checked;
  }
  return base;
}

std::optional<std::string> ChooseSiteBase(const std::string& commandLineSite, std::string* error) {
  if (!commandLineSite.empty()) return commandLineSite;
  const std::string path = SiteConfigPath();
  if (path.empty()) return std::string();
  std::string why;
  std::string text;
  if (!ReadRegularFile(path, kMaxSiteConfigBytes + 1, &text, &why)) {
    if (why.empty()) return std::string();  // no file: the built-in site
  } else if (text.size() > kMaxSiteConfigBytes) {
    why = "longer than " + std::to_string(kMaxSiteConfigBytes / 1024) + " KiB";
  } else if (const std::optional<std::string> base = SiteFromConfigText(text, &why)) {
    return base;
  }
  if (error != nullptr) *error = path + ": " + why;
  return std::nullopt;
}

}  // namespace pixaroo
