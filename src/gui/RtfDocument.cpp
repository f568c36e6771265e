#include "gui/RtfDocument.hpp"

#include <QString>

namespace trovex {

namespace {

constexpr const char* kHeader =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1{\\fonttbl{\\f0\\fswiss\\fcharset0 Sans Serif;}}\r\n\\f0\\fs20 ";

void AppendHexEscape(std::string& out, unsigned char byte) {
  static const char kDigits[] = "0123456789abcdef";
  out += "\\'";
  out += kDigits[byte >> 4];
  out += kDigits[byte & 0x0F];
}

// Characters below 0x80: the three RTF specials are escaped, a tab becomes a
// tab control word and other control characters keep their byte value.
void AppendAscii(std::string& out, unsigned char c) {
  if (c == '\\' || c == '{' || c == '}') {
    out += '\\';
    out += static_cast<char>(c);
  } else if (c == '\t') {
    out += "\\tab ";
  } else if (c < 0x20 || c == 0x7F) {
    AppendHexEscape(out, c);
  } else {
    out += static_cast<char>(c);
  }
}

// Each UTF-16 unit as a signed 16-bit \u escape with "?" for readers that
// cannot show it.
void AppendUnicodeLine(std::string& out, const QString& text) {
  for (const QChar ch : text) {
    const unsigned unit = ch.unicode();
    if (unit < 0x80) {
      AppendAscii(out, static_cast<unsigned char>(unit));
    } else {
      out += "\\u" + std::to_string(unit > 0x7FFF ? static_cast<int>(unit) - 0x10000 : static_cast<int>(unit)) + "?";
    }
  }
}

void AppendByteLine(std::string& out, const std::string& line) {
  for (const char c : line) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x80) {
      AppendHexEscape(out, byte);
    } else {
      AppendAscii(out, byte);
    }
  }
}

void AppendLine(std::string& out, const std::string& line) {
  const QByteArray bytes = QByteArray::fromStdString(line);
  const QString text = QString::fromLocal8Bit(bytes);
  if (text.toLocal8Bit() == bytes) {
    AppendUnicodeLine(out, text);
  } else {
    AppendByteLine(out, line);
  }
  out += "\\par\r\n";
}

}  // namespace

std::string PlainTextDocument(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& line : lines) out += line + "\r\n";
  return out;
}

std::string SavedResultsDocument(const std::string& path, const std::vector<std::string>& lines) {
  const QString name = QString::fromLocal8Bit(path.data(), qsizetype(path.size()));
  return name.endsWith(".rtf", Qt::CaseInsensitive) ? RtfDocument(lines) : PlainTextDocument(lines);
}

std::string RtfDocument(const std::vector<std::string>& lines) {
  std::string out = kHeader;
  for (const std::string& line : lines) AppendLine(out, line);
  out += "}\r\n";
  return out;
}

}  // namespace trovex
