// Build-time tool: writes the window's icon as the desktop's icon files, the
// SVG itself and PNGs drawn from it, so the menu, the task bar and the window
// show one picture.
//
//   vantoro-render-icons OUTPUT_DIR NAME SIZE...
//
// writes OUTPUT_DIR/scalable/apps/NAME.svg and OUTPUT_DIR/SxS/apps/NAME.png
// for every size S, in the layout of the hicolor icon theme.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "resources/resources.h"

namespace {

bool Fail(const QString& what) {
  std::fprintf(stderr, "vantoro-render-icons: %s\n", what.toLocal8Bit().constData());
  return false;
}

bool WriteBytes(const QString& path, const QByteArray& bytes) {
  if (!QDir().mkpath(QFileInfo(path).path())) return Fail("cannot create the folder of " + path);
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size() ||
      !file.flush()) {
    return Fail("cannot write " + path);
  }
  return true;
}

bool WritePng(const QString& path, QSvgRenderer& renderer, int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  renderer.render(&painter);
  painter.end();
  if (!QDir().mkpath(QFileInfo(path).path())) return Fail("cannot create the folder of " + path);
  if (!image.save(path, "PNG")) return Fail("cannot write " + path);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: vantoro-render-icons OUTPUT_DIR NAME SIZE...\n");
    return 2;
  }
  const QString out = QString::fromLocal8Bit(argv[1]);
  const QString name = QString::fromLocal8Bit(argv[2]);
  const QByteArray svg(IconSvg(kIconMain));
  QSvgRenderer renderer(svg);
  if (svg.isEmpty() || !renderer.isValid()) {
    Fail("the icon resource is not a valid SVG");
    return 1;
  }
  if (!WriteBytes(out + "/scalable/apps/" + name + ".svg", svg)) return 1;
  for (int i = 3; i < argc; ++i) {
    char* end = nullptr;
    const long size = std::strtol(argv[i], &end, 10);
    if (end == argv[i] || *end != '\0' || size < 1 || size > 1024) {
      std::fprintf(stderr, "vantoro-render-icons: not an icon size: %s\n", argv[i]);
      return 2;
    }
    const QString dir = QString("%1/%2x%2/apps/").arg(out).arg(size);
    if (!WritePng(dir + name + ".png", renderer, static_cast<int>(size))) return 1;
  }
  return 0;
}
