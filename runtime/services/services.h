// The runtime's service interface: the one way the program reaches the
// runtime's instance-bound operations (units, events, keys, threads, message
// box, dialogs, writing files, running programs, the event loop and the end
// of the program).
//
// The runtime fills one Services table when it loads a program and hands the
// program a pointer to it; the table lives until the process ends. Stateless
// operations (texts, byte sets, reading files, HTTP read, automation objects)
// are not in the table: they are static libraries compiled into both sides.
// Writing a file is, since only the runtime knows the names its dialogs
// handed out.
//
// Threads: every entry may be called from the window thread and from worker
// threads, except loadWindow, runEventLoop, endProgram, registerExitRoutine,
// popupMenu, openDialog and bindKey, which belong to the window thread;
// calling one of those from another thread is a runtime fault that ends the
// program. A worker's message box shows on the window thread and the worker
// waits until it is closed (or returns at once once the window has gone).
#pragma once

#include <cstdint>
#include <string>
#include <variant>

#include "runtime/text/bytes.h"

namespace korvex {

// Names one unit of a window: (window id, unit id, unit type id).
struct UnitRef {
  std::uint32_t window = 0;
  std::uint32_t unit = 0;
  std::uint32_t type = 0;
  friend bool operator==(const UnitRef&, const UnitRef&) = default;
};

// A unit property's value: none, integer, boolean, text or byte set.
using PropertyValue = std::variant<std::monostate, std::int32_t, bool, std::string, Bytes>;

// Unit property numbers the program uses.
inline constexpr int kPropPicture = 10;       // picture box: image file bytes
inline constexpr int kPropDialogFile = 10;    // common dialog: chosen file name
inline constexpr int kPropDisabled = 6;       // button: disabled flag

// Keys, by the system's virtual-key codes.
inline constexpr int kKeyPageUp = 0x21;
inline constexpr int kKeyPageDown = 0x22;
inline constexpr int kKeyLeft = 0x25;
inline constexpr int kKeyRight = 0x27;

struct Services {
  // Units. A list position past the last item reads as the empty text.
  int (*listCount)(UnitRef list);
  std::string (*listItem)(UnitRef list, int index);
  void (*listAdd)(UnitRef list, const std::string& text);
  void (*listClear)(UnitRef list);
  // Reading gives a fresh copy owned by the caller; an unknown unit or
  // property reads as std::monostate and a write to one is ignored.
  PropertyValue (*readProperty)(UnitRef unit, int property);
  void (*writeProperty)(UnitRef unit, int property, const PropertyValue& value);
  void (*setStatusText)(UnitRef statusBar, int part, const std::string& text);
  // Pops up `menu` over `window`; returns when the menu closes. The chosen
  // entry's routine runs afterwards as its own event on the window thread.
  void (*popupMenu)(UnitRef window, UnitRef menu);
  // Opens a common dialog as a save-file dialog; afterwards its property 10
  // holds the chosen file name (empty after cancel).
  void (*openDialog)(UnitRef dialog);
  // From now on `key` (kKey...) acts as a click on `button` whenever the
  // window is active and no menu or dialog is open. The click takes the
  // button's own way, so a disabled button takes no key either. A key bound
  // again goes to the later button.
  void (*bindKey)(UnitRef button, int key);

  // Files. Writes `data` to the file named by the text `fileName`, replacing
  // it atomically; false when it could not. A name a dialog handed out
  // reaches the very file the user chose, even one whose name GBK cannot
  // spell; any other name must be plain GBK.
  bool (*writeFile)(const std::string& fileName, const Bytes& data);

  // System.
  void (*messageBox)(const std::string& text, int flags, const std::string& title);
  // Starts a program from a command line, never through a shell.
  void (*runProgram)(const std::string& commandLine, bool wait);

  // Threads and lifetime. Routines are named by their code offset.
  void (*startThread)(std::uint32_t routineOffset);
  void (*registerExitRoutine)(std::uint32_t routineOffset);
  void (*loadWindow)(std::uint32_t windowId);
  void (*runEventLoop)();
  void (*endProgram)(int exitCode);
};

}  // namespace korvex
