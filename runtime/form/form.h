// The window description as plain values.
//
// A window description fixes every unit (control, menu entry, the window
// itself) of one window: identifier, type, name, position, parent, children,
// flags, event entries and type-specific settings. reader.h turns the stored
// bytes into a Form, writer.h turns a Form back into exactly those bytes;
// FORMAT.md beside this file gives the layout.
//
// The type-specific settings are kept as raw bytes in Unit::settings. The
// typed views below read the few settings the window needs (titles,
// captions, the status-bar font, the dialog's texts) and keep every other
// word as stored, so that encoding a view again gives the same bytes.
//
// Plain values: a Form owns all of its data; any thread may use a Form it
// owns, and const Forms may be shared between threads.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/bytes.h"
#include "runtime/form/unit_types.h"

namespace korvex::form {

// One event entry: the event number and the code-segment offset of the
// routine that handles it.
struct EventEntry {
  std::int32_t event = 0;
  std::uint32_t routineOffset = 0;
  bool operator==(const EventEntry&) const = default;
};

// One unit as its record stores it. The record of a menu entry stores only
// id, typeId, name, secondText and the menu fields; every other record stores
// everything but the menu fields. Fields a record does not store keep their
// defaults. Texts are GBK byte strings without their NUL.
struct Unit {
  std::uint32_t id = 0;      // from the id table, not from the record
  std::uint32_t typeId = 0;  // kType... of unit_types.h
  std::string name;          // empty for the window unit and menu entries
  std::string secondText;

  // Units other than menu entries.
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::uint32_t parent = 0;  // unit id of the parent; 0 = the window itself
  std::vector<std::uint32_t> children;
  std::string thirdText;
  std::uint32_t flags = 0;  // kFlagVisible | kFlagTakesFocus
  std::uint32_t disabled = 0;
  std::vector<EventEntry> events;
  base::Bytes settings;  // type-specific settings, up to the end of the record

  // Menu entries.
  std::uint32_t level = 0;      // 0 for a top-level entry, 1 for its items
  std::uint32_t menuFlags = 0;  // the entry's flag word
  std::string caption;
  std::int32_t routineOffset = kNoRoutine;  // run when chosen; kNoRoutine = none

  bool IsMenuEntry() const { return typeId == kTypeMenuEntry; }
  bool operator==(const Unit&) const = default;
};

// Header words every description of this program carries; their meaning is
// the runtime's own.
inline constexpr std::uint32_t kHeaderWord00 = 8;
inline constexpr std::uint32_t kHeaderWord08 = 0x0137E840;
inline constexpr std::uint32_t kHeaderWord0C = 11;
inline constexpr std::uint32_t kHeaderWord10 = 0x19010013;

// A whole description: the header words and the units in record order.
struct Form {
  std::uint32_t word00 = kHeaderWord00;
  std::uint32_t windowId = kMainWindowId;
  std::uint32_t word08 = kHeaderWord08;
  std::uint32_t word0C = kHeaderWord0C;
  std::uint32_t word10 = kHeaderWord10;
  std::vector<Unit> units;

  // The unit with this id, or nullptr. The pointer lives as long as `units`
  // is not changed.
  const Unit* FindUnit(std::uint32_t id) const;
  bool operator==(const Form&) const = default;
};

// ---- Typed views of the type-specific settings ----------------------------
//
// Read...Settings returns nullopt when the unit has another type or its
// settings do not have the layout of that type (too short, too long, a text
// length that overruns). EncodeSettings gives the bytes for Unit::settings.

// A Windows LOGFONTA record as stored (60 bytes, little-endian).
inline constexpr std::size_t kLogFontSize = 60;
inline constexpr std::size_t kLogFontFaceSize = 32;

struct LogFontA {
  std::int32_t height = 0;
  std::int32_t width = 0;
  std::int32_t escapement = 0;
  std::int32_t orientation = 0;
  std::int32_t weight = 0;
  std::uint8_t italic = 0;
  std::uint8_t underline = 0;
  std::uint8_t strikeOut = 0;
  std::uint8_t charSet = 0;
  std::uint8_t outPrecision = 0;
  std::uint8_t clipPrecision = 0;
  std::uint8_t quality = 0;
  std::uint8_t pitchAndFamily = 0;
  // NUL-terminated face name; the bytes after the NUL are kept as stored.
  std::array<std::uint8_t, kLogFontFaceSize> faceName{};

  // The face name up to its first NUL (GBK).
  std::string FaceName() const;
  // Stores `name` (at most kLogFontFaceSize - 1 bytes, cut at a character
  // boundary) and zero-fills the rest of the field.
  void SetFaceName(std::string_view name);
  bool operator==(const LogFontA&) const = default;
};

inline constexpr std::size_t kWindowStyleWords = 23;
struct WindowSettings {
  std::array<std::uint32_t, kWindowStyleWords> words{};  // before the title
  std::string title;
  std::uint32_t trailer = 0;  // the word after the title
  bool operator==(const WindowSettings&) const = default;
};

inline constexpr std::size_t kPictureBoxWords = 8;
struct PictureBoxSettings {
  std::array<std::uint32_t, kPictureBoxWords> words{};
  bool operator==(const PictureBoxSettings&) const = default;
};

inline constexpr std::size_t kListBoxWords = 9;
struct ListBoxSettings {
  std::array<std::uint32_t, kListBoxWords> words{};
  base::Bytes tail;  // the bytes after the words, as stored
  bool operator==(const ListBoxSettings&) const = default;
};

inline constexpr std::size_t kStatusBarLeadWords = 4;
inline constexpr std::size_t kStatusBarTrailWords = 6;
struct StatusBarSettings {
  // The words before the font's byte count (which is always kLogFontSize).
  std::array<std::uint32_t, kStatusBarLeadWords> lead{};
  LogFontA font;
  std::array<std::uint32_t, kStatusBarTrailWords> trail{};
  base::Bytes tail;  // the bytes after the trailing words, as stored
  bool operator==(const StatusBarSettings&) const = default;
};

inline constexpr std::size_t kButtonWords = 6;
struct ButtonSettings {
  std::array<std::uint32_t, kButtonWords> words{};
  std::string caption;
  bool operator==(const ButtonSettings&) const = default;
};

inline constexpr std::size_t kDialogWords = 18;
struct DialogSettings {
  std::array<std::uint32_t, kDialogWords> words{};
  std::string filter;  // "description|pattern" pairs
  std::string secondText;
  std::string defaultSuffix;  // e.g. "*.bmp"
  std::string fourthText;
  std::string fifthText;
  bool operator==(const DialogSettings&) const = default;
};

std::optional<WindowSettings> ReadWindowSettings(const Unit& unit);
std::optional<PictureBoxSettings> ReadPictureBoxSettings(const Unit& unit);
std::optional<ListBoxSettings> ReadListBoxSettings(const Unit& unit);
std::optional<StatusBarSettings> ReadStatusBarSettings(const Unit& unit);
std::optional<ButtonSettings> ReadButtonSettings(const Unit& unit);
std::optional<DialogSettings> ReadDialogSettings(const Unit& unit);

base::Bytes EncodeSettings(const WindowSettings& s);
base::Bytes EncodeSettings(const PictureBoxSettings& s);
base::Bytes EncodeSettings(const ListBoxSettings& s);
base::Bytes EncodeSettings(const StatusBarSettings& s);
base::Bytes EncodeSettings(const ButtonSettings& s);
base::Bytes EncodeSettings(const DialogSettings& s);

}  // namespace korvex::form
