// The support contact picture and the usage notice: the window's creation
// routine starts fetching the support account's online badge on a worker
// (the badge shows when it arrives; a host that does not answer leaves it
// empty and holds nothing up), shows the usage notice and sets the paging
// indices to the first page; a click on the badge opens a chat with the
// support account.
#include <string>
#include <string_view>

#include "program/routines/event_routines.h"
#include "program/routines/globals.h"
#include "program/routines/program_memory.h"
#include "program/routines/runtime_link.h"
#include "program/routines/site_base.h"
#include "program/routines/units.h"
#include "program/pages/page_loads.h"
#include "program/pages/viewer_photos.h"

namespace pixaroo {
namespace {

using namespace std::string_view_literals;

// The messenger account that answers support questions.
constexpr std::string_view kSupportAccount = "908741265"sv;
// The badge: siteBase + "/pa?p=2:" + account + ":41".
constexpr std::string_view kStatusImagePath = "/pa?p=2:"sv;
constexpr std::string_view kStatusImageStyle = ":41"sv;
// The chat link: scheme and path, then the account.
constexpr std::string_view kChatLinkPrefix = "imchat://message/?uin="sv;
// Message box flags: a single OK button.
constexpr int kMessageBoxOk = 0;

}  // namespace

void OnWindowCreated(std::int32_t, std::int32_t, std::int32_t) {
  // Shown as it arrives: the badge is already a picture file. A failed
  // download leaves the picture empty; the notice and the indices do not
  // wait for it.
  const std::string address = SiteBase() + std::string(kStatusImagePath) +
                              std::string(kSupportAccount) + std::string(kStatusImageStyle);
  rt::StartTask([address] { rt::WritePicture(units::kSupportPicture, rt::BodyOrEmpty(rt::HttpRead(address))); });
  rt::MessageBox(std::string(ImageText(texts::Id::UsageNotice)), kMessageBoxOk,
                 std::string(ImageText(texts::Id::NoticeTitle)));
  // The first page, 0 .. 5; nothing is loaded until a paging click.
  NewWindowPageLoads();
  for (int k = 0; k < kPageBoxes; ++k) kPictureIndices[k]->store(k);
  // A double-click on a photo shows it large.
  BindPhotoViewer();
}

void OpenSupportChat(std::int32_t, std::int32_t, std::int32_t) {
  // The browser path stays unquoted, spaces and all; the run-program layer
  // knows the browser's path as a whole.
  rt::RunProgram(std::string(ImageText(texts::Id::BrowserProgram)) + " " +
                     std::string(kChatLinkPrefix) + std::string(kSupportAccount),
                 false);
}

}  // namespace pixaroo
