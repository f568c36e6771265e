// Every test in this program runs inside one application object, on the
// offscreen platform unless QT_QPA_PLATFORM names another (the X server runs
// set "xcb"), so no display is needed. Remembered settings go to a folder of
// the test's own, never to the user's.
#include <gtest/gtest.h>

#include <QApplication>
#include <memory>

#include "support/TempDir.hpp"

namespace {

class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(config_.path()));
    app_ = std::make_unique<QApplication>(argc_, argv_);
  }
  void TearDown() override { app_.reset(); }

 private:
  int argc_ = 1;
  char name_[9] = "test_gui";
  char* argv_[2] = {name_, nullptr};
  trovex::test::TempDir config_;
  std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] const auto* const kQtEnvironment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace
