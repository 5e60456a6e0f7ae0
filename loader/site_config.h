// The site an installed program asks, when the command line names none: a
// `site=URL` line in the user's configuration file
//   $XDG_CONFIG_HOME/pixaroo/pixaroo.conf   ($XDG_CONFIG_HOME when absolute,
//   else $HOME/.config)
// The program only reads this file; the user writes it. Lines are
// `key=value` (spaces around either are dropped); blank lines and lines
// starting with '#' or ';' are comments; a UTF-8 byte order mark at the
// start is dropped; keys other than `site` are left
// for later versions. The last `site=` line counts. Its value is checked
// as --site's is.
//
// Order: --site, then the file, then the address built in. Pure but for
// reading the environment and the file; any thread.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pixaroo {

// A file longer than this is no configuration file of ours: refused unread,
// as is a path that names no regular file (a FIFO, a device, a folder).
inline constexpr std::size_t kMaxSiteConfigBytes = 64 * 1024;

// The configuration file's path, or empty when neither $XDG_CONFIG_HOME
// (absolute) nor $HOME (absolute) is set.
std::string SiteConfigPath();

// The checked base of the file's text: "" when the text has no `site=`
// line, nothing when the line is refused (`error` says which line and why).
std::optional<std::string> SiteFromConfigText(std::string_view text, std::string* error);

// The site for this run: `commandLineSite` when not empty, else the file's
// (a missing file counts as one without a site line), else "" for the
// built-in one. Nothing when the file is refused (`error` names the file
// and says why).
std::optional<std::string> ChooseSiteBase(const std::string& commandLineSite, std::string* error);

}  // namespace pixaroo
