// EventTable: which routine handles which unit event, as the window
// description says. Built once when the window loads; read-only afterwards,
// so any thread may look things up.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <utility>

#include "runtime/form/form.h"

namespace korvex {

class EventTable {
 public:
  EventTable() = default;
  explicit EventTable(const form::Form& form);

  // The routine offset for (unit, event), or none when the unit has no entry.
  std::optional<std::uint32_t> Handler(std::uint32_t unit, std::int32_t event) const;
  // The routine offset of a menu entry, or none (no entry, or stored as -1).
  std::optional<std::uint32_t> MenuHandler(std::uint32_t menuEntry) const;

 private:
  std::map<std::pair<std::uint32_t, std::int32_t>, std::uint32_t> handlers_;
  std::map<std::uint32_t, std::uint32_t> menuHandlers_;
};

}  // namespace korvex
