// Stop pressed at every moment of a run: the presses are queued as a
// desktop delivers them and handled whenever the run lets events through.
#include <gtest/gtest.h>

#include <QDialog>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>

#include "builders/BiffBuilder.hpp"
#include "gui/WindowFixture.hpp"

namespace trovex {
namespace {

enum class Press { Escape, StopClick };

class StopAnyMoment : public Window {
 protected:
  void SetUp() override {
    Window::SetUp();
    const std::string archive = build::MakeBiff({{4, build::MakeWavc(64, 1)}, {4, build::MakeWavc(80, 2)}});
    std::vector<std::string> paths;
    for (int i = 0; i < kInputs; ++i) {
      const std::string name = "S" + std::to_string(i) + ".bif";
      test::WriteFileBytes(dir / name, archive);
      paths.push_back(dir / name);
    }
    openAnswers.push_back({true, kBiffFilter, paths});
    Click(Button::BAddLog);
    const TWindowControls& c = window.Controls();
    // Every change the run makes to the window is a moment.
    QObject::connect(c.Progress, &QProgressBar::valueChanged, [this] { Moment(); });
    QObject::connect(c.Total, &QProgressBar::valueChanged, [this] { Moment(); });
    watch_ = std::make_unique<MessageWatch>(this);
    c.CurrentMessage->installEventFilter(watch_.get());
  }
  void TearDown() override {
    window.Controls().CurrentMessage->removeEventFilter(watch_.get());
    Window::TearDown();
  }

  // Runs into a fresh folder; returns the number of inputs in its job log.
  int RunOnce() {
    moments = 0;
    started = 0;
    startedAtPress = -1;
    const std::string out = dir / ("out" + std::to_string(runs_++));
    ForceDirectories(out);
    directoryAnswers.push_back(out);
    boxes.clear();
    Click(Button::BProcess);
    const std::string log = PathExists(out + "/result.log") ? test::ReadFileBytes(out + "/result.log") : "";
    int sources = 0;
    for (std::size_t at = log.find("#Source: "); at != std::string::npos; at = log.find("#Source: ", at + 1)) ++sources;
    return sources;
  }

  // Queues a press at moment pressAt, as the desktop would: it reaches the
  // window only when the run next lets events through.
  void Moment() {
    if (moments++ != pressAt) return;
    startedAtPress = started;
    const TWindowControls& c = window.Controls();
    if (press == Press::Escape) {
      QWidget* target = QApplication::focusWidget() != nullptr ? QApplication::focusWidget() : &window;
      QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
      QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyRelease, Qt::Key_Escape, Qt::NoModifier));
    } else {
      const QPointF centre = QRectF(c.Stop->rect()).center();
      const QPointF global = c.Stop->mapToGlobal(centre);
      QCoreApplication::postEvent(
          c.Stop, new QMouseEvent(QEvent::MouseButtonPress, centre, global, Qt::LeftButton, Qt::LeftButton, {}));
      QCoreApplication::postEvent(
          c.Stop, new QMouseEvent(QEvent::MouseButtonRelease, centre, global, Qt::LeftButton, Qt::NoButton, {}));
    }
  }

  // Counts the inputs started ("Processing ...").
  class MessageWatch : public QObject {
   public:
    explicit MessageWatch(StopAnyMoment* test) : test_(test) {}

   protected:
    bool eventFilter(QObject* object, QEvent* event) override {
      if (event->type() == QEvent::ToolTipChange &&
          static_cast<TElidingLabel*>(object)->FullText().startsWith("Processing ")) {
        ++test_->started;
      }
      return false;
    }

   private:
    StopAnyMoment* test_;
  };

  static constexpr int kInputs = 12;
  int moments = 0;
  int started = 0;
  int startedAtPress = -1;
  int pressAt = -1;
  Press press = Press::Escape;

 private:
  std::unique_ptr<MessageWatch> watch_;
  int runs_ = 0;
};

TEST_F(StopAnyMoment, EscOrAClickOnStopEndsTheRunAtTheNextInput) {
  window.activateWindow();
  QApplication::setActiveWindow(&window);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  ASSERT_EQ(RunOnce(), kInputs);
  const int total = moments;
  ASSERT_GT(total, 3 * kInputs);
  // Every moment up to the last input's start, both kinds of press.
  for (pressAt = 0; pressAt < total * (kInputs - 1) / kInputs; ++pressAt) {
    press = pressAt % 2 == 0 ? Press::Escape : Press::StopClick;
    const int logged = RunOnce();
    SCOPED_TRACE(testing::Message() << "press " << (press == Press::Escape ? "Esc" : "Stop") << " at moment "
                                    << pressAt << " of " << total << ", " << startedAtPress << " inputs started");
    ASSERT_GE(startedAtPress, 0);
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes.back().text, "Operation stopped.");
    EXPECT_LE(logged, startedAtPress);
    EXPECT_LE(started, startedAtPress + 1);
    EXPECT_FALSE(Enabled(Button::Stop));
  }
}

// The chooser is a window of its own; once it has closed, keys reach the main
// window again, so Esc works during the run that follows.
TEST_F(StopAnyMoment, AfterTheChooserClosesTheMainWindowHasTheKeyboard) {
  window.activateWindow();
  QApplication::setActiveWindow(&window);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  onChooser = [this] {
    QDialog chooser(&window);
    QTimer::singleShot(0, &chooser, &QDialog::accept);
    chooser.exec();
  };
  pressAt = 5;
  press = Press::Escape;
  RunOnce();
  EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
  EXPECT_EQ(QApplication::activeWindow(), &window);
  ASSERT_FALSE(boxes.empty());
  EXPECT_EQ(boxes.back().text, "Operation stopped.");
}

}  // namespace
}  // namespace trovex
