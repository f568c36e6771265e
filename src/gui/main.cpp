// The trovex program: the Qt window around the main window's logic.
#include <QApplication>
#include <QMessageBox>
#include <exception>

#include "gui/TrovexWindow.hpp"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Trovex");
  try {
    trovex::TTrovexWindow window;
    window.show();
    window.CentreOnScreen();
    return QApplication::exec();
  } catch (const std::exception& error) {
    // A failure while starting up is shown, and the program ends.
    QMessageBox::critical(nullptr, "Trovex", QString::fromLocal8Bit(error.what()));
    return 1;
  }
}
