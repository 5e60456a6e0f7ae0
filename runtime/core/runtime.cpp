#include "runtime/core/runtime.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "base/charset.h"
#include "base/files.h"
#include "base/hex.h"
#include "runtime/automation/object_services.h"
#include "runtime/dll/dll_commands.h"
#include "runtime/form/reader.h"
#include "runtime/inet/http_read.h"

namespace korvex {
namespace {

// Said when the desktop has nothing that opens a link the program asked
// for: a message box with an OK button and the warning icon.
constexpr const char* kLinkNotOpenedTitle = "无法打开链接";
constexpr const char* kLinkNotOpenedText = "桌面上没有能打开这个链接的程序：\n";
constexpr int kMessageBoxWarning = 0x30;

// The active runtime; the service table's plain functions reach it here.
std::atomic<Runtime*> g_active{nullptr};

Runtime& Active() {
  Runtime* r = g_active.load(std::memory_order_acquire);
  if (r == nullptr) std::abort();  // a service called with no program loaded
  return *r;
}

UnitModel* ActiveModel() { return Active().Model(); }

// The plain services, named as the table names them.
namespace service {

constexpr auto listCount = [](UnitRef u) {
  auto* m = ActiveModel();
  return m ? m->ListCount(u.unit) : 0;
};
constexpr auto listItem = [](UnitRef u, int i) {
  auto* m = ActiveModel();
  return m ? m->ListItem(u.unit, i) : std::string();
};
constexpr auto listAdd = [](UnitRef u, const std::string& t) {
  if (auto* m = ActiveModel()) m->ListAdd(u.unit, t);
};
constexpr auto listClear = [](UnitRef u) {
  if (auto* m = ActiveModel()) m->ListClear(u.unit);
};
constexpr auto listItems = [](UnitRef u) {
  auto* m = ActiveModel();
  return m ? m->ListItems(u.unit) : std::vector<std::string>();
};
constexpr auto listReplace = [](UnitRef u, std::vector<std::string>&& items) {
  if (auto* m = ActiveModel()) m->ListReplace(u.unit, std::move(items));
};
constexpr auto readProperty = [](UnitRef u, int p) {
  auto* m = ActiveModel();
  return m ? m->ReadProperty(u.unit, p) : PropertyValue();
};
constexpr auto propertyEmpty = [](UnitRef u, int p) {
  auto* m = ActiveModel();
  return m == nullptr || m->PropertyEmpty(u.unit, p);
};
constexpr auto writeProperty = [](UnitRef u, int p, PropertyValue&& v) {
  if (auto* m = ActiveModel()) m->WriteProperty(u.unit, p, std::move(v));
};
constexpr auto setStatusText = [](UnitRef u, int part, const std::string& t) {
  if (auto* m = ActiveModel()) m->SetStatusText(u.unit, part, t);
};
constexpr auto setStatusProgress = [](UnitRef u, int value, int maximum) {
  if (auto* m = ActiveModel()) m->SetStatusProgress(u.unit, {value, maximum});
};
constexpr auto popupMenu = [](UnitRef w, UnitRef m) { Active().PopupMenu(w, m); };
constexpr auto openDialog = [](UnitRef d) { Active().OpenDialog(d); };
constexpr auto bindKey = [](UnitRef b, int key) { Active().BindKey(b, key); };
constexpr auto bindViewer = [](ViewerPhotos photos) { Active().BindViewer(std::move(photos)); };
constexpr auto writeFile = [](const std::string& name, const Bytes& data) {
  return Active().WriteFile(name, data);
};
constexpr auto messageBox = [](const std::string& t, int f, const std::string& title) {
  Active().ShowMessageBox(t, f, title);
};
constexpr auto runProgram = [](const std::string& line, bool wait) {
  Active().RunProgramLine(line, wait);
};
constexpr auto startThread = [](std::uint32_t off) { Active().StartThread(off); };
constexpr auto startTask = [](std::function<void()> task) {
  Runtime* r = g_active.load(std::memory_order_acquire);
  return r != nullptr && r->Workers().Start(std::move(task));
};
constexpr auto registerExitRoutine = [](std::uint32_t off) { Active().RegisterExitRoutine(off); };
constexpr auto loadWindow = [](std::uint32_t id) { Active().LoadWindow(id); };
constexpr auto runEventLoop = [] { Active().RunEventLoop(); };
constexpr auto endProgram = [](int code) { Active().EndProgram(code); };
constexpr auto httpRead = [](const std::string& url) { return HttpReadResult(url); };
constexpr auto sameSite = [](const std::string& url, const std::string& site) {
  return SameSite(url, site);
};
constexpr auto dllCommand = [](int number) {
  AnyFunction f = dll::Address(number);
  if (f == nullptr) {
    // The program's DLL numbers are checked against its table at load, so
    // this is a damaged program: end it rather than call nowhere.
    std::fprintf(stderr, "korvex: DLL command %d does not exist\n", number);
    std::_Exit(base::kExitBadDllCommand);
  }
  return f;
};

}  // namespace service

Services MakeServices() {
  Services s{};
#define KORVEX_SERVICE(member, ...) s.member = service::member;
#define KORVEX_SERVICE_WRAPPED(member, ...) s.member = service::member;
#include "runtime/services/service_list.def"
  s.transferScopes.create = []() -> TransferScope* { return new TransferScope; };
  s.transferScopes.cancel = [](TransferScope* scope) {
    if (scope != nullptr) scope->cancelled = true;
  };
  s.transferScopes.release = [](TransferScope* scope) { delete scope; };
  s.transferScopes.httpRead = [](TransferScope* scope, const std::string& url) {
    return HttpReadResult(url, ReadKind::kPhoto, scope);
  };
  s.objects = MakeObjectCommands();
  return s;
}

}  // namespace

const Services& ServiceTable() {
  static const Services table = MakeServices();
  return table;
}

Runtime::Runtime(Program program, std::unique_ptr<Front> front, RuntimeOptions options)
    : program_(program), front_(std::move(front)), options_(std::move(options)) {
  life_->runtime = this;
}

Runtime::~Runtime() {
  {
    std::lock_guard lock(life_->mutex);
    life_->runtime = nullptr;
  }
  // The front's widgets draw the model and report to this runtime: they go
  // before the model, the description and the event table.
  front_.reset();
  Runtime* self = this;
  g_active.compare_exchange_strong(self, nullptr);
}

int Runtime::Run() {
  Runtime* expected = nullptr;
  if (!g_active.compare_exchange_strong(expected, this)) {
    std::fprintf(stderr, "korvex: another program is already running in this process\n");
    return base::kExitBadRoutine;
  }
  windowThread_ = std::this_thread::get_id();
  std::string dllError;
  if (program_.bindServices == nullptr || program_.routineAt == nullptr || !front_) {
    Fault(base::kExitBadRoutine, "the program image binds no routines");
  } else if (!dll::Resolve(program_.dllCommands, &dllError)) {
    Fault(base::kExitBadDllCommand, dllError);
  } else {
    // The process-wide table outlives every runtime: a program that keeps
    // its binding past this run reaches no freed memory, and its window
    // services find no running program.
    program_.bindServices(&ServiceTable());
    CallRoutine(program_.entryOffset);
  }
  if (!ended_) EndProgram(0);
  std::lock_guard lock(stateMutex_);
  return exitCode_;
}

void Runtime::Fault(int exitCode, const std::string& message) {
  std::fprintf(stderr, "korvex: %s\n", message.c_str());
  {
    std::lock_guard lock(stateMutex_);
    if (faulted_) return;  // the first fault decides the exit code
    faulted_ = true;
    exitCode_ = exitCode;
  }
  MarkWindowGone();
  // The error service does not return to the program: the event loop ends
  // (at once if it is running, and it will not start if it is not).
  if (front_) front_->Post([this] { front_->Quit(); });
}

bool Runtime::RequireWindowThread(const char* service) {
  if (OnWindowThread()) return true;
  Fault(base::kExitWrongThread, std::string(service) + " called off the window thread");
  return false;
}

void Runtime::MarkWindowGone() {
  {
    std::lock_guard lock(stateMutex_);
    windowGone_ = true;
  }
  boxClosed_.notify_all();
}

bool Runtime::WindowGone() const {
  std::lock_guard lock(stateMutex_);
  return windowGone_;
}

void Runtime::CallRoutine(std::uint32_t offset, std::int32_t a, std::int32_t b, std::int32_t c) {
  if (faulted_) return;
  NativeRoutine fn = program_.routineAt(offset);
  if (fn == nullptr) {
    Fault(base::kExitBadRoutine, "no routine at code offset " + base::Hex(offset));
    return;
  }
  fn(a, b, c);
}

void Runtime::LoadWindow(std::uint32_t windowId) {
  if (!RequireWindowThread("loading a window") || faulted_ || form_) return;
  auto parsed = form::ReadForm(program_.form);
  if (!parsed.ok()) {
    Fault(base::kExitBadWindow, "damaged window description: " + parsed.error().text);
    return;
  }
  if (parsed->windowId != windowId) {
    Fault(base::kExitBadWindow, "the program image has no window with the requested id");
    return;
  }
  form_ = std::move(parsed).value();
  std::vector<UnitModel::UnitInfo> infos;
  for (const auto& u : form_->units) infos.push_back({u.id, u.typeId});
  model_ = std::make_unique<UnitModel>(infos);
  events_ = EventTable(*form_);
  // "The window has been created" runs once the event loop is turning, so
  // the window is on screen before its creation routine blocks; it is the
  // first event the window gets.
  front_->Post([this] { OnUnitEvent(form::kWindowUnitId, form::kEventWindowCreated, 0, 0, 0); });
  front_->CreateWindow(*form_, *model_, *this);
}

void Runtime::RunEventLoop() {
  if (!RequireWindowThread("the event loop") || faulted_ || !form_ || WindowGone()) return;
  front_->RunLoop();
  MarkWindowGone();  // closed or faulted: the window takes no more events
}

void Runtime::EndProgram(int exitCode) {
  if (!RequireWindowThread("ending the program") || ended_) return;
  ended_ = true;
  {
    std::lock_guard lock(stateMutex_);
    if (!faulted_) exitCode_ = exitCode;
  }
  MarkWindowGone();
  // Workers may still be fetching or writing units: stop their transfers,
  // let no new one start, and wait for them before anything is freed.
  workers_.Close();
  if (options_.cancelTransfers) options_.cancelTransfers();
  if (!workers_.JoinAll(options_.workerJoinTimeout)) {
    std::fprintf(stderr, "korvex: worker threads did not end; leaving without cleanup\n");
    std::fflush(nullptr);
    std::_Exit(base::kExitStuckWorkers);
  }
  if (exitRoutine_) CallRoutine(*exitRoutine_);
}

void Runtime::StartThread(std::uint32_t routineOffset) {
  NativeRoutine fn = program_.routineAt(routineOffset);
  if (fn == nullptr) {
    Fault(base::kExitBadRoutine, "thread routine offset names no routine");
    return;
  }
  workers_.Start([fn] { fn(0, 0, 0); });
}

void Runtime::RegisterExitRoutine(std::uint32_t routineOffset) {
  if (RequireWindowThread("registering the exit routine")) exitRoutine_ = routineOffset;
}

void Runtime::PopupMenu(UnitRef, UnitRef menu) {
  if (!RequireWindowThread("a popup menu") || !model_ || WindowGone()) return;
  const std::uint32_t chosen = front_->PopupMenu(menu.unit);
  if (chosen == 0) return;
  // The chosen entry's routine runs after the current routine has returned,
  // as an event of its own (and not at all once the window has closed).
  front_->Post([this, chosen] {
    if (WindowGone()) return;
    if (const auto offset = events_.MenuHandler(chosen)) CallRoutine(*offset);
  });
}

void Runtime::OpenDialog(UnitRef dialog) {
  if (!RequireWindowThread("a common dialog") || !model_) return;
  const std::string chosen = front_->SaveFileDialog(dialog.unit);
  // The program reads the name as a GBK text; the file system's spelling
  // stays beside it for writing, since GBK may not hold every character.
  model_->SetDialogFileName(dialog.unit, base::TextFromFileName(chosen), chosen);
}

base::FileResult Runtime::WriteFile(const std::string& fileName, const Bytes& data) {
  const std::string text = fileName.substr(0, fileName.find('\0'));  // a text ends at NUL
  std::string name = model_ ? model_->ChosenFileName(text) : std::string();
  if (name.empty()) name = base::FileNameFromText(text);
  if (name.empty()) return base::FileError{EINVAL};  // no file name GBK can spell
  return base::WriteFileAtomic(name, data);
}

void Runtime::BindKey(UnitRef button, int key) {
  if (!RequireWindowThread("binding a key") || !model_) return;
  if (model_->Kind(button.unit) == UnitKind::Button) front_->BindKey(button.unit, key);
}

void Runtime::BindViewer(ViewerPhotos photos) {
  if (!RequireWindowThread("binding the photo viewer") || !model_) return;
  ViewerSource source;
  source.positionOf = std::move(photos.positionOf);
  source.count = std::move(photos.count);
  source.request = [this, photoAt = std::move(photos.photoAt)](int position,
                                                               std::function<void(Bytes)> done) {
    // A tracked worker: the end of the program waits for it, and the
    // window thread hears of it only while the window is there.
    workers_.Start([this, photoAt, position, done = std::move(done)]() mutable {
      Bytes photo = photoAt(position);
      if (WindowGone()) return;
      front_->Post([this, done = std::move(done), photo = std::move(photo)]() mutable {
        if (!WindowGone()) done(std::move(photo));
      });
    });
  };
  front_->BindViewer(std::move(source));
}

void Runtime::ShowMessageBox(const std::string& text, int flags, const std::string& title) {
  if (OnWindowThread()) {
    front_->MessageBox(text, flags, title);
    return;
  }
  // From a worker: show it on the window thread and wait until it is closed,
  // or until the window is gone, for then the window thread no longer runs
  // what is posted (it may be joining this very worker).
  auto closed = std::make_shared<bool>(false);  // guarded by stateMutex_
  if (WindowGone()) return;
  front_->Post([this, text, flags, title, closed] {
    if (WindowGone()) return;
    front_->MessageBox(text, flags, title);
    {
      std::lock_guard lock(stateMutex_);
      *closed = true;
    }
    boxClosed_.notify_all();
  });
  std::unique_lock lock(stateMutex_);
  boxClosed_.wait(lock, [&] { return *closed || windowGone_; });
}

void Runtime::RunProgramLine(const std::string& commandLine, bool wait) {
  if (!options_.runProgram) return;
  options_.runProgram(commandLine, wait, [life = life_](const std::string& link) {
    std::lock_guard lock(life->mutex);
    if (life->runtime != nullptr) life->runtime->SayLinkNotOpened(link);
  });
}

void Runtime::SayLinkNotOpened(const std::string& link) {
  if (WindowGone()) return;
  const std::string text = base::Utf8ToGbk(kLinkNotOpenedText) + link;
  front_->Post([this, text] {
    if (!WindowGone())
      front_->MessageBox(text, kMessageBoxWarning, base::Utf8ToGbk(kLinkNotOpenedTitle));
  });
}

void Runtime::OnUnitEvent(std::uint32_t unit, std::int32_t event, std::int32_t a, std::int32_t b,
                          std::int32_t c) {
  if (WindowGone()) return;
  // A front may still hold input that reached a unit before it showed as
  // disabled (clicks queued while the window thread was busy): the model
  // decides, so a disabled unit never runs its routine.
  if (model_ && model_->IsDisabled(unit)) return;
  if (const auto offset = events_.Handler(unit, event)) CallRoutine(*offset, a, b, c);
}

void Runtime::OnWindowClosing() {
  OnUnitEvent(form::kWindowUnitId, form::kEventWindowClosing, 0, 0, 0);
  MarkWindowGone();
}

}  // namespace korvex
