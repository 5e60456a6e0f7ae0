// The update run over the gallery's list and item pages.
#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

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
#include "program/update/fetch_pool.h"
#include "program/update/index_budget.h"
#include "program/update/read_failures.h"
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

TextArray ItemPageSources(const Text& link, ReadFailures& failures) {
  const std::string address = SiteAddress(link);
  if (address.empty()) return {};  // off the site: an item page that gives no photos
  rt::ReadResult read = rt::HttpRead(address);
  if (!read.ok()) failures.Note(read.error());
  const Text body = base::BytesToText(rt::BodyOrEmpty(std::move(read)));
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

// What each fetch reads, as the pool's key: the kind of page and its address.
std::string ListPageKey(int page) { return "list " + ListPageAddress(page); }
std::string ItemPageKey(const Text& link) { return "item " + SiteAddress(link); }

// The run's list pages: each asked for at the start; its links taken, and
// its item pages asked for, as soon as it and every list page before it
// are read, though the run reads them (their links, then their item pages'
// sources) strictly in page order.
class ListPages {
 public:
  ListPages(FetchPool& fetches, ReadFailures& failures) : fetches_(fetches), failures_(failures) {
    for (int page = kFirstListPage; page <= kLastListPage; ++page) {
      pages_.push_back({fetches_.Add(ListPageKey(page), [page] { return ListPageLinks(page); })});
    }
  }
  std::size_t Count() const { return pages_.size(); }

  // List page `i` (0-based) read: its links, and its item pages asked for.
  const TextArray& Links(std::size_t i) {
    while (asked_ <= i) AskNext();
    return pages_[i].links;
  }
  const std::vector<FetchPool::Handle>& ItemPages(std::size_t i) {
    Links(i);
    return pages_[i].itemPages;
  }
  // Asks for the item pages of the list pages already read, in page order.
  void AskReadyOnes() {
    while (asked_ < pages_.size() && fetches_.Ready(pages_[asked_].handle)) AskNext();
  }

 private:
  struct Page {
    FetchPool::Handle handle;
    TextArray links;
    std::vector<FetchPool::Handle> itemPages;
  };
  void AskNext() {
    Page& page = pages_[asked_++];
    page.links = fetches_.Take(page.handle);
    for (const Text& link : ItemPageLinks(page.links)) {
      page.itemPages.push_back(
          fetches_.Add(ItemPageKey(link), [link, failures = &failures_] {
            return ItemPageSources(link, *failures);
          }));
    }
  }

  FetchPool& fetches_;
  ReadFailures& failures_;
  std::vector<Page> pages_;
  std::size_t asked_ = 0;
};

// Takes the sources of list page `i`'s item pages, in page order, and adds
// each the budget admits to the index with a progress text.
void CollectItems(FetchPool& fetches, ListPages& lists, std::size_t i, UpdateProgress& progress,
                  IndexBudget& budget) {
  for (const FetchPool::Handle itemPage : lists.ItemPages(i)) {
    lists.AskReadyOnes();
    TextArray sources = fetches.Take(itemPage);
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
// load still running. One after another, it runs here and the run waits for
// it; otherwise it runs beside the run, which goes on at once, and a list
// page read while it still runs starts no other.
class FirstDisplay {
 public:
  explicit FirstDisplay(bool beside) : beside_(beside), loads_(WindowPageLoads()) {}

  void AfterListPage() {
    if (!rt::PictureEmpty(units::kPicture1)) return;
    if (!beside_) {
      loads_->LoadPageHere(CurrentPlaces(), PhotoReads::OneAfterAnother);
    } else if (!loads_->BesideLoadRunning()) {
      loads_->LoadPageBeside(CurrentPlaces());
    }
  }

 private:
  bool beside_;
  std::shared_ptr<PageLoads> loads_;
};

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
  WindowPageLoads()->UpdateBegins();
  rt::SetStatusText(units::kStatusBar, 0, Text(ImageText(texts::Id::StatusUpdating)));
  UpdateProgress progress;
  IndexBudget budget;
  FirstDisplay firstDisplay(fetchWindow > 1);
  ReadFailures failures;  // outlives the fetches that note them
  {
    // The seven list pages are asked for at once; each list page's item
    // pages as soon as it is read. A page linked again is not fetched again.
    FetchPool fetches(fetchWindow);
    ListPages lists(fetches, failures);
    for (std::size_t i = 0; i < lists.Count(); ++i) {
      itemLinks.Set(lists.Links(i));
      progress.ListPageRead(lists.ItemPages(i).size());
      CollectItems(fetches, lists, i, progress, budget);
      firstDisplay.AfterListPage();
      progress.ListPageDone();
    }
  }
  rt::SetStatusText(units::kStatusBar, 0, Text(ImageText(texts::Id::StatusCollected)));
  failures.Say();
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
