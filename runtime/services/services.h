// The runtime's service interface: the one way the program reaches the
// runtime (units, events, keys, threads, message box, dialogs, writing files,
// running programs, the event loop and the end of the program, the internet
// library's HTTP read, the automation-object commands) and, through the DLL
// command table, the platform layers. Everything with state lives once,
// behind this table, in the runtime library; the program carries none of the
// runtime's code. Only the pure text and byte-set operations of base/ are
// compiled into both. Writing a file is a service since only the runtime
// knows the names its dialogs handed out.
//
// The runtime fills one Services table when it loads a program and hands the
// program a pointer to it; the table lives until the process ends.
//
// Threads: every entry may be called from the window thread and from worker
// threads, except loadWindow, runEventLoop, endProgram, registerExitRoutine,
// popupMenu, openDialog, bindKey and bindViewer, which belong to the window
// thread;
// calling one of those from another thread is a runtime fault that ends the
// program. A worker's message box shows on the window thread and the worker
// waits until it is closed (or returns at once once the window has gone).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "base/bytes.h"
#include "base/text_ops.h"

namespace korvex {

using base::Bytes;
using base::Text;

// Names one unit of a window: (window id, unit id, unit type id).
struct UnitRef {
  std::uint32_t window = 0;
  std::uint32_t unit = 0;
  std::uint32_t type = 0;
  friend bool operator==(const UnitRef&, const UnitRef&) = default;
};

// A unit property's value: none, integer, boolean, text or byte set.
using PropertyValue = std::variant<std::monostate, std::int32_t, bool, std::string, base::Bytes>;

// Unit property numbers the program uses.
inline constexpr int kPropPicture = 10;     // picture box: image file bytes
inline constexpr int kPropDialogFile = 10;  // common dialog: chosen file name
inline constexpr int kPropDisabled = 6;     // button: disabled flag

// Any function, as the DLL command table hands it out; the caller casts it
// back to the type the layer declares.
using AnyFunction = void (*)();

// One entry of the program's DLL command table: a file name (empty: search
// every layer) and a function name.
struct DllCommandName {
  const char* file;
  const char* function;
};

// An automation object the runtime holds for the program; the program owns
// the handle and gives it back with ObjectCommands::release. Null is the
// empty object.
struct AutomationObject;
using ObjectHandle = AutomationObject*;

// A value handed to a component: a flag, a number or a GBK text.
using AutoArgValue = std::variant<bool, std::int32_t, double, std::string>;

// The core library's automation-object commands, late-bound by member name.
// Every command that fails (empty object, unknown member, refused write, a
// component error) gives the empty result of its kind. An object may be used
// only on the thread that created it, after the program initialised COM on
// that thread (DLL command CoInitialize).
struct ObjectCommands {
  // A new object of the component registered under `progId`, or null.
  ObjectHandle (*create)(std::string_view progId);
  // Gives the reference back; null allowed.
  void (*release)(ObjectHandle object);
  // True when the component accepted the write.
  bool (*writeProperty)(ObjectHandle object, std::string_view member, const AutoArgValue& value);
  base::Text (*readText)(ObjectHandle object, std::string_view member);
  double (*readNumber)(ObjectHandle object, std::string_view member);
  // A property that holds an object (indexed by `argument` when given).
  ObjectHandle (*readObject)(ObjectHandle object, std::string_view member,
                             const AutoArgValue* argument);
  // Any property's value as text: texts in GBK, numbers in decimal, flags
  // as "-1" and "0", everything else empty.
  base::Text (*readValueText)(ObjectHandle object, std::string_view member,
                              const AutoArgValue* argument);
  ObjectHandle (*callObject)(ObjectHandle object, std::string_view member,
                             const AutoArgValue& argument);
  base::Text (*callText)(ObjectHandle object, std::string_view member, const AutoArgValue& first,
                         const AutoArgValue& second);
};

// Keys, by the system's virtual-key codes.
inline constexpr int kKeyPageUp = 0x21;
inline constexpr int kKeyPageDown = 0x22;
inline constexpr int kKeyLeft = 0x25;
inline constexpr int kKeyRight = 0x27;

// A cancellation scope for HTTP reads: cancelling it stops the reads made in
// it and no others. Created and released by the program.
struct TransferScope;

struct TransferScopes {
  // A new scope, not cancelled. The program gives it back with release once
  // no read in it is running any more.
  TransferScope* (*create)();
  // Reads running in the scope fail within a fraction of a second; later
  // reads in it fail at once. Idempotent; any thread.
  void (*cancel)(TransferScope* scope);
  void (*release)(TransferScope* scope);
  // httpRead within `scope` (null: in no scope).
  base::Bytes (*httpRead)(TransferScope* scope, const std::string& url);
};

// The program's photos as the runtime's photo viewer walks them: the
// program's own index, which only the program knows.
struct ViewerPhotos {
  // Window thread: the index position of the photo the picture box `box`
  // (a unit id) shows, or -1 when it shows none of the index's.
  std::function<int(std::uint32_t box)> positionOf;
  // Window thread: how many photos there are (positions 0 .. count-1).
  std::function<int()> count;
  // A worker thread: the photo at `position` as image file bytes, empty
  // when it cannot be had. May block on the network.
  std::function<base::Bytes(int position)> photoAt;
};

struct Services {
  // Units. A list position past the last item reads as the empty text.
  int (*listCount)(UnitRef list);
  std::string (*listItem)(UnitRef list, int index);
  void (*listAdd)(UnitRef list, const std::string& text);
  void (*listClear)(UnitRef list);
  // Every item at once, read in one step: one consistent snapshot.
  std::vector<std::string> (*listItems)(UnitRef list);
  // Replaces every item in one step: readers see the old items or the new
  // ones, never an empty or partly filled list.
  void (*listReplace)(UnitRef list, std::vector<std::string>&& items);
  // Reading gives a fresh copy owned by the caller; an unknown unit or
  // property reads as std::monostate and a write to one is ignored.
  PropertyValue (*readProperty)(UnitRef unit, int property);
  // True when the property reads as the empty text: no value, or a text or
  // byte set that is empty or starts with a NUL byte. Nothing is copied.
  bool (*propertyEmpty)(UnitRef unit, int property);
  // The value is moved into the unit: a picture's bytes are not copied.
  void (*writeProperty)(UnitRef unit, int property, PropertyValue&& value);
  void (*setStatusText)(UnitRef statusBar, int part, const std::string& text);
  // The status bar's progress bar, beside its texts: `value` of `maximum`
  // done; a maximum of 0 hides it (it starts hidden).
  void (*setStatusProgress)(UnitRef statusBar, int value, int maximum);
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
  // From now on a double-click on a picture box that shows a picture whose
  // position `photos` knows opens the photo viewer, a window of its own, on
  // the picture the box holds (no request); moving through the index there
  // asks `photos.photoAt` on a worker thread. Binding again replaces it.
  void (*bindViewer)(ViewerPhotos photos);

  // Files. Writes `data` to the file named by the text `fileName`, replacing
  // it atomically; false when it could not. A name a dialog handed out
  // reaches the very file the user chose, even one whose name GBK cannot
  // spell; any other name must be plain GBK. On failure `error`, when
  // given, receives the errno value of the failed step.
  bool (*writeFile)(const std::string& fileName, const Bytes& data, int* error);

  // System.
  void (*messageBox)(const std::string& text, int flags, const std::string& title);
  // Starts a program from a command line, never through a shell.
  void (*runProgram)(const std::string& commandLine, bool wait);

  // Threads and lifetime. Routines are named by their code offset.
  void (*startThread)(std::uint32_t routineOffset);
  // Runs a piece of the program's own work on a tracked worker thread (the
  // end of the program waits for it as for any worker). False, and the task
  // is dropped unrun, once the program is ending or when no thread can be
  // made; the caller then does the work itself.
  bool (*startTask)(std::function<void()> task);
  void (*registerExitRoutine)(std::uint32_t routineOffset);
  void (*loadWindow)(std::uint32_t windowId);
  void (*runEventLoop)();
  void (*endProgram)(int exitCode);

  // The internet library: the body at an http:// or https:// address
  // (redirects followed within the same scheme or from http to https),
  // empty when nothing could be read. Blocks; fails at once after the
  // window has closed.
  base::Bytes (*httpRead)(const std::string& url);
  TransferScopes transferScopes;
  // True when `url`, parsed as the HTTP read parses it, has the scheme,
  // host and port of `site` and no user name or password.
  bool (*sameSite)(const std::string& url, const std::string& site);

  // The DLL command table, resolved when the program was loaded: the
  // function of command `number`. A number outside the table is a runtime
  // fault that ends the program.
  AnyFunction (*dllCommand)(int number);

  ObjectCommands objects;
};

}  // namespace korvex
