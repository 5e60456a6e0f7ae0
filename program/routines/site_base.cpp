#include "program/routines/site_base.h"

#include <mutex>

#include "program/routines/runtime_link.h"

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

std::string SiteAddress(const std::string& path) {
  const std::string base = SiteBase();
  std::string address = base + path;
  if (!rt::SameSite(address, base)) return {};
  return address;
}

void OverrideSiteBase(const std::string& base) {
  std::lock_guard lock(g_mutex);
  g_override = base;
}

}  // namespace pixaroo
