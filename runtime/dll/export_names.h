// The names the runtime's platform layers export to programs
// (layer_export_list.def), and the one rule by which a program's
// (file, function) pair finds one of them, as the platform's loader would:
// a file name is compared without letter case and with ".dll" added when it
// has no extension; an empty file name searches every layer; a function
// missing under its own name is tried with the ANSI suffix "A" unless its
// name already ends in "A" or "W".
//
// Constant data and pure functions, usable at compile time; any thread.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

namespace korvex::dll {

struct ExportName {
  std::string_view file;      // lower case, with its extension
  std::string_view function;  // exact spelling
};

// In the order of layer_export_list.def.
inline constexpr ExportName kExportNames[] = {
#define KORVEX_LAYER_EXPORT(file, layer, function) {file, #function},
#include "runtime/dll/layer_export_list.def"
};

inline constexpr std::size_t kNoExport = static_cast<std::size_t>(-1);

namespace detail {

constexpr char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// True when `file`, as a program names it, is the export's file.
constexpr bool SameFile(std::string_view file, std::string_view exportFile) {
  if (file.empty()) return true;
  const std::string_view suffix = file.find('.') == std::string_view::npos ? ".dll" : "";
  if (exportFile.size() != file.size() + suffix.size()) return false;
  for (std::size_t i = 0; i < file.size(); ++i) {
    if (Lower(file[i]) != exportFile[i]) return false;
  }
  return exportFile.substr(file.size()) == suffix;
}

constexpr std::size_t Find(std::span<const ExportName> names, std::string_view file,
                           std::string_view function, std::string_view suffix) {
  for (std::size_t i = 0; i < names.size(); ++i) {
    const std::string_view f = names[i].function;
    if (SameFile(file, names[i].file) && f.size() == function.size() + suffix.size() &&
        f.substr(0, function.size()) == function && f.substr(function.size()) == suffix) {
      return i;
    }
  }
  return kNoExport;
}

}  // namespace detail

// The position in `names` of the export a program's (file, function) pair
// names, or kNoExport.
constexpr std::size_t FindExport(std::span<const ExportName> names, std::string_view file,
                                 std::string_view function) {
  if (function.empty()) return kNoExport;
  const std::size_t exact = detail::Find(names, file, function, "");
  if (exact != kNoExport || function.back() == 'A' || function.back() == 'W') return exact;
  return detail::Find(names, file, function, "A");
}

}  // namespace korvex::dll
