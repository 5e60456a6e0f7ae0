// The settings tests may change (transfer_limits.h, transfer.h), as the
// transfers read them. Internal to the transfers: only the test-only
// library platform_transfer_testing writes them (testing.cpp), so in the
// shipped runtime they keep their defaults. Guard each with its mutex.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "platform/transfer/limit_values.h"

namespace transfer {

std::mutex& LimitsMutex();
TransferLimits& Limits();

// Certificates (PEM) trusted instead of the system's; empty: the system's.
std::mutex& TrustMutex();
std::string& TrustedPemLocked();

// Where names are connected instead ("HOST:PORT:TO-HOST:TO-PORT", as
// curl's connect-to list); empty: every name as the resolver gives it.
std::mutex& RouteMutex();
std::vector<std::string>& RoutesLocked();

}  // namespace transfer
