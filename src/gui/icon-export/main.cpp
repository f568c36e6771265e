// trovex-icons DIR SIZE...: writes the program's picture as DIR/SIZExSIZE/trovex.png
// for every size, the layout of an icon theme's folders.
#include <QDir>
#include <QGuiApplication>
#include <cstdio>

#include "gui/ToolbarIcons.hpp"

int main(int argc, char* argv[]) {
  QGuiApplication app(argc, argv);
  const QStringList args = QGuiApplication::arguments();
  if (args.size() < 3) {
    std::fprintf(stderr, "usage: trovex-icons DIR SIZE...\n");
    return 2;
  }
  for (const QString& word : args.mid(2)) {
    bool number = false;
    const int size = word.toInt(&number);
    const QString folder = QString("%1/%2x%2").arg(args[1]).arg(size);
    if (!number || size <= 0 || !QDir().mkpath(folder) ||
        !trovex::ProgramPicture(size).save(folder + "/trovex.png", "PNG")) {
      std::fprintf(stderr, "trovex-icons: cannot write the %s px icon\n", qPrintable(word));
      return 1;
    }
  }
  return 0;
}
