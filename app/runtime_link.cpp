#include "app/runtime_link.h"

#include <atomic>
#include <cstdlib>

#include "app/program_memory.h"

namespace pixaroo {
namespace {

std::atomic<const korvex::Services*> g_services{nullptr};

const korvex::Services& S() {
  const auto* s = g_services.load(std::memory_order_acquire);
  if (s == nullptr) std::abort();
  return *s;
}

// Units as the image names them.
korvex::UnitRef Unit(const korvex::UnitRef& unit) { return ImageUnit(unit); }

}  // namespace

void BindRuntime(const korvex::Services* services) {
  g_services.store(services, std::memory_order_release);
}

bool RuntimeBound() { return g_services.load(std::memory_order_acquire) != nullptr; }

namespace rt {

int ListCount(UnitRef list) { return S().listCount(Unit(list)); }
std::string ListItem(UnitRef list, int index) { return S().listItem(Unit(list), index); }
void ListAdd(UnitRef list, const std::string& text) { S().listAdd(Unit(list), text); }
void ListClear(UnitRef list) { S().listClear(Unit(list)); }
std::vector<std::string> ListItems(UnitRef list) { return S().listItems(Unit(list)); }
void ListReplace(UnitRef list, std::vector<std::string> items) {
  S().listReplace(Unit(list), std::move(items));
}

Bytes ReadPicture(UnitRef picture) {
  auto v = S().readProperty(Unit(picture), korvex::kPropPicture);
  auto* b = std::get_if<Bytes>(&v);
  return b != nullptr ? std::move(*b) : Bytes();
}

bool PictureEmpty(UnitRef picture) { return S().propertyEmpty(picture, korvex::kPropPicture); }

void WritePicture(UnitRef picture, Bytes bytes) {
  S().writeProperty(Unit(picture), korvex::kPropPicture, std::move(bytes));
}

std::string ReadDialogFileName(UnitRef dialog) {
  auto v = S().readProperty(Unit(dialog), korvex::kPropDialogFile);
  auto* t = std::get_if<std::string>(&v);
  return t != nullptr ? std::move(*t) : std::string();
}

void SetDisabled(UnitRef button, bool disabled) {
  S().writeProperty(Unit(button), korvex::kPropDisabled, disabled);
}

void SetStatusText(UnitRef statusBar, int part, const std::string& text) {
  S().setStatusText(Unit(statusBar), part, text);
}

void SetStatusProgress(UnitRef statusBar, int value, int maximum) {
  S().setStatusProgress(Unit(statusBar), value, maximum);
}

void PopupMenu(UnitRef window, UnitRef menu) { S().popupMenu(Unit(window), Unit(menu)); }
void OpenDialog(UnitRef dialog) { S().openDialog(Unit(dialog)); }
void BindKey(UnitRef button, int key) { S().bindKey(Unit(button), key); }
void BindViewer(korvex::ViewerPhotos photos) { S().bindViewer(std::move(photos)); }
bool WriteFile(const std::string& fileName, const Bytes& data, int* error) {
  return S().writeFile(fileName, data, error);
}
void MessageBox(const std::string& text, int flags, const std::string& title) {
  S().messageBox(text, flags, title);
}
void RunProgram(const std::string& commandLine, bool wait) { S().runProgram(commandLine, wait); }

void StartThread(Routine routine) { S().startThread(ImageRoutine(routine)); }
bool StartTask(std::function<void()> task) { return S().startTask(std::move(task)); }
void RegisterExitRoutine(Routine routine) { S().registerExitRoutine(ImageRoutine(routine)); }
void LoadWindow(UnitRef window) { S().loadWindow(Unit(window).window); }
void RunEventLoop() { S().runEventLoop(); }
void EndProgram(int exitCode) { S().endProgram(exitCode); }

Bytes HttpRead(const std::string& url) { return S().httpRead(url); }

TransferScope NewTransferScope() {
  const korvex::TransferScopes& scopes = S().transferScopes;
  return TransferScope(scopes.create(), scopes.release);
}

void CancelTransfers(const TransferScope& scope) { S().transferScopes.cancel(scope.get()); }

bool SameSite(const std::string& url, const std::string& site) {
  return S().sameSite(url, site);
}

Bytes HttpRead(const std::string& url, const TransferScope& scope) {
  return S().transferScopes.httpRead(scope.get(), url);
}
korvex::AnyFunction DllCommandAddress(int number) {
  return S().dllCommand(ImageDllCommand(number));
}
const korvex::ObjectCommands& Objects() { return S().objects; }

}  // namespace rt
}  // namespace pixaroo
