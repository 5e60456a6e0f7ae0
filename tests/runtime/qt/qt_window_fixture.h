// The main window as the runtime builds it from the program's stored
// description, with a recorder of the events it reports: the fixture of the
// Qt view's tests.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QPoint>
#include <QString>
#include <QThread>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <tuple>
#include <vector>

#include "program/pages/main_window_form.h"
#include "runtime/core/unit_model.h"
#include "runtime/form/reader.h"
#include "runtime/form/writer.h"
#include "runtime/qt/qt_front.h"

namespace korvex {

struct Recorder final : FrontEvents {
  std::vector<std::tuple<std::uint32_t, std::int32_t, std::int32_t, std::int32_t>> events;
  int closing = 0;
  void OnUnitEvent(std::uint32_t unit, std::int32_t event, std::int32_t a, std::int32_t b,
                   std::int32_t) override {
    events.emplace_back(unit, event, a, b);
  }
  void OnWindowClosing() override { ++closing; }
};

class QtWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    // Built from the stored bytes, as the runtime does.
    auto parsed = form::ReadForm(form::WriteForm(pixaroo::MainWindowForm()));
    ASSERT_TRUE(parsed.ok()) << parsed.error().text;
    form_ = *parsed;
    std::vector<UnitModel::UnitInfo> infos;
    for (const auto& u : form_.units) infos.push_back({u.id, u.typeId});
    model_ = std::make_unique<UnitModel>(infos);
    front_ = std::make_unique<QtFront>();
    front_->CreateWindow(form_, *model_, events_);
  }
  void TearDown() override {
    front_.reset();
    model_.reset();
  }

  QWidget* W(std::uint32_t unit) { return front_->UnitWidget(unit); }
  // Top-left of a unit in the window's client coordinates.
  QPoint InWindow(std::uint32_t unit) { return W(unit)->mapTo(front_->Window(), QPoint(0, 0)); }
  static void Pump() {
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
  }
  // Pumps until `done` holds (true) or some `seconds` pass.
  static bool PumpUntil(const std::function<bool()>& done, int seconds = 4) {
    for (int i = 0; i < seconds * 500 && !done(); ++i) {
      QCoreApplication::processEvents();
      QThread::msleep(2);
    }
    return done();
  }

  form::Form form_;
  std::unique_ptr<UnitModel> model_;
  Recorder events_;
  std::unique_ptr<QtFront> front_;
};

inline QString Utf8(const char* s) { return QString::fromUtf8(s); }

}  // namespace korvex
