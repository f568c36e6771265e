// trovex-icons DIR SIZE...: writes the program's picture as DIR/SIZExSIZE/trovex.png
// for every size, the layout of an icon theme's folders.
// trovex-icons --ico FILE: writes it as a Windows icon file holding the sizes
// Windows shows (Explorer, the taskbar, Start), each a PNG image.
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <cstdio>
#include <vector>

#include "framework/Stream.hpp"
#include "gui/ToolbarIcons.hpp"

namespace {

bool WriteThemeFolders(const QString& root, const QStringList& sizes) {
  for (const QString& word : sizes) {
    bool number = false;
    const int size = word.toInt(&number);
    const QString folder = QString("%1/%2x%2").arg(root).arg(size);
    if (!number || size <= 0 || !QDir().mkpath(folder) ||
        !trovex::ProgramPicture(size).save(folder + "/trovex.png", "PNG")) {
      std::fprintf(stderr, "trovex-icons: cannot write the %s px icon\n", qPrintable(word));
      return false;
    }
  }
  return true;
}

// The icon file: its header, one directory entry per image, then the images.
// A width or height of 256 is stored as 0.
QByteArray IconFile(const QList<int>& sizes) {
  QList<QByteArray> images;
  for (const int size : sizes) {
    QBuffer png;
    png.open(QIODevice::WriteOnly);
    trovex::ProgramPicture(size).save(&png, "PNG");
    images.append(png.data());
  }
  std::vector<unsigned char> head(6 + 16 * std::size_t(sizes.size()));
  trovex::StoreU16(&head[2], 1);
  trovex::StoreU16(&head[4], std::uint16_t(sizes.size()));
  std::uint32_t offset = std::uint32_t(head.size());
  for (qsizetype i = 0; i < sizes.size(); ++i) {
    unsigned char* entry = &head[6 + 16 * std::size_t(i)];
    entry[0] = entry[1] = static_cast<unsigned char>(sizes[i] >= 256 ? 0 : sizes[i]);
    trovex::StoreU16(entry + 4, 1);
    trovex::StoreU16(entry + 6, 32);
    trovex::StoreU32(entry + 8, std::uint32_t(images[i].size()));
    trovex::StoreU32(entry + 12, offset);
    offset += std::uint32_t(images[i].size());
  }
  QByteArray out(reinterpret_cast<const char*>(head.data()), qsizetype(head.size()));
  for (const QByteArray& image : images) out.append(image);
  return out;
}

bool WriteIconFile(const QString& path) {
  QFile file(path);
  if (file.open(QIODevice::WriteOnly) && file.write(IconFile({16, 20, 24, 32, 40, 48, 64, 256})) > 0 &&
      file.flush()) {
    return true;
  }
  std::fprintf(stderr, "trovex-icons: cannot write %s\n", qPrintable(path));
  return false;
}

}  // namespace

int main(int argc, char* argv[]) {
  QGuiApplication app(argc, argv);
  const QStringList args = QGuiApplication::arguments();
  if (args.size() == 3 && args[1] == "--ico") return WriteIconFile(args[2]) ? 0 : 1;
  if (args.size() < 3) {
    std::fprintf(stderr, "usage: trovex-icons DIR SIZE...\n       trovex-icons --ico FILE\n");
    return 2;
  }
  return WriteThemeFolders(args[1], args.mid(2)) ? 0 : 1;
}
