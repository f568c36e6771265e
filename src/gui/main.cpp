// The trovex program: the Qt window around the main window's logic. Files
// named on the command line (as a file manager opens them) are added as if
// dropped on the list.
#include <QApplication>
#include <QMessageBox>
#include <exception>

#include "gui/ToolbarIcons.hpp"
#include "gui/TrovexWindow.hpp"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Trovex");
  QApplication::setApplicationVersion(TROVEX_VERSION);
  QApplication::setDesktopFileName("trovex");
  QApplication::setWindowIcon(trovex::ProgramIcon());
  try {
    trovex::TTrovexWindow window;
    window.show();
    window.RestorePlace();
    const QStringList files = QApplication::arguments().mid(1);
    if (!files.isEmpty()) window.AddFiles(files);
    return QApplication::exec();
  } catch (const std::exception& error) {
    // A failure while starting up is shown, and the program ends.
    QMessageBox::critical(nullptr, "Trovex", QString::fromLocal8Bit(error.what()));
    return 1;
  }
}
