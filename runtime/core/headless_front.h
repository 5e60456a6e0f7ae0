// HeadlessFront: a front without pixels, for tests and tools.
//
// It keeps the window's units in the model only, runs the window thread's
// events from a TaskQueue, and answers popup menus, dialogs and message boxes
// from a script the test sets up. Raise(), Close() and Post() may be called
// from any thread; the answers must be queued before they are needed.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "runtime/core/front.h"
#include "runtime/core/task_queue.h"

namespace korvex {

class HeadlessFront final : public Front {
 public:
  struct Shown {
    std::string text;
    int flags;
    std::string title;
  };

  // Runs on the window thread right after the window is created (and after
  // the creation event has been queued): the place for a test's script.
  void OnCreated(std::function<void(HeadlessFront&)> script);

  // Answers, used in order; an unanswered menu closes without a choice, an
  // unanswered dialog is cancelled.
  void AnswerMenu(std::uint32_t entry);
  void AnswerDialog(const std::string& fileName);  // as the file system spells it

  // Simulated user input, run on the window thread in order. Input on a
  // disabled unit reaches no routine (the runtime's routing drops it).
  void Raise(std::uint32_t unit, std::int32_t event, std::int32_t a = 0, std::int32_t b = 0,
             std::int32_t c = 0);
  // A key press while no menu or dialog is open (the headless window is
  // always active): a bound key clicks its button.
  void PressKey(int key);
  void Close();

  // What the program showed.
  std::vector<Shown> MessageBoxes() const;
  std::vector<std::uint32_t> MenusShown() const;
  int DialogsShown() const;
  // The file name each dialog suggested as it opened (its property 10 then).
  std::vector<std::string> DialogSuggestions() const;

  // Front.
  void CreateWindow(const form::Form& form, UnitModel& model, FrontEvents& events) override;
  void RunLoop() override;
  void Quit() override;
  void Post(std::function<void()> task) override;
  std::uint32_t PopupMenu(std::uint32_t menu) override;
  std::string SaveFileDialog(std::uint32_t dialog) override;
  void MessageBox(const std::string& text, int flags, const std::string& title) override;
  void BindKey(std::uint32_t unit, int key) override;
  void BindViewer(ViewerSource source) override;
  // The viewer's source as bound (empty functions before); window thread.
  const ViewerSource& Viewer() const { return viewer_; }

 private:
  // Window thread: reports the input unless the window has gone.
  void Deliver(std::uint32_t unit, std::int32_t event, std::int32_t a, std::int32_t b,
               std::int32_t c);

  TaskQueue queue_;
  FrontEvents* events_ = nullptr;
  UnitModel* model_ = nullptr;  // the window's units; window thread only
  std::vector<std::string> suggestions_;  // guarded by mutex_
  std::function<void(HeadlessFront&)> script_;
  std::map<int, std::uint32_t> keys_;  // key -> button; window thread only
  ViewerSource viewer_;                // window thread only
  mutable std::mutex mutex_;
  std::deque<std::uint32_t> menuAnswers_;
  std::deque<std::string> dialogAnswers_;
  std::vector<Shown> shown_;
  std::vector<std::uint32_t> menus_;
  int dialogs_ = 0;
  bool open_ = false;
};

}  // namespace korvex
