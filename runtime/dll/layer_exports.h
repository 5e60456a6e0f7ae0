// The functions the runtime's platform layers export to programs through the
// DLL command table, by (file, function) name as the platform names them:
// layer_export_list.def, in its order (the order of kExportNames).
//
// Constant data; any thread.
#pragma once

#include <span>
#include <string_view>

#include "runtime/services/services.h"

namespace korvex::dll {

struct LayerExport {
  std::string_view file;      // lower case, with its extension
  std::string_view function;  // exact spelling
  AnyFunction address;
};

std::span<const LayerExport> LayerExports();

}  // namespace korvex::dll
