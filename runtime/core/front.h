// Front: what a window system offers the runtime. The Qt front draws real
// widgets; the headless front serves tests and answers menus, dialogs and
// message boxes the way the test asks.
//
// Every member is called on the window thread, except Post(), which any
// thread may call.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "runtime/core/unit_model.h"
#include "runtime/form/form.h"

namespace korvex {

// What a front reports back to the runtime. Called on the window thread.
class FrontEvents {
 public:
  // A unit's event (mouse events pass their three arguments).
  virtual void OnUnitEvent(std::uint32_t unit, std::int32_t event, std::int32_t a = 0,
                           std::int32_t b = 0, std::int32_t c = 0) = 0;
  // The user asked to close the window; the runtime raises the window's
  // closing event before the front lets the window go.
  virtual void OnWindowClosing() = 0;

 protected:
  ~FrontEvents() = default;
};

// The photo viewer's source, as the runtime hands it to a front: the
// program's positions and count, and a request that fetches a photo off the
// window thread.
struct ViewerSource {
  std::function<int(std::uint32_t box)> positionOf;  // window thread
  std::function<int()> count;                        // window thread
  // Window thread: fetches the photo at `position` on a worker; `done` then
  // runs on the window thread with its bytes (empty: none to be had). Never
  // once the program is ending.
  std::function<void(int position, std::function<void(base::Bytes)> done)> request;
};

class Front {
 public:
  virtual ~Front() = default;

  // Builds the window from its description over `model`, shows it, and
  // reports user events to `events`. Both outlive the front's window.
  virtual void CreateWindow(const form::Form& form, UnitModel& model, FrontEvents& events) = 0;
  // Runs until the window has closed or Quit() was called.
  virtual void RunLoop() = 0;
  // Makes RunLoop (and any menu, dialog or message box it is in) return soon
  // without raising the closing event; used when the program faults.
  virtual void Quit() = 0;
  // Queues `task` to run on the window thread, after the current event.
  virtual void Post(std::function<void()> task) = 0;
  // Shows the popup menu `menu` at the mouse and returns the unit id of the
  // entry chosen, or 0 when the menu closed without a choice.
  virtual std::uint32_t PopupMenu(std::uint32_t menu) = 0;
  // Runs `dialog` as a save-file dialog; returns the chosen file's name as
  // the file system spells it (UTF-8, not a GBK text), or "" after cancel.
  virtual std::string SaveFileDialog(std::uint32_t dialog) = 0;
  // A modal message box with one OK button; returns when it is closed.
  virtual void MessageBox(const std::string& text, int flags, const std::string& title) = 0;
  // Makes `key` (a kKey... code) act as a click on the button `unit` while
  // the window is active and no menu, dialog or message box is open; the
  // click is reported like a mouse click, and not at all while the button
  // is disabled.
  virtual void BindKey(std::uint32_t unit, int key) = 0;
  // Lets a double-click on a picture box open a photo viewer over `source`
  // (see Services::bindViewer). A front without pixels has none to open
  // and keeps only the source.
  virtual void BindViewer(ViewerSource source) = 0;
};

}  // namespace korvex
