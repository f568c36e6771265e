#include "gui/ToolbarIcons.hpp"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace trovex {

namespace {

// Every picture is drawn on a 16 x 16 grid and scaled to the pixmap's size.
constexpr int kGrid = 16;
constexpr int kSizes[] = {16, 24, 32};

const QColor kOutline(0x40, 0x40, 0x40);
const QColor kGreen(0x2e, 0x9d, 0x3a);
const QColor kRed(0xd0, 0x30, 0x30);
const QColor kBlue(0x2f, 0x5f, 0xb3);

// A sheet of paper with a folded corner.
void DrawPage(QPainter& p) {
  const QPointF sheet[] = {{2.5, 0.5}, {9.5, 0.5}, {12.5, 3.5}, {12.5, 14.5}, {2.5, 14.5}};
  p.setPen(QPen(kOutline, 1));
  p.setBrush(Qt::white);
  p.drawPolygon(sheet, 5);
  const QPointF fold[] = {{9.5, 0.5}, {9.5, 3.5}, {12.5, 3.5}};
  p.setBrush(QColor(0xd8, 0xd8, 0xd8));
  p.drawPolygon(fold, 3);
  p.setPen(QPen(QColor(0xa0, 0xa0, 0xa0), 1));
  for (double y = 6.5; y < 12; y += 2) p.drawLine(QPointF(4.5, y), QPointF(10.5, y));
}

// A round badge in the lower right corner with a white plus or minus on it.
void DrawBadge(QPainter& p, const QColor& colour, bool plus) {
  p.setPen(QPen(colour.darker(130), 1));
  p.setBrush(colour);
  p.drawEllipse(QPointF(11.5, 11.5), 4, 4);
  p.setPen(QPen(Qt::white, 1.6, Qt::SolidLine, Qt::FlatCap));
  p.drawLine(QPointF(9.3, 11.5), QPointF(13.7, 11.5));
  if (plus) p.drawLine(QPointF(11.5, 9.3), QPointF(11.5, 13.7));
}

void DrawAdd(QPainter& p) {
  DrawPage(p);
  DrawBadge(p, kGreen, true);
}

void DrawRemove(QPainter& p) {
  DrawPage(p);
  DrawBadge(p, kRed, false);
}

// A diskette: body, metal shutter and label.
void DrawSaveList(QPainter& p) {
  const QPointF body[] = {{1.5, 1.5}, {13.5, 1.5}, {14.5, 2.5}, {14.5, 14.5}, {1.5, 14.5}};
  p.setPen(QPen(kBlue.darker(150), 1));
  p.setBrush(kBlue);
  p.drawPolygon(body, 5);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0xc8, 0xcc, 0xd4));
  p.drawRect(QRectF(4, 2, 7, 4.5));
  p.setBrush(kBlue.darker(130));
  p.drawRect(QRectF(8.5, 2.8, 1.5, 3));
  p.setBrush(Qt::white);
  p.drawRect(QRectF(3.5, 8.5, 9, 5.5));
  p.setPen(QPen(QColor(0xa0, 0xa0, 0xa0), 1));
  p.drawLine(QPointF(5, 10.5), QPointF(11, 10.5));
  p.drawLine(QPointF(5, 12.5), QPointF(11, 12.5));
}

// A list of three lines struck out by a red cross.
void DrawClearAll(QPainter& p) {
  p.setPen(QPen(kOutline, 1));
  p.setBrush(Qt::white);
  p.drawRect(QRectF(1.5, 1.5, 11, 13));
  p.setPen(QPen(QColor(0x80, 0x80, 0x80), 1.2));
  for (double y = 4.5; y < 13; y += 3) p.drawLine(QPointF(3.5, y), QPointF(10.5, y));
  p.setPen(QPen(kRed, 2.2, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(8, 8), QPointF(14.5, 14.5));
  p.drawLine(QPointF(14.5, 8), QPointF(8, 14.5));
}

// A green round button with a white "go" triangle.
void DrawProcess(QPainter& p) {
  p.setPen(QPen(kGreen.darker(140), 1));
  p.setBrush(kGreen);
  p.drawEllipse(QPointF(8, 8), 7, 7);
  const QPointF play[] = {{6, 4.5}, {12, 8}, {6, 11.5}};
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);
  p.drawPolygon(play, 3);
}

// An open door with an arrow leaving through it.
void DrawExit(QPainter& p) {
  p.setPen(QPen(kOutline, 1));
  p.setBrush(QColor(0xe8, 0xe0, 0xd0));
  p.drawRect(QRectF(1.5, 0.5, 8, 15));
  const QPointF door[] = {{1.5, 0.5}, {6.5, 2.5}, {6.5, 15.5}, {1.5, 15.5}};
  p.setBrush(QColor(0x9a, 0x62, 0x30));
  p.drawPolygon(door, 4);
  p.setPen(QPen(kRed, 2, Qt::SolidLine, Qt::FlatCap));
  p.drawLine(QPointF(8, 8), QPointF(13, 8));
  const QPointF head[] = {{12, 4.5}, {15.5, 8}, {12, 11.5}};
  p.setPen(Qt::NoPen);
  p.setBrush(kRed);
  p.drawPolygon(head, 3);
}

// An archive box with a page coming out of it, the program's own picture.
void DrawProgram(QPainter& p) {
  p.save();
  p.translate(2.5, -0.5);
  p.scale(0.8, 0.8);
  DrawPage(p);
  p.restore();
  const QColor wood(0x9a, 0x62, 0x30);
  p.setPen(QPen(wood.darker(150), 1));
  p.setBrush(wood);
  p.drawRect(QRectF(0.5, 8.5, 15, 7));
  p.setBrush(wood.lighter(130));
  p.drawRect(QRectF(0.5, 7.5, 15, 2));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0xe0, 0xb0, 0x40));
  p.drawRect(QRectF(6.5, 10.5, 3, 2.5));
}

void Draw(ToolbarArt art, QPainter& p) {
  switch (art) {
    case ToolbarArt::Add:
      return DrawAdd(p);
    case ToolbarArt::SaveList:
      return DrawSaveList(p);
    case ToolbarArt::Remove:
      return DrawRemove(p);
    case ToolbarArt::Process:
      return DrawProcess(p);
    case ToolbarArt::Exit:
      return DrawExit(p);
    case ToolbarArt::ClearAll:
      return DrawClearAll(p);
  }
}

template <typename Drawing>
QImage Picture(int size, Drawing draw) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(static_cast<double>(size) / kGrid, static_cast<double>(size) / kGrid);
  draw(p);
  return image;
}

// The disabled form: light grey shades of the picture, half transparent.
QImage Greyed(const QImage& picture) {
  QImage grey = picture.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < grey.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(grey.scanLine(y));
    for (int x = 0; x < grey.width(); ++x) {
      const int alpha = qAlpha(row[x]);
      if (alpha == 0) continue;
      const int shade = 110 + qGray(row[x]) * 120 / 255;
      row[x] = qRgba(shade, shade, shade, alpha * 3 / 5);
    }
  }
  return grey;
}

}  // namespace

QIcon ToolbarIcon(ToolbarArt art) {
  QIcon icon;
  for (const int size : kSizes) {
    const QImage picture = Picture(size, [art](QPainter& p) { Draw(art, p); });
    icon.addPixmap(QPixmap::fromImage(picture), QIcon::Normal);
    icon.addPixmap(QPixmap::fromImage(Greyed(picture)), QIcon::Disabled);
  }
  return icon;
}

QImage ProgramPicture(int size) { return Picture(size, DrawProgram); }

QIcon ProgramIcon() {
  QIcon icon;
  for (const int size : {16, 32, 48, 64, 128, 256}) icon.addPixmap(QPixmap::fromImage(ProgramPicture(size)));
  return icon;
}

}  // namespace trovex
