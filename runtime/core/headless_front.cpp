#include "runtime/core/headless_front.h"

namespace korvex {

void HeadlessFront::OnCreated(std::function<void(HeadlessFront&)> script) {
  script_ = std::move(script);
}

void HeadlessFront::AnswerMenu(std::uint32_t entry) {
  std::lock_guard lock(mutex_);
  menuAnswers_.push_back(entry);
}

void HeadlessFront::AnswerDialog(const std::string& fileName) {
  std::lock_guard lock(mutex_);
  dialogAnswers_.push_back(fileName);
}

void HeadlessFront::Raise(std::uint32_t unit, std::int32_t event, std::int32_t a, std::int32_t b,
                          std::int32_t c) {
  queue_.Post([this, unit, event, a, b, c] { Deliver(unit, event, a, b, c); });
}

void HeadlessFront::Deliver(std::uint32_t unit, std::int32_t event, std::int32_t a, std::int32_t b,
                            std::int32_t c) {
  if (!open_) return;
  // A disabled unit's input is dropped by the runtime's routing, as for
  // every front.
  events_->OnUnitEvent(unit, event, a, b, c);
}

void HeadlessFront::PressKey(int key) {
  queue_.Post([this, key] {
    const auto bound = keys_.find(key);
    if (bound != keys_.end()) Deliver(bound->second, form::kEventButtonClicked, 0, 0, 0);
  });
}

void HeadlessFront::Close() {
  queue_.Post([this] {
    if (!open_) return;
    events_->OnWindowClosing();
    open_ = false;
    queue_.Quit();
  });
}

std::vector<HeadlessFront::Shown> HeadlessFront::MessageBoxes() const {
  std::lock_guard lock(mutex_);
  return shown_;
}

std::vector<std::uint32_t> HeadlessFront::MenusShown() const {
  std::lock_guard lock(mutex_);
  return menus_;
}

std::vector<std::string> HeadlessFront::DialogSuggestions() const {
  std::lock_guard lock(mutex_);
  return suggestions_;
}

int HeadlessFront::DialogsShown() const {
  std::lock_guard lock(mutex_);
  return dialogs_;
}

void HeadlessFront::CreateWindow(const form::Form&, UnitModel& model, FrontEvents& events) {
  events_ = &events;
  model_ = &model;
  open_ = true;
  if (script_) queue_.Post([this] { script_(*this); });
}

void HeadlessFront::RunLoop() { queue_.Run(); }

void HeadlessFront::Quit() {
  open_ = false;
  queue_.Quit();
}

void HeadlessFront::Post(std::function<void()> task) { queue_.Post(std::move(task)); }

std::uint32_t HeadlessFront::PopupMenu(std::uint32_t menu) {
  std::lock_guard lock(mutex_);
  menus_.push_back(menu);
  if (menuAnswers_.empty()) return 0;
  const std::uint32_t entry = menuAnswers_.front();
  menuAnswers_.pop_front();
  return entry;
}

std::string HeadlessFront::SaveFileDialog(std::uint32_t dialog) {
  const PropertyValue suggested =
      model_ != nullptr ? model_->ReadProperty(dialog, kPropDialogFile) : PropertyValue();
  std::lock_guard lock(mutex_);
  const auto* text = std::get_if<std::string>(&suggested);
  suggestions_.push_back(text != nullptr ? *text : std::string());
  ++dialogs_;
  if (dialogAnswers_.empty()) return {};
  std::string name = std::move(dialogAnswers_.front());
  dialogAnswers_.pop_front();
  return name;
}

void HeadlessFront::BindKey(std::uint32_t unit, int key) { keys_[key] = unit; }

void HeadlessFront::BindViewer(ViewerSource source) { viewer_ = std::move(source); }

void HeadlessFront::MessageBox(const std::string& text, int flags, const std::string& title) {
  std::lock_guard lock(mutex_);
  shown_.push_back({text, flags, title});
}

}  // namespace korvex
