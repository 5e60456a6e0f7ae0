#include "app/site_base.h"

#include <mutex>

namespace pixaroo {
namespace {

constexpr const char* kBuiltInSiteBase = PIXAROO_SITE_BASE;

std::mutex g_mutex;
std::string g_override;

}  // namespace

std::string SiteBase() {
  std::lock_guard lock(g_mutex);
  return g_override.empty() ? std::string(kBuiltInSiteBase) : g_override;
}

void OverrideSiteBase(const std::string& base) {
  std::lock_guard lock(g_mutex);
  g_override = base;
}

}  // namespace pixaroo
