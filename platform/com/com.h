// The COM layer: per-thread initialisation and creating components by ProgID.
//
// CoInitialize/CoUninitialize keep a count per thread, as the platform does:
// every call to CoInitialize (S_OK the first time on a thread, S_FALSE when
// COM is already initialised there) must be paired with one CoUninitialize on
// the same thread. A component can be created only on a thread whose count is
// above zero; elsewhere creation fails with CO_E_NOTINITIALIZED.
//
// The component registry maps ProgIDs (letter case ignored) to factories. It
// knows "VBScript.RegExp" from the start; tests may register fakes. The
// registry is guarded by a mutex: any thread may use it.
#pragma once

#include <string_view>

#include "platform/com/dispatch.h"

namespace com {

// Initialises COM on the calling thread (apartment-threaded). `reserved`
// must be null (anything else gives E_INVALIDARG and changes nothing).
HRESULT CoInitialize(void* reserved);
// Ends one use of COM on the calling thread; without a matching
// CoInitialize it does nothing.
void CoUninitialize();
// How many CoInitialize calls on this thread are not yet paired (a
// diagnostic for tests).
int ComInitCountOnThisThread();

// Makes a new object; null when it cannot.
using ClassFactory = DispatchPtr (*)();

// Creates the component registered under `progId` on the calling thread.
// Errors: CO_E_NOTINITIALIZED (no COM on this thread), CO_E_CLASSSTRING
// (unknown ProgID), E_OUTOFMEMORY (the factory gave nothing), E_POINTER.
HRESULT CreateObjectFromProgID(std::u16string_view progId, DispatchPtr* out);

// Registers `factory` under `progId`, replacing any earlier one; a null
// factory removes the entry.
void RegisterProgID(std::u16string_view progId, ClassFactory factory);

}  // namespace com
