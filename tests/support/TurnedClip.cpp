#include "support/TurnedClip.h"

#include <QProcess>
#include <QStringList>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace testsupport {
namespace {

// Runs ffmpeg to its end; its error text, or "" when it did its work.
std::string Ffmpeg(const QStringList& args, QByteArray* out = nullptr) {
  QProcess p;
  p.start("ffmpeg", QStringList{"-hide_banner", "-loglevel", "error", "-y"} + args);
  if (!p.waitForStarted(10000)) return "ffmpeg does not start";
  if (!p.waitForFinished(120000)) {
    p.kill();
    p.waitForFinished();
    return "ffmpeg did not finish";
  }
  if (out) *out = p.readAllStandardOutput();
  if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
    return "ffmpeg " + args.join(' ').toStdString() + ": " + p.readAllStandardError().toStdString();
  return "";
}

QString N(int v) { return QString::number(v); }

bool Near(QRgb p, QRgb colour, int tolerance) {
  return std::abs(qRed(p) - qRed(colour)) <= tolerance && std::abs(qGreen(p) - qGreen(colour)) <= tolerance &&
         std::abs(qBlue(p) - qBlue(colour)) <= tolerance;
}
bool IsMarker(QRgb p) { return Near(p, kClipMarker, 60); }
bool IsPicture(QRgb p) { return IsMarker(p) || Near(p, kClipField, 45); }

QRect Box(const QImage& img, const QRect& within, const std::function<bool(QRgb)>& is) {
  std::vector<int> rows(static_cast<size_t>(within.height())), cols(static_cast<size_t>(within.width()));
  for (int y = 0; y < within.height(); ++y)
    for (int x = 0; x < within.width(); ++x)
      if (is(img.pixel(within.x() + x, within.y() + y))) {
        ++rows[static_cast<size_t>(y)];
        ++cols[static_cast<size_t>(x)];
      }
  const auto span = [](const std::vector<int>& counts, int& first, int& last) {
    const int most = counts.empty() ? 0 : *std::max_element(counts.begin(), counts.end());
    first = -1;
    last = -1;
    for (int i = 0; most > 0 && i < static_cast<int>(counts.size()); ++i)
      if (counts[static_cast<size_t>(i)] * 3 >= most) {
        if (first < 0) first = i;
        last = i;
      }
  };
  int x0, x1, y0, y1;
  span(cols, x0, x1);
  span(rows, y0, y1);
  if (x0 < 0 || y0 < 0) return {};
  return QRect(within.x() + x0, within.y() + y0, x1 - x0 + 1, y1 - y0 + 1);
}

std::string Text(const QRect& r) {
  char b[64];
  std::snprintf(b, sizeof b, "%dx%d at %d,%d", r.width(), r.height(), r.x(), r.y());
  return b;
}

}  // namespace

std::string MakeTurnedClip(const std::string& path, int rotation, QSize upright, double seconds, int fps) {
  // This ffmpeg writes rotate=N as a matrix that players turn counter-clockwise by N degrees: the
  // stored picture is the upright one turned clockwise by N.
  const char* turn = rotation == 90 ? "transpose=clock" : rotation == 180 ? "hflip,vflip" : rotation == 270 ? "transpose=cclock" : "null";
  const std::string stored = path + ".stored.mp4";
  const QString picture = "drawbox=x=0:y=0:w=" + N(upright.width() / 4) + ":h=" + N(upright.height() / 4) +
                          ":color=0xE01010:t=fill," + turn;
  std::string error = Ffmpeg({"-f", "lavfi", "-i",
                              "color=c=0x3050A0:size=" + N(upright.width()) + "x" + N(upright.height()) +
                                  ":rate=" + N(fps) + ":duration=" + QString::number(seconds),
                              "-vf", picture, "-c:v", "libx264", "-preset", "veryfast", "-pix_fmt", "yuv420p",
                              QString::fromStdString(stored)});
  if (!error.empty()) return error;
  QStringList copy{"-i", QString::fromStdString(stored), "-c", "copy"};
  if (rotation) copy << "-metadata:s:v:0" << "rotate=" + N(rotation);
  error = Ffmpeg(copy << QString::fromStdString(path));
  std::remove(stored.c_str());
  if (!error.empty()) return error;

  const QImage shown = PlayerFrame(path);
  std::string seen;
  if (shown.size() != upright || !FindMarker(shown).Upright(2, seen))
    return "ffmpeg's player shows the clip " + std::to_string(shown.width()) + "x" + std::to_string(shown.height()) +
           ", " + seen + ": the rotate tag means something else to this ffmpeg";
  return "";
}

QImage PlayerFrame(const std::string& path) {
  QByteArray png;
  if (!Ffmpeg({"-i", QString::fromStdString(path), "-frames:v", "1", "-f", "image2pipe", "-c:v", "png", "-"}, &png)
           .empty())
    return {};
  return QImage::fromData(png, "PNG").convertToFormat(QImage::Format_RGB32);
}

MarkerPlace FindMarker(const QImage& picture, QRect within) {
  if (within.isEmpty()) within = picture.rect();
  within &= picture.rect();
  return {Box(picture, within, IsPicture), Box(picture, within, IsMarker)};
}

bool MarkerPlace::Upright(int tolerance, std::string& seen) const {
  seen = "picture " + Text(field) + ", marker " + Text(marker);
  if (field.isEmpty() || marker.isEmpty()) return false;
  return std::abs(marker.left() - field.left()) <= tolerance && std::abs(marker.top() - field.top()) <= tolerance &&
         std::abs(marker.width() - field.width() / 4) <= tolerance &&
         std::abs(marker.height() - field.height() / 4) <= tolerance;
}

}  // namespace testsupport
