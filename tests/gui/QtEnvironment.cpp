// Every test in this program runs inside one application object. On Linux it
// is the offscreen platform unless QT_QPA_PLATFORM names another (the X
// server runs set "xcb"), so no display is needed, and remembered settings go
// to a folder of the test's own, never to the user's. The Windows build runs
// on the windows platform, the program's own, under wine with a display;
// wine passes no QT_ variable to a Windows program, so the desktop's scale
// comes from TROVEX_TEST_SCALE_FACTOR there.
#include <gtest/gtest.h>

#include <QApplication>
#include <memory>

#include "support/TempDir.hpp"

namespace {

class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
#ifdef _WIN32
    if (const QByteArray scale = qgetenv("TROVEX_TEST_SCALE_FACTOR"); !scale.isEmpty()) {
      qputenv("QT_SCALE_FACTOR", scale);
    }
#else
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(config_.path()));
#endif
    app_ = std::make_unique<QApplication>(argc_, argv_);
  }
  void TearDown() override { app_.reset(); }

 private:
  int argc_ = 1;
  char name_[9] = "test_gui";
  char* argv_[2] = {name_, nullptr};
#ifndef _WIN32
  trovex::test::TempDir config_;
#endif
  std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] const auto* const kQtEnvironment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace
