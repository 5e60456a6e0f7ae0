// Page loads: the neighbouring pages' photo files read ahead into the store,
// each page's six together.
#include <algorithm>

#include "program/pages/page_loads_impl.h"
#include "program/pages/page_loads.h"
#include "program/routines/runtime_link.h"
#include "program/routines/units.h"

namespace pixaroo {

void PageLoads::StopReadingAheadLocked() {
  if (const rt::TransferScope scope = ahead_.lock()) rt::CancelTransfers(scope);
  ahead_.reset();
}

bool PageLoads::AheadWantedLocked(const rt::TransferScope& scope) const {
  return ahead_.lock() == scope;
}

// Reads `page`'s addresses together into the store while `scope` is the
// read-ahead running.
void PageLoads::ReadAheadTogether(const rt::TransferScope& scope,
                                  const std::vector<std::string>& page) {
  RunTogether(static_cast<int>(page.size()), [&](int k) {
    {
      std::lock_guard lock(mutex_);
      if (!AheadWantedLocked(scope) || store_.Find(page[k]) || store_.Unavailable(page[k])) {
        return;
      }
    }
    rt::ReadResult read = rt::HttpRead(page[k], scope);
    // A read stopped with its scope is no word on the photo: nothing is kept.
    if (read.ok() ? read->empty() : !FailsAgain(read.error())) return;
    std::lock_guard lock(mutex_);
    if (!AheadWantedLocked(scope)) return;
    if (read.ok()) {
      store_.Put(page[k], StoredFile(std::move(read).value()));
    } else {
      store_.PutUnavailable(page[k]);
    }
  });
}

// Reads `pages` one after another, each page's photos together, until
// `scope` is no longer the read-ahead running.
void PageLoads::ReadAhead(const rt::TransferScope& scope,
                          const std::vector<std::vector<std::string>>& pages) {
  for (const auto& page : pages) {
    {
      std::lock_guard lock(mutex_);
      if (!AheadWantedLocked(scope)) return;
    }
    ReadAheadTogether(scope, page);
  }
  std::lock_guard lock(mutex_);
  if (AheadWantedLocked(scope)) ahead_.reset();
}

// The addresses of the current page's neighbours that the store lacks, by
// page, the likelier next page first; places past the index's end (empty
// items), addresses off the site and those known to give nothing are left
// out. The files the store holds
// for the page and its neighbours become its last to be dropped.
std::vector<std::vector<std::string>> PageLoads::NeighboursToReadLocked(const Load& load) {
  const bool back = load.move == PageMove::Back && load.places[0] >= kPageStep;
  const int count = rt::ListCount(units::kIndexList);
  std::vector<std::vector<std::string>> pages;
  std::vector<std::string> seen;
  for (const std::int32_t step :
       back ? std::vector{0, -kPageStep, kPageStep} : std::vector{0, kPageStep}) {
    std::vector<std::string> page;
    for (const std::int32_t place : load.places) {
      const std::int32_t position = place + step;
      if (position < 0 || position >= count) continue;
      std::string address = PhotoAddress(rt::ListItem(units::kIndexList, position));
      if (address.empty()) continue;
      if (store_.Find(address)) {
        store_.Touch(address);
        continue;
      }
      if (store_.Unavailable(address)) continue;
      if (step == 0) continue;  // the page shown: not read again
      if (std::find(seen.begin(), seen.end(), address) != seen.end()) continue;
      seen.push_back(address);
      page.push_back(std::move(address));
    }
    if (!page.empty()) pages.push_back(std::move(page));
  }
  return pages;
}

// Starts reading the neighbours of `shown` ahead, when it is still the
// current load, is shown and no update runs.
void PageLoads::StartReadingAhead(const Load* shown) {
  rt::TransferScope scope;
  std::vector<std::vector<std::string>> pages;
  {
    std::lock_guard lock(mutex_);
    if (!current_ || current_.get() != shown || !current_->finished || updating_) return;
    StopReadingAheadLocked();
    pages = NeighboursToReadLocked(*current_);
    if (pages.empty()) return;
    scope = rt::NewTransferScope();
    ahead_ = scope;
  }
  // Not started once the program is ending: nothing is read ahead then.
  rt::StartTask([self = shared_from_this(), scope, pages = std::move(pages)] {
    self->ReadAhead(scope, pages);
  });
}

}  // namespace pixaroo
