// The runtime's service interface: the one way the program reaches the
// runtime (units, events, keys, threads, message box, dialogs, writing files,
// running programs, the event loop and the end of the program, the internet
// library's HTTP read, the automation-object commands) and, through the DLL
// command table, the platform layers. Everything with state lives once,
// behind this table, in the runtime library; the program carries none of the
// runtime's code. Only base/, which keeps no state (texts and byte sets, GBK
// and its code table, files, little-endian fields, exit codes), is compiled
// into both: the program writes its index file and a conversion's output
// with base/'s files, but a file under a name a dialog handed out only
// through the writeFile service, since only the runtime knows those names.
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
#include "base/error_or.h"
#include "base/files.h"
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
  // A new reference to the same object (null for null), released on its own.
  ObjectHandle (*copy)(ObjectHandle object);
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

// Why an HTTP read gave no body: one reason of the transfer's failure list
// (platform/transfer/failure_list.def), in its order.
enum class ReadFailure {
#define PIXAROO_TRANSFER_FAILURE(name, text) name,
#include "platform/transfer/failure_list.def"
};
struct ReadError {
  ReadFailure failure = ReadFailure::kBroken;
  std::string text;  // what is said of it, e.g. "cancelled" or "could not connect: ..."
};
// What an HTTP read gives: the body of the response (an error status's body
// too: the program does not look at the status), or why nothing was read.
using ReadResult = base::ErrorOr<Bytes, ReadError>;

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
  // httpRead within `scope` (null: in no scope), for a photo: its body may
  // be as large as a photo's cap, where the plain httpRead reads a page
  // (an item page, the contact picture) under the page cap. A read stopped
  // by cancelling its scope fails with ReadFailure::kCancelled.
  ReadResult (*httpRead)(TransferScope* scope, const std::string& url);
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

// The table's plain services, one member each, come from service_list.def.
struct Services {
#define KORVEX_SERVICE(member, Wrapper, Return, parameters, arguments) Return(*member) parameters;
#define KORVEX_SERVICE_WRAPPED(member, Return, parameters) Return(*member) parameters;
#include "runtime/services/service_list.def"

  // HTTP reads that can be cancelled together.
  TransferScopes transferScopes;
  ObjectCommands objects;
};

}  // namespace korvex
