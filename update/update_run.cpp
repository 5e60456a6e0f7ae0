// The update run over the gallery's list and item pages.
#include <optional>
#include <string>

#include "app/event_routines.h"
#include "app/globals.h"
#include "app/program_texts.h"
#include "app/runtime_link.h"
#include "app/site_base.h"
#include "app/units.h"
#include "base/bytes.h"
#include "net/web_request.h"
#include "text/extract_all_between.h"
#include "text/extract_between.h"
#include "ui/paging.h"
#include "update/update.h"

namespace pixaroo {
namespace {

using base::Text;
using base::TextArray;

// The text between the first `start` (kept when `keepStart`) and the first
// `end` after it; to the end of the page without `end`, empty without
// `start`. Letter case is ignored.
Text CutArea(const Text& page, std::string_view start, std::string_view end, bool keepStart) {
  int position = 0;
  return ExtractBetween(page, position, start, std::nullopt, end, true, keepStart);
}

TextArray ListPageLinks(int page) {
  const Text body = base::BytesToText(WebRequest(WebRequestParams{.url = ListPageAddress(page)}));
  const Text area = CutArea(body, texts::kListAreaStart, texts::kListAreaEnd, true);
  TextArray links;
  ExtractAllBetween(area, texts::kItemLinkLeft, texts::kQuote, links);
  return links;
}

TextArray ItemPageSources(const Text& link) {
  const Text body = base::BytesToText(rt::HttpRead(SiteBase() + link));
  const Text area = CutArea(body, texts::kPictureAreaStart, texts::kPictureAreaEnd, false);
  TextArray sources;
  ExtractAllBetween(area, texts::kPictureSourceLeft, texts::kQuote, sources);
  return sources;
}

void ShowProgress() {
  Text status(texts::kStatusProgressPrefix);
  status += base::ToText(rt::ListCount(units::kIndexList));
  status += texts::kStatusCountSuffix;
  rt::SetStatusText(units::kStatusBar, 0, status);
}

// Adds the picture sources of every item page `links` names to the index.
// Script pages (".php", matched with its case) are not item pages.
void CollectItems(const TextArray& links) {
  for (const Text& link : links) {
    if (base::Find(link, texts::kExcludedLink) != -1) continue;
    TextArray sources = ItemPageSources(link);
    photoSources.Set(sources);
    for (const Text& source : sources) {
      rt::ListAdd(units::kIndexList, source);
      ShowProgress();
    }
  }
}

// Until 图片框1 shows a picture, each list page gives the first page of
// photos another try.
void ShowFirstPageIfEmpty() {
  if (!base::BytesToText(rt::ReadPicture(units::kPicture1)).empty()) return;
  LoadPage();
}

}  // namespace

std::string ListPageAddress(int page) {
  std::string address = SiteBase();
  address += texts::kListPagePath;
  address += base::ToText(page);
  address += texts::kListPageSuffix;
  return address;
}

void UpdateRun() {
  rt::SetStatusText(units::kStatusBar, 0, Text(texts::kStatusUpdating));
  for (int page = kFirstListPage; page <= kLastListPage; ++page) {
    TextArray links = ListPageLinks(page);
    itemLinks.Set(links);
    CollectItems(links);
    ShowFirstPageIfEmpty();
  }
  rt::SetStatusText(units::kStatusBar, 0, Text(texts::kStatusCollected));
  rt::StartThread(Routine::UpdateCompletionThread);
}

void StartUpdate(std::int32_t, std::int32_t, std::int32_t) {
  rt::StartThread(Routine::UpdateRunThread);
  // For good: the index can be built once per program run.
  rt::SetDisabled(units::kUpdateButton, true);
}

void UpdateRunThread(std::int32_t, std::int32_t, std::int32_t) { UpdateRun(); }

}  // namespace pixaroo
