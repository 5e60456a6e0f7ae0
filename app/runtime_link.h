// The program's side of the runtime's service interface.
//
// The runtime binds its Services table once, before it calls the entry
// routine (app/program_memory.h); from then on every routine reaches the
// window, its units, the threads and the event loop through the wrappers
// below. The wrappers name units, routines and DLL commands as the image's
// operands give them. Each wrapper may be called from any thread the table
// allows (see runtime/services/services.h). Calling a wrapper before a
// table is bound is a programming error and aborts.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/routine_ids.h"
#include "runtime/services/services.h"

namespace pixaroo {

void BindRuntime(const korvex::Services* services);
bool RuntimeBound();

namespace rt {

using base::Bytes;
using korvex::UnitRef;

int ListCount(UnitRef list);
std::string ListItem(UnitRef list, int index);
void ListAdd(UnitRef list, const std::string& text);
void ListClear(UnitRef list);
// Every item, read in one step.
std::vector<std::string> ListItems(UnitRef list);
// Every item replaced in one step.
void ListReplace(UnitRef list, std::vector<std::string> items);

Bytes ReadPicture(UnitRef picture);               // property 10, a fresh copy
// True when the picture reads as the empty text (no bytes, or a NUL first),
// asked without copying the picture.
bool PictureEmpty(UnitRef picture);
void WritePicture(UnitRef picture, Bytes bytes);  // property 10, moved in
std::string ReadDialogFileName(UnitRef dialog);   // property 10
void SetDisabled(UnitRef button, bool disabled);  // property 6
void SetStatusText(UnitRef statusBar, int part, const std::string& text);
// The status bar's progress bar: `value` of `maximum`; maximum 0 hides it.
void SetStatusProgress(UnitRef statusBar, int value, int maximum);

void PopupMenu(UnitRef window, UnitRef menu);
void OpenDialog(UnitRef dialog);
void BindKey(UnitRef button, int key);
void BindViewer(korvex::ViewerPhotos photos);
// False when the file could not be written; `error`, when given, then
// holds the errno value of the failed step.
bool WriteFile(const std::string& fileName, const Bytes& data, int* error = nullptr);
void MessageBox(const std::string& text, int flags, const std::string& title);
void RunProgram(const std::string& commandLine, bool wait);

void StartThread(Routine routine);
// Runs `task` on a tracked worker thread; false (task not run) once the
// program is ending.
bool StartTask(std::function<void()> task);
void RegisterExitRoutine(Routine routine);
// Loads and shows `window` (units::kWindow).
void LoadWindow(UnitRef window);
void RunEventLoop();
void EndProgram(int exitCode);

// The internet library's HTTP read: the body, or empty.
Bytes HttpRead(const std::string& url);

// A cancellation scope for HTTP reads, shared by everyone reading in it;
// given back to the runtime when the last holder lets go.
using TransferScope = std::shared_ptr<korvex::TransferScope>;
TransferScope NewTransferScope();
// Reads in `scope` stop promptly, now and later.
void CancelTransfers(const TransferScope& scope);
// The HTTP read, stopped when `scope` is cancelled.
Bytes HttpRead(const std::string& url, const TransferScope& scope);
// Whether `url` stays on `site` (same scheme, host and port, no user part),
// as the HTTP read would parse it.
bool SameSite(const std::string& url, const std::string& site);
// The function of the DLL command that the image's DLL command operand
// `number` names (see app/dll_commands.h).
korvex::AnyFunction DllCommandAddress(int number);
// The core library's automation-object commands (see app/automation_object.h).
const korvex::ObjectCommands& Objects();

}  // namespace rt
}  // namespace pixaroo
