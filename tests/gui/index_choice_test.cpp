// The window's "Name items from an index…" choice.
#include <QMenu>

#include "WindowFixture.hpp"

namespace trovex {
namespace {

QAction* IndexAction(TTrovexWindow& window) { return window.findChild<QAction*>("NameFromIndex"); }

void ShowKindsMenu(TTrovexWindow& window) { emit window.Controls().Kinds->menu()->aboutToShow(); }

TEST_F(Window, TheIndexIsOfferedWhileTheInputTypeIsArchives) {
  ShowKindsMenu(window);
  EXPECT_FALSE(IndexAction(window)->isEnabled());
  AddArchives({"A.bif"});
  ShowKindsMenu(window);
  EXPECT_TRUE(IndexAction(window)->isEnabled());
  test::WriteFileBytes(dir / "d.tlk", "");
  openAnswers.push_back({true, 2, {dir / "d.tlk"}});
  Click(Button::BAddLog);
  ShowKindsMenu(window);
  EXPECT_FALSE(IndexAction(window)->isEnabled());
}

TEST_F(Window, TheChosenIndexGoesToTheRunAndIsRememberedUntilDropped) {
  const std::string key = dir / "chitin.key";
  test::WriteFileBytes(key, "");
  std::optional<std::string> answer;
  window.IndexChoice().AskForIndex = [&answer] { return answer; };
  IndexAction(window)->trigger();  // cancelled
  EXPECT_FALSE(IndexAction(window)->isChecked());
  EXPECT_EQ(window.Form().Run().KeyPath, "");

  answer = key;
  IndexAction(window)->trigger();
  EXPECT_TRUE(IndexAction(window)->isChecked());
  EXPECT_EQ(window.Form().Run().KeyPath, key);
  {
    TTrovexWindow next;
    EXPECT_EQ(next.Form().Run().KeyPath, key);
    EXPECT_TRUE(IndexAction(next)->isChecked());
    EXPECT_NE(IndexAction(next)->text().toStdString().find("(chitin.key)"), std::string::npos);
  }
  IndexAction(window)->trigger();  // unchecked: no index
  EXPECT_EQ(window.Form().Run().KeyPath, "");
  TTrovexWindow next;
  EXPECT_EQ(next.Form().Run().KeyPath, "");
  EXPECT_FALSE(IndexAction(next)->isChecked());
}

}  // namespace
}  // namespace trovex
