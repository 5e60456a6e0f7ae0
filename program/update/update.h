// The photo index update: the update run over the gallery's list and item
// pages, its completion (repeats removed, total shown) and the index file
// written when the window closes.
//
// The photo index is the items of 列表框1, each a site-relative photo
// address. The run only appends to it; the completion replaces it whole
// with its distinct items; the index file receives a copy on close.
//
// Threads: UpdateRun and UpdateCompletion run on worker threads, one after
// the other, once per program run (again only after a run that reached
// nothing) (StartUpdate starts the first, the run
// starts the second as its last act). They reach the window only through the
// runtime's unit services and block on the network; never call them on the
// window thread. SaveIndexFile runs on the window thread. The pure helpers
// below keep no state and may be called from any thread.
#pragma once

#include <cstddef>
#include <string>

#include "base/bytes.h"
#include "base/text_ops.h"
#include "program/update/index_budget.h"

namespace pixaroo {

// The gallery's list pages that an update walks, in this order.
inline constexpr int kFirstListPage = 1;
inline constexpr int kLastListPage = 7;

// Bounds on what one site can make the run hold. A cap reached drops what
// is over it and the run goes on. A page's links (a list page's item links,
// an item page's picture sources) beyond the first kMaxLinksPerPage are not
// taken; a gallery page holds a few dozen.
// The extraction stops there. The index's own bounds: index_budget.h.
inline constexpr std::size_t kMaxLinksPerPage = 1000;

// How many page fetches the update run keeps in flight to the site at once.
inline constexpr int kMaxFetchesInFlight = 8;

// siteBase + "/nvshengzhenrenxiu/list_60_" + page + ".html".
std::string ListPageAddress(int page);

// Walks list pages kFirstListPage .. kLastListPage: every item page they
// link (".php" links skipped) adds its picture sources to the index, with a
// progress text after each; after every list page, while 图片框1 shows no
// picture, the page the paging indices name is loaded. Ends by starting the
// completion. All seven list pages are asked for at the start and item
// pages as soon as their list page is read, at most kMaxFetchesInFlight at
// once, each distinct address once per run; results are read strictly in
// page order, so the index, the status texts and their order are those of a
// run that fetches one page after another. The first page of photos loads
// beside the run, never on its thread.
void UpdateRun();
// The update run with at most `fetchWindow` fetches in flight. A window of 1
// is the one-after-another run: every request waits for the one before, and
// the first page of photos loads on the run's thread, one photo after
// another.
void RunUpdate(int fetchWindow);

// Replaces the index with its distinct items in one step and shows the
// total; the page shown is loaded again when its places now hold other
// items (program/pages/page_loads.h). After a run that could read no list page (each
// came back empty) it says instead that the site could not be reached,
// naming it, and enables 更新 again.
void UpdateCompletion();

// Whether the last run read at least one list page, true when no run has
// begun since the last call; resets to true. The completion's question.
bool TakeListPageRead();

// `items` with every repeat of an earlier item dropped, first occurrences in
// order. The items go through the index's joined text, so an empty item
// vanishes and an item holding the index separator ("#分割符#") falls apart
// into its pieces.
base::TextArray DistinctIndexItems(const base::TextArray& items);

// The index file's bytes: every item followed by CR LF.
base::Bytes IndexFileBytes(const base::TextArray& items);

// Where the index file goes: the program's directory + "confi.ini".
std::string IndexFilePath();
// Where it goes instead when the program's folder refuses writes (an
// installed program): the user's data folder + "pixaroo/confi.ini"; empty
// when there is no such folder.
std::string FallbackIndexFilePath();

}  // namespace pixaroo
