#include "gui/SystemPath.hpp"

#include <QDir>

namespace trovex {

std::string SystemPath(const QString& path) { return QDir::toNativeSeparators(path).toLocal8Bit().toStdString(); }

}  // namespace trovex
