// Binds the runtime's service table into the program for tests that call the
// program's routines directly, without a loaded window: the program's DLL
// command table is resolved against the platform layers, and the HTTP read
// and automation-object commands work; window services need a running
// Runtime (tests/program/program_harness.h).
#pragma once

namespace pixaroo::testing {

// Idempotent; any thread.
void BindProgramServices();

}  // namespace pixaroo::testing
