// The update run over the gallery's list and item pages.
#include <atomic>
#include <optional>
#include <string>
#include <utility>

#include "program/routines/event_routines.h"
#include "program/routines/globals.h"
#include "program/routines/program_memory.h"
#include "program/routines/runtime_link.h"
#include "program/routines/site_base.h"
#include "program/routines/units.h"
#include "base/bytes.h"
#include "program/net/web_request.h"
#include "program/text/extract_all_between.h"
#include "program/text/extract_between.h"
#include "program/pages/page_loads.h"
#include "program/update/ordered_fetches.h"
#include "program/update/update.h"
#include "program/update/update_progress.h"

namespace pixaroo {
namespace {

using base::Text;
using base::TextArray;

// Cleared when a run begins, set by the first list page it reads; taken by
// the completion. True until a run has begun.
std::atomic<bool> g_listPageRead{true};

// The text between the first `start` (kept when `keepStart`) and the first
// `end` after it; to the end of the page without `end`, empty without
// `start`. Letter case is ignored.
Text CutArea(const Text& page, std::string_view start, std::string_view end, bool keepStart) {
  int position = 0;
  return ExtractBetween(page, position, start, std::nullopt, end, true, keepStart);
}

// The first kMaxLinksPerPage texts between the markers, none longer than
// an item the index takes; the extraction stops at the cap.
TextArray LinksBetween(const Text& area, std::string_view left, std::string_view right) {
  TextArray links;
  ExtractAllBetween(area, left, right, links, static_cast<int>(kMaxIndexItemBytes), {}, {}, false,
                    false, kMaxLinksPerPage);
  return links;
}

TextArray ListPageLinks(int page) {
  const Text body = base::BytesToText(WebRequest(WebRequestParams{.url = ListPageAddress(page)}));
  // An empty body is a list page that could not be fetched.
  if (!body.empty()) g_listPageRead = true;
  const Text area =
      CutArea(body, ImageText(texts::Id::ListAreaStart), ImageText(texts::Id::ListAreaEnd), true);
  return LinksBetween(area, ImageText(texts::Id::ItemLinkLeft), ImageText(texts::Id::Quote));
}

TextArray ItemPageSources(const Text& link) {
  const std::string address = SiteAddress(link);
  if (address.empty()) return {};  // off the site: an item page that gives no photos
  const Text body = base::BytesToText(rt::HttpRead(address));
  const Text area = CutArea(body, ImageText(texts::Id::PictureAreaStart),
                            ImageText(texts::Id::PictureAreaEnd), false);
  return LinksBetween(area, ImageText(texts::Id::PictureSourceLeft), ImageText(texts::Id::Quote));
}

void ShowProgress() {
  Text status(ImageText(texts::Id::StatusProgressPrefix));
  status += base::ToText(rt::ListCount(units::kIndexList));
  status += ImageText(texts::Id::StatusCountSuffix);
  rt::SetStatusText(units::kStatusBar, 0, status);
}

// Script pages (".php", matched with its case) are not item pages.
TextArray ItemPageLinks(const TextArray& links) {
  TextArray accepted;
  for (const Text& link : links) {
    if (base::Find(link, ImageText(texts::Id::ExcludedLink)) == -1) accepted.push_back(link);
  }
  return accepted;
}

// Takes the sources of `count` item pages from `fetches`, in page order,
// and adds each the budget admits to the index with a progress text.
void CollectItems(OrderedFetches& fetches, std::size_t count, UpdateProgress& progress,
                  IndexBudget& budget) {
  for (std::size_t i = 0; i < count; ++i) {
    TextArray sources = fetches.Take();
    photoSources.Set(sources);
    for (const Text& source : sources) {
      if (!budget.Admit(source)) continue;
      rt::ListAdd(units::kIndexList, source);
      ShowProgress();
    }
    progress.ItemPageDone();
  }
}

// Until 图片框1 shows a picture, each list page gives the first page of
// photos another try; it is a page load like a click's, superseding any
// load still running.
void ShowFirstPageIfEmpty(PhotoReads reads) {
  if (!rt::PictureEmpty(units::kPicture1)) return;
  LoadPageHere(CurrentPlaces(), reads);
}

}  // namespace

std::string ListPageAddress(int page) {
  std::string address = SiteBase();
  address += ImageText(texts::Id::ListPagePath);
  address += base::ToText(page);
  address += ImageText(texts::Id::ListPageSuffix);
  return address;
}

void UpdateRun() { RunUpdate(kMaxFetchesInFlight); }

bool TakeListPageRead() { return g_listPageRead.exchange(true); }

void RunUpdate(int fetchWindow) {
  g_listPageRead = false;
  // No photo is read ahead while the index grows; its items are not final.
  UpdateBegins();
  rt::SetStatusText(units::kStatusBar, 0, Text(ImageText(texts::Id::StatusUpdating)));
  UpdateProgress progress;
  IndexBudget budget;
  {
    // Fetches are added in the order the run reads them: a list page, the
    // item pages it links, then the next list page.
    OrderedFetches fetches(fetchWindow);
    fetches.Add([] { return ListPageLinks(kFirstListPage); });
    for (int page = kFirstListPage; page <= kLastListPage; ++page) {
      TextArray links = fetches.Take();
      itemLinks.Set(links);
      const TextArray accepted = ItemPageLinks(links);
      for (const Text& link : accepted) fetches.Add([link] { return ItemPageSources(link); });
      if (page < kLastListPage) fetches.Add([page] { return ListPageLinks(page + 1); });
      progress.ListPageRead(accepted.size());
      CollectItems(fetches, accepted.size(), progress, budget);
      ShowFirstPageIfEmpty(fetchWindow > 1 ? PhotoReads::Together : PhotoReads::OneAfterAnother);
      progress.ListPageDone();
    }
  }
  rt::SetStatusText(units::kStatusBar, 0, Text(ImageText(texts::Id::StatusCollected)));
  rt::StartThread(Routine::UpdateCompletionThread);
}

void StartUpdate(std::int32_t, std::int32_t, std::int32_t) {
  rt::StartThread(Routine::UpdateRunThread);
  // The index can be built once per program run; only a run that could
  // read no list page at all gives the button back (the completion).
  rt::SetDisabled(units::kUpdateButton, true);
}

void UpdateRunThread(std::int32_t, std::int32_t, std::int32_t) { UpdateRun(); }

}  // namespace pixaroo
