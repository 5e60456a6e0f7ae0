// The program's side of the runtime's service interface.
//
// The runtime binds its Services table once, before it calls the entry
// routine (BindProgram below); from then on every routine reaches the
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

#include "program/routines/routine_ids.h"
#include "runtime/services/program_image.h"
#include "runtime/services/services.h"

namespace pixaroo {

// Binds the runtime's services and the image's memory (program_memory.h):
// the binding routine the image names, run once on the window thread
// before the entry routine.
void BindProgram(const korvex::Services* services, const korvex::ProgramMemory& memory);
// Binds the services alone (tests that replace the table).
void BindRuntime(const korvex::Services* services);
bool RuntimeBound();

namespace rt {

using base::Bytes;
using korvex::ReadResult;
using korvex::UnitRef;
using korvex::ViewerPhotos;

// The services the program calls as they stand, one wrapper each, with the
// table's own parameters (runtime/services/service_list.def): rt::ListCount,
// rt::ListItem, rt::WriteFile, rt::HttpRead and the rest.
#define KORVEX_SERVICE(member, Wrapper, Return, parameters, arguments) Return Wrapper parameters;
#define KORVEX_SERVICE_WRAPPED(member, Return, parameters)
#include "runtime/services/service_list.def"

// The services the program wraps in its own logic.
Bytes ReadPicture(UnitRef picture);               // property 10, a fresh copy
// True when the picture reads as the empty text (no bytes, or a NUL first),
// asked without copying the picture.
bool PictureEmpty(UnitRef picture);
void WritePicture(UnitRef picture, Bytes bytes);  // property 10, moved in
std::string ReadDialogFileName(UnitRef dialog);   // property 10
// Property 10 before the dialog opens: the file name it suggests.
void WriteDialogFileName(UnitRef dialog, const std::string& name);
void SetDisabled(UnitRef button, bool disabled);  // property 6

void StartThread(Routine routine);
void RegisterExitRoutine(Routine routine);
// Loads and shows `window` (units::kWindow).
void LoadWindow(UnitRef window);

// A cancellation scope for HTTP reads, shared by everyone reading in it;
// given back to the runtime when the last holder lets go.
using TransferScope = std::shared_ptr<korvex::TransferScope>;
TransferScope NewTransferScope();
// Reads in `scope` stop promptly, now and later.
void CancelTransfers(const TransferScope& scope);
// The HTTP read, stopped (kCancelled) when `scope` is cancelled.
ReadResult HttpRead(const std::string& url, const TransferScope& scope);
// What the program uses of a read, as the internet library's command gives
// it: the body, or the empty byte set when nothing could be read.
Bytes BodyOrEmpty(ReadResult&& read);
// The function of the DLL command that the image's DLL command operand
// `number` names (see program/routines/dll_calls.h).
korvex::AnyFunction DllCommandAddress(int number);
// The core library's automation-object commands (see program/routines/automation_object.h).
const korvex::ObjectCommands& Objects();

}  // namespace rt
}  // namespace pixaroo
