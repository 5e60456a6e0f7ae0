#include "runtime/core/event_table.h"

namespace korvex {

EventTable::EventTable(const form::Form& form) {
  for (const auto& unit : form.units) {
    if (unit.IsMenuEntry()) {
      if (unit.routineOffset >= 0) {
        menuHandlers_[unit.id] = static_cast<std::uint32_t>(unit.routineOffset);
      }
      continue;
    }
    for (const auto& e : unit.events) handlers_[{unit.id, e.event}] = e.routineOffset;
  }
}

std::optional<std::uint32_t> EventTable::Handler(std::uint32_t unit, std::int32_t event) const {
  const auto it = handlers_.find({unit, event});
  if (it == handlers_.end()) return std::nullopt;
  return it->second;
}

std::optional<std::uint32_t> EventTable::MenuHandler(std::uint32_t menuEntry) const {
  const auto it = menuHandlers_.find(menuEntry);
  if (it == menuHandlers_.end()) return std::nullopt;
  return it->second;
}

}  // namespace korvex
