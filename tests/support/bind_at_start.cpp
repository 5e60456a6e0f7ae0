// Linked into test and fuzz executables of program modules: binds the
// runtime's services before main, so every test may call the routines.
#include "tests/support/program_services.h"

namespace {

const bool kBound = (pixaroo::testing::BindProgramServices(), true);

}  // namespace
