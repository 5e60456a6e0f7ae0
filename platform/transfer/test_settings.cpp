#include "platform/transfer/test_settings.h"

namespace transfer {

std::mutex& LimitsMutex() {
  static std::mutex m;
  return m;
}

TransferLimits& Limits() {
  static TransferLimits limits;
  return limits;
}

std::mutex& TrustMutex() {
  static std::mutex m;
  return m;
}

std::string& TrustedPemLocked() {
  static std::string pem;
  return pem;
}

std::mutex& RouteMutex() {
  static std::mutex m;
  return m;
}

std::vector<std::string>& RoutesLocked() {
  static std::vector<std::string> routes;
  return routes;
}

}  // namespace transfer
