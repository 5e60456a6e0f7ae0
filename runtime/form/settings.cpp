// Typed views of the type-specific settings, and Form::FindUnit.
#include <algorithm>

#include "base/gbk.h"
#include "runtime/form/byte_io.h"
#include "runtime/form/form.h"

namespace korvex::form {

namespace {

template <std::size_t N>
void ReadWords(ByteReader& r, std::array<std::uint32_t, N>& words) {
  for (auto& w : words) {
    w = r.U32("settings word");
  }
}

template <std::size_t N>
void WriteWords(ByteWriter& w, const std::array<std::uint32_t, N>& words) {
  for (std::uint32_t v : words) {
    w.U32(v);
  }
}

// The view when every byte was read, else nullopt.
template <typename T>
std::optional<T> Finish(const ByteReader& r, T&& value) {
  if (r.Failed() || !r.AtEnd()) {
    return std::nullopt;
  }
  return std::forward<T>(value);
}

base::Bytes Rest(ByteReader& r) {
  const auto bytes = r.Raw(r.Remaining(), "settings tail");
  return base::Bytes(bytes.begin(), bytes.end());
}

LogFontA ReadLogFont(ByteReader& r) {
  LogFontA f;
  f.height = r.I32("font height");
  f.width = r.I32("font width");
  f.escapement = r.I32("font escapement");
  f.orientation = r.I32("font orientation");
  f.weight = r.I32("font weight");
  for (std::uint8_t* b : {&f.italic, &f.underline, &f.strikeOut, &f.charSet, &f.outPrecision,
                          &f.clipPrecision, &f.quality, &f.pitchAndFamily}) {
    *b = r.U8("font byte");
  }
  const auto face = r.Raw(kLogFontFaceSize, "font face name");
  std::copy(face.begin(), face.end(), f.faceName.begin());
  return f;
}

void WriteLogFont(ByteWriter& w, const LogFontA& f) {
  for (std::int32_t v : {f.height, f.width, f.escapement, f.orientation, f.weight}) {
    w.I32(v);
  }
  for (std::uint8_t b : {f.italic, f.underline, f.strikeOut, f.charSet, f.outPrecision,
                         f.clipPrecision, f.quality, f.pitchAndFamily}) {
    w.U8(b);
  }
  w.Raw(f.faceName);
}

ByteReader SettingsReader(const Unit& unit) { return ByteReader(unit.settings, 0); }

}  // namespace

const Unit* Form::FindUnit(std::uint32_t id) const {
  const auto it =
      std::find_if(units.begin(), units.end(), [id](const Unit& u) { return u.id == id; });
  return it == units.end() ? nullptr : &*it;
}

std::string LogFontA::FaceName() const {
  const auto nul = std::find(faceName.begin(), faceName.end(), std::uint8_t{0});
  return std::string(faceName.begin(), nul);
}

void LogFontA::SetFaceName(std::string_view name) {
  name = name.substr(0, name.find('\0'));
  std::size_t keep = std::min(name.size(), kLogFontFaceSize - 1);
  while (!base::IsGbkBoundary(name, keep)) {
    --keep;  // never keep half of a double-byte character
  }
  name = name.substr(0, keep);
  faceName.fill(0);
  std::copy(name.begin(), name.end(), faceName.begin());
}

std::optional<WindowSettings> ReadWindowSettings(const Unit& unit) {
  if (unit.typeId != kTypeWindow) {
    return std::nullopt;
  }
  ByteReader r = SettingsReader(unit);
  WindowSettings s;
  ReadWords(r, s.words);
  s.title = r.PText("title");
  s.trailer = r.U32("word after the title");
  return Finish(r, std::move(s));
}

std::optional<PictureBoxSettings> ReadPictureBoxSettings(const Unit& unit) {
  if (unit.typeId != kTypePictureBox) {
    return std::nullopt;
  }
  ByteReader r = SettingsReader(unit);
  PictureBoxSettings s;
  ReadWords(r, s.words);
  return Finish(r, std::move(s));
}

std::optional<ListBoxSettings> ReadListBoxSettings(const Unit& unit) {
  if (unit.typeId != kTypeListBox) {
    return std::nullopt;
  }
  ByteReader r = SettingsReader(unit);
  ListBoxSettings s;
  ReadWords(r, s.words);
  s.tail = Rest(r);
  return Finish(r, std::move(s));
}

std::optional<StatusBarSettings> ReadStatusBarSettings(const Unit& unit) {
  if (unit.typeId != kTypeStatusBar) {
    return std::nullopt;
  }
  ByteReader r = SettingsReader(unit);
  StatusBarSettings s;
  ReadWords(r, s.lead);
  if (r.U32("font size") != kLogFontSize) {
    return std::nullopt;
  }
  s.font = ReadLogFont(r);
  ReadWords(r, s.trail);
  s.tail = Rest(r);
  return Finish(r, std::move(s));
}

std::optional<ButtonSettings> ReadButtonSettings(const Unit& unit) {
  if (unit.typeId != kTypeButton) {
    return std::nullopt;
  }
  ByteReader r = SettingsReader(unit);
  ButtonSettings s;
  ReadWords(r, s.words);
  s.caption = r.PText("caption");
  return Finish(r, std::move(s));
}

std::optional<DialogSettings> ReadDialogSettings(const Unit& unit) {
  if (unit.typeId != kTypeCommonDialog) {
    return std::nullopt;
  }
  ByteReader r = SettingsReader(unit);
  DialogSettings s;
  ReadWords(r, s.words);
  for (std::string* t : {&s.filter, &s.secondText, &s.defaultSuffix, &s.fourthText, &s.fifthText}) {
    *t = r.PText("dialog text");
  }
  return Finish(r, std::move(s));
}

base::Bytes EncodeSettings(const WindowSettings& s) {
  ByteWriter w;
  WriteWords(w, s.words);
  w.PText(s.title);
  w.U32(s.trailer);
  return std::move(w.Out());
}

base::Bytes EncodeSettings(const PictureBoxSettings& s) {
  ByteWriter w;
  WriteWords(w, s.words);
  return std::move(w.Out());
}

base::Bytes EncodeSettings(const ListBoxSettings& s) {
  ByteWriter w;
  WriteWords(w, s.words);
  w.Raw(s.tail);
  return std::move(w.Out());
}

base::Bytes EncodeSettings(const StatusBarSettings& s) {
  ByteWriter w;
  WriteWords(w, s.lead);
  w.U32(static_cast<std::uint32_t>(kLogFontSize));
  WriteLogFont(w, s.font);
  WriteWords(w, s.trail);
  w.Raw(s.tail);
  return std::move(w.Out());
}

base::Bytes EncodeSettings(const ButtonSettings& s) {
  ByteWriter w;
  WriteWords(w, s.words);
  w.PText(s.caption);
  return std::move(w.Out());
}

base::Bytes EncodeSettings(const DialogSettings& s) {
  ByteWriter w;
  WriteWords(w, s.words);
  for (const std::string* t :
       {&s.filter, &s.secondText, &s.defaultSuffix, &s.fourthText, &s.fifthText}) {
    w.PText(*t);
  }
  return std::move(w.Out());
}

}  // namespace korvex::form
