// The gallery's HTML pages, GBK throughout, laid out as the site's template
// lays them out: header and navigation, then the list or the article, then
// the footer. Lines end in CR LF as the template's files do.
#include <string>

#include "demo/gallery.h"
#include "demo/gallery_texts.h"

namespace pixaroo::demo {

namespace {

constexpr const char* kEol = "\r\n";
// The list's one link to the site's script pages comes after this many items.
constexpr int kScriptLinkAfter = 3;
// Click and view counters shown beside items, made up from the item id.
constexpr int kCounterPrime = 7919;
constexpr int kCounterRange = 9000;
constexpr int kCounterBase = 100;

std::string Str(std::string_view s) { return std::string(s); }

int Counter(int id) { return id * kCounterPrime % kCounterRange + kCounterBase; }

std::string Head(const std::string& title) {
  std::string h;
  h += "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Transitional//EN\" "
       "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd\">";
  h += kEol;
  h += "<html xmlns=\"http://www.w3.org/1999/xhtml\">" + Str(kEol) + "<head>" + kEol;
  h += "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gbk\" />" + Str(kEol);
  h += "<title>" + title + "</title>" + kEol;
  h += "<meta name=\"keywords\" content=\"" + Str(texts::kKeywords) + "\" />" + kEol;
  h += "<meta name=\"description\" content=\"" + Str(texts::kDescription) + "\" />" + kEol;
  h +=
      "<link href=\"/templets/style/page.css\" rel=\"stylesheet\" type=\"text/css\" />" + Str(kEol);
  h += "</head>" + Str(kEol) + "<body>" + kEol;
  return h;
}

std::string Header() {
  const std::string list1 = Gallery::ListPagePath(1);
  std::string h = "<div class=\"header\">" + Str(kEol);
  h += "\t<div class=\"logo\"><a href=\"/\"><img src=\"/templets/images/logo.png\" alt=\"" +
       Str(texts::kSiteName) + "\" /></a></div>" + kEol;
  h += "\t<ul class=\"nav\">" + Str(kEol);
  h += "\t\t<li><a href=\"/\">" + Str(texts::kHome) + "</a></li>" + kEol;
  h += "\t\t<li class=\"on\"><a href=\"" + list1 + "\">" + Str(texts::kCategory) + "</a></li>" +
       kEol;
  h += "\t\t<li><a href=\"" + list1 + "\">" + Str(texts::kNavFresh) + "</a></li>" + kEol;
  h += "\t\t<li><a href=\"" + list1 + "\">" + Str(texts::kNavStreet) + "</a></li>" + kEol;
  h += "\t\t<li><a href=\"" + list1 + "\">" + Str(texts::kNavScenery) + "</a></li>" + kEol;
  h += "\t</ul>" + Str(kEol) + "</div>" + kEol;
  return h;
}

std::string Position(const std::string& last) {
  return "<div class=\"position\">" + Str(texts::kHere) + "<a href=\"/\">" + Str(texts::kHome) +
         "</a> &gt; <a href=\"" + Gallery::ListPagePath(1) + "\">" + Str(texts::kCategory) +
         "</a>" + last + "</div>" + kEol;
}

std::string Footer() {
  std::string f = "<div class=\"footer\">" + Str(kEol);
  f += "\t<p>" + Str(texts::kFooter) + "</p>" + kEol;
  f += "\t<p>Copyright &copy; 2019 " + Str(texts::kSiteName) + " " + Str(texts::kCopyright) +
       "</p>" + kEol;
  f += "</div>" + Str(kEol) + "</body>" + kEol + "</html>" + kEol;
  return f;
}

std::string ListEntry(const Item& item, const Photo& cover) {
  const std::string link = Gallery::ItemPath(item.id);
  std::string e = "\t\t<li>" + Str(kEol);
  e += "\t\t\t<a class=\"img\" href=\"" + link + "\" target=\"_blank\"><img src=\"" + cover.path +
       "\" alt=\"" + item.title + "\" /></a>" + kEol;
  e += "\t\t\t<p class=\"title\"><a href=\"" + link + "\" target=\"_blank\">" + item.title +
       "</a></p>" + kEol;
  e += "\t\t\t<p class=\"info\">" + Str(texts::kDate) + item.date + " " + Str(texts::kClicks) +
       std::to_string(Counter(item.id)) + "</p>" + kEol;
  e += "\t\t</li>" + Str(kEol);
  return e;
}

std::string ScriptEntry(int page) {
  return "\t\t<li class=\"ad\"><a href=\"/plus/view.php?aid=" + std::to_string(page) +
         "\" target=\"_blank\">" + Str(texts::kRecommended) + "</a></li>" + kEol;
}

std::string PageLink(int page, std::string_view label) {
  return "<a href=\"list_60_" + std::to_string(page) + ".html\">" + Str(label) + "</a>";
}

// Every page starts its pagination with a bare first-page anchor.
std::string Pagination(int page) {
  std::string p = "<div class=\"pagination\"><a>" + Str(texts::kHome) + "</a>";
  if (page > 1) p += PageLink(page - 1, texts::kPrevPage);
  for (int n = 1; n <= kListPageCount; ++n) {
    p += n == page ? "<span class=\"current\">" + std::to_string(n) + "</span>"
                   : PageLink(n, std::to_string(n));
  }
  if (page < kListPageCount) p += PageLink(page + 1, texts::kNextPage);
  p += PageLink(kListPageCount, texts::kLastPage);
  p += "<span>" + Str(texts::kTotalBefore) + std::to_string(kListPageCount) +
       Str(texts::kPageWordAfter) + "</span></div>" + kEol;
  return p;
}

std::string ArticleLink(const Gallery& gallery, int id, std::string_view label) {
  const Item* item = gallery.FindItem(id);
  if (item == nullptr) return "<span>" + Str(label) + Str(texts::kNone) + "</span>";
  return "<a href=\"" + Gallery::ItemPath(id) + "\">" + Str(label) + item->title + "</a>";
}

}  // namespace

std::string Gallery::ListPage(int page) const {
  if (page < 1 || page > kListPageCount) return {};
  std::string html =
      Head(Str(texts::kCategory) + "_" + Str(texts::kPageWordBefore) + std::to_string(page) +
           Str(texts::kPageWordAfter) + "_" + Str(texts::kSiteName));
  html += Header() + Position("");
  html += "<div class=\"piclist\">" + Str(kEol) + "\t<ul>" + kEol;
  int shown = 0;
  for (const Item& item : items_) {
    if (item.listPage != page) continue;
    html += ListEntry(item, photos_[item.photos.front()]);
    if (++shown == kScriptLinkAfter) html += ScriptEntry(page);
  }
  html += "\t</ul>" + Str(kEol) + "</div>" + kEol;
  html += Pagination(page);
  html += Footer();
  return html;
}

std::string Gallery::ItemPage(int id) const {
  const Item* item = FindItem(id);
  if (item == nullptr) return {};
  std::string html = Head(item->title + "_" + Str(texts::kCategory) + "_" + Str(texts::kSiteName));
  html += Header() + Position(" &gt; " + item->title);
  html += "<div class=\"article\">" + Str(kEol);
  html += "\t<h1>" + item->title + "</h1>" + kEol;
  html += "\t<div class=\"info\">" + Str(texts::kSource) + Str(texts::kOriginal) + " " +
          Str(texts::kPublished) + item->date + " " + Str(texts::kViews) +
          std::to_string(Counter(id)) + "</div>" + kEol;
  html += "\t<div class=\"content\">" + Str(kEol);
  html += "<div style=\"text-align: center\">" + Str(kEol);
  for (std::size_t photo : item->photos) {
    html += "\t\t\t\t\t\t\t<p><img alt=\"" + item->title + "\" src=\"" + photos_[photo].path +
            "\" /></p>" + kEol;
  }
  // The template closes the picture area six tabs deep.
  html += "\t\t\t\t\t\t</div>" + Str(kEol) + "\t</div>" + kEol;
  html += "\t<div class=\"pages\">" + ArticleLink(*this, id - 1, texts::kPrevArticle) + " " +
          ArticleLink(*this, id + 1, texts::kNextArticle) + " <a href=\"" +
          ListPagePath(item->listPage) + "\">" + Str(texts::kBackToList) + "</a></div>" + kEol;
  html += "</div>" + Str(kEol);
  html += Footer();
  return html;
}

std::string Gallery::ScriptPage() const {
  std::string html = Head(Str(texts::kRecommended) + "_" + Str(texts::kSiteName));
  html += Header() + Position("");
  html += "<div class=\"article\"><h1>" + Str(texts::kRecommended) + "</h1></div>" + kEol;
  html += Footer();
  return html;
}

std::string Gallery::NotFoundPage() const {
  std::string html = Head(Str(texts::kNotFound) + "_" + Str(texts::kSiteName));
  html += "<div class=\"article\"><h1>" + Str(texts::kNotFound) + "</h1><a href=\"/\">" +
          Str(texts::kHome) + "</a></div>" + kEol + "</body>" + kEol + "</html>" + kEol;
  return html;
}

}  // namespace pixaroo::demo
