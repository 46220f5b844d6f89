// labels: unit
// Metafile records as the page draws them, and metafiles that are broken.
#include "browser/Wmf.h"

#include "browser/wmf_fixture.h"

#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace {

using wmf_fixture::Colour;
using wmf_fixture::Join;
using wmf_fixture::WmfBuilder;

QImage Draw(const QByteArray& wmf, QSize* natural = nullptr) {
  QPicture picture;
  QSize size;
  EXPECT_TRUE(browser::Wmf::Play(wmf, picture, size));
  if (natural) *natural = size;
  QImage out(size, QImage::Format_RGB32);
  out.fill(Qt::white);
  QPainter p(&out);
  p.drawPicture(0, 0, picture);
  return out;
}

// A 2 x 2 DIB, 24 bits: bottom row red, green; top row blue, black.
std::vector<uint16_t> Dib2x2() {
  std::vector<uint8_t> b = {40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 1, 0, 24, 0};
  b.resize(40, 0);
  const uint8_t rows[] = {0, 0, 255, 0, 255, 0, 0, 0,     // red, green (BGR), padding
                          255, 0, 0, 0, 0, 0, 0, 0};      // blue, black, padding
  b.insert(b.end(), std::begin(rows), std::end(rows));
  std::vector<uint16_t> words;
  for (size_t i = 0; i < b.size(); i += 2) words.push_back(uint16_t(b[i] | (b[i + 1] << 8)));
  return words;
}

TEST(Wmf, CommonRecordsDraw) {
  WmfBuilder w;
  w.record(0x020B, {0, 0}).record(0x020C, {100, 200});   // window 200 x 100
  w.record(0x02FA, Join({{5, 0, 0}, Colour(0, 0, 0)}));  // null pen
  w.record(0x012D, {0});
  w.record(0x02FC, Join({{0}, Colour(0, 0, 255), {0}}));  // blue brush
  w.record(0x012D, {1});
  w.record(0x0324, {3, 10, 10, 90, 10, 10, 90});           // triangle
  w.record(0x02FC, Join({{0}, Colour(0, 200, 0), {0}}));  // green brush, slot 2
  w.record(0x012D, {2});
  w.record(0x01F0, {1});                                   // blue brush deleted: slot 1 free
  w.record(0x0418, {90, 190, 60, 110});                    // ellipse bottom, right, top, left
  w.record(0x02FC, Join({{0}, Colour(255, 255, 0), {0}}));  // yellow brush takes slot 1
  w.record(0x012D, {1});
  w.record(0x041B, {40, 190, 10, 150});                    // rectangle
  // StretchDIB: SRCCOPY, RGB colours, source 2 x 2 at 0, 0 to 40 x 40 at (100, 10).
  w.record(0x0F43, Join({{0x0020, 0x00CC, 0, 2, 2, 0, 0, 40, 40, 10, 100}, Dib2x2()}));
  QSize natural;
  const QImage img = Draw(w.bytes(0, 0, 200, 100), &natural);
  EXPECT_EQ(natural, QSize(200, 100));
  EXPECT_EQ(img.pixel(20, 20), qRgb(0, 0, 255));
  EXPECT_EQ(img.pixel(80, 80), qRgb(255, 255, 255)) << "outside the triangle";
  EXPECT_EQ(img.pixel(150, 75), qRgb(0, 200, 0));
  EXPECT_EQ(img.pixel(112, 86), qRgb(255, 255, 255)) << "outside the ellipse";
  EXPECT_EQ(img.pixel(170, 25), qRgb(255, 255, 0));
  EXPECT_EQ(img.pixel(105, 15), qRgb(0, 0, 255)) << "the DIB's top row is blue, black";
  EXPECT_EQ(img.pixel(135, 15), qRgb(0, 0, 0));
  EXPECT_EQ(img.pixel(105, 45), qRgb(255, 0, 0));
  EXPECT_EQ(img.pixel(135, 45), qRgb(0, 255, 0));
}

TEST(Wmf, WindowMapsOntoThePictureAndTextIsDrawn) {
  WmfBuilder w;
  // Window (0, 1000)-(2000, 0): y grows upwards, 10 units a pixel.
  w.record(0x020B, {1000, 0}).record(0x020C, {uint16_t(-1000), 2000});
  w.record(0x02FC, Join({{0}, Colour(255, 0, 0), {0}}));
  w.record(0x012D, {0});
  w.record(0x041B, {900, 500, 600, 100});  // near the top: y 600 to 900
  w.record(0x0209, Colour(0, 0, 0));       // text colour
  w.record(0x0102, {1});                   // transparent background
  w.record(0x02FB, Join({{uint16_t(-300), 0, 0, 0, 700, 0, 0, 0, 0}}));  // 30 px bold font
  w.record(0x012D, {1});
  w.record(0x0521, {4, 'W' | ('W' << 8), 'W' | ('W' << 8), 400, 1000});  // "WWWW" at (1000, 400)
  QSize natural;
  const QImage img = Draw(w.bytes(0, 0, 200, 100), &natural);
  EXPECT_EQ(img.pixel(30, 20), qRgb(255, 0, 0)) << "logical y 750 is near the top";
  EXPECT_EQ(img.pixel(30, 80), qRgb(255, 255, 255));
  int dark = 0;
  for (int y = 60; y < 100; ++y)
    for (int x = 100; x < 200; ++x) dark += qGray(img.pixel(x, y)) < 100;
  EXPECT_GT(dark, 100) << "the text stands below its top-left point, upright";
}

TEST(Wmf, BrokenMetafilesNeitherCrashNorHang) {
  WmfBuilder w;
  w.record(0x020C, {100, 200}).record(0x02FC, Join({{0}, Colour(0, 0, 255), {0}}));
  w.record(0x012D, {0}).record(0x0324, {3, 10, 10, 90, 10, 10, 90});
  w.record(0x0538, {2, 3, 3, 0, 0, 5, 0, 0, 5, 9, 9, 8, 9, 9, 8});
  w.record(0x0A32, {5, 5, 3, 6, 0, 0, 20, 20, 'a' | ('b' << 8), 'c', 4, 4, 4});
  w.record(0x0F43, Join({{0x0020, 0x00CC, 0, 2, 2, 0, 0, 40, 40, 10, 100}, Dib2x2()}));
  w.record(0x0127, {uint16_t(-3)}).record(0x0416, {40, 40, 0, 0}).record(0x0415, {20, 20, 5, 5});
  const QByteArray good = w.bytes(0, 0, 200, 100);
  QRandomGenerator random(5);
  for (int n = 0; n < good.size(); ++n) {
    QPicture picture;
    QSize size;
    browser::Wmf::Play(good.left(n), picture, size);
  }
  for (int round = 0; round < 400; ++round) {
    QByteArray bad = good;
    for (int k = 0; k < 4; ++k)
      bad[int(random.bounded(quint32(bad.size())))] = char(random.bounded(256));
    QPicture picture;
    QSize size;
    if (browser::Wmf::Play(bad, picture, size)) {
      QImage out(std::min(size.width(), 400), std::min(size.height(), 400), QImage::Format_RGB32);
      QPainter p(&out);
      p.drawPicture(0, 0, picture);
    }
  }
  QPicture picture;
  QSize size;
  EXPECT_FALSE(browser::Wmf::Play(QByteArray("GIF89a not a metafile at all, really"), picture, size));
}

}  // namespace
