#include "runtime/dll/layer_exports.h"

#include <iterator>

#include "platform/com/com.h"
#include "platform/gdiplus/gdiplus.h"
#include "platform/kernel32/kernel32.h"
#include "platform/ole32/ole32.h"
#include "platform/wininet/wininet.h"
#include "runtime/dll/export_names.h"

namespace korvex::dll {
namespace {

template <typename Fn>
constexpr AnyFunction Any(Fn* fn) {
  return reinterpret_cast<AnyFunction>(fn);  // NOLINT(cppcoreguidelines-pro-type-reinterpret-cast)
}

}  // namespace

std::span<const LayerExport> LayerExports() {
  // Built on first use: the addresses are not constants the compiler may
  // fold, and a program may be bound during static initialisation.
  static const LayerExport kExports[] = {
#define KORVEX_LAYER_EXPORT(file, layer, function) {file, #function, Any(&::layer::function)},
#include "runtime/dll/layer_export_list.def"
  };
  static_assert(std::size(kExports) == std::size(kExportNames));
  return kExports;
}

}  // namespace korvex::dll
