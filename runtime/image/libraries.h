// The runtime libraries this runtime provides, as a program image lists
// them: the core library first, then its three parts (multithreading,
// internet, extended user interface), which the runtime carries itself.
//
// Constant data; any thread.
#pragma once

#include <array>
#include <string_view>

namespace korvex::image {

struct RuntimeLibrary {
  std::string_view name;
  std::string_view id;  // 32 hex digits
  std::string_view major;
  std::string_view minor;
  std::string_view description;  // GBK
};

inline constexpr std::array<RuntimeLibrary, 4> kRuntimeLibraries = {{
    // 核心库
    {"korvex", "6A3F0C2E91D84B57A0E2C4F1B7D39E65", "5", "0", "\xBA\xCB\xD0\xC4\xBF\xE2"},
    // 多线程库
    {"kvthread", "1C7E5A93F02B4D68B9E4A7C3D1F0826B", "2", "0", "\xB6\xE0\xCF\xDF\xB3\xCC\xBF\xE2"},
    // 互联网库
    {"kvinet", "84D2B6F1A3C94E0F8B5D7A2E6C1F3094", "2", "0", "\xBB\xA5\xC1\xAA\xCD\xF8\xBF\xE2"},
    // 扩展界面库
    {"kvextui", "F3B90D4C7E2A4618A6C5E8B1D2F47A3C", "2", "0",
     "\xC0\xA9\xD5\xB9\xBD\xE7\xC3\xE6\xBF\xE2"},
}};

}  // namespace korvex::image
