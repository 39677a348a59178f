#include "platform/ui/fonts.h"

#include <QGuiApplication>
#include <QStringList>

namespace {
QStringList Families(const QString& face) {
  QStringList list;
  if (!face.isEmpty()) list << face;
  // Common Windows faces and the metric-compatible families installed here.
  if (face == "Arial" || face == "MS Sans Serif" || face == "System") list << "Liberation Sans";
  if (face == "Times New Roman") list << "Liberation Serif";
  if (face == "Courier New") list << "Liberation Mono";
  list << "Noto Sans CJK SC";
  return list;
}
}  // namespace

QFont FaceFont(const QString& face, int pixelHeight, int weight) {
  QFont f;
  f.setFamilies(Families(face));
  if (pixelHeight > 0) f.setPixelSize(pixelHeight);
  f.setWeight(static_cast<QFont::Weight>(weight));
  return f;
}

QFont UiFont(int language) {
  QFont f = QGuiApplication::font();
  QStringList list;
  if (language == 0) list << "Noto Sans CJK SC";
  list << f.family() << "Noto Sans CJK SC";
  f.setFamilies(list);
  return f;
}
