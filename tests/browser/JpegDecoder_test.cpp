// labels: unit
// A JPEG decoded in parts side by side (the part in view first, the columns beside it and the
// rows above and below it apart) gives the picture libjpeg gives whole.
#include "browser/JpegDecoder.h"

#include "support/paths.h"

#include <QImage>
#include <gtest/gtest.h>

#include <cstdlib>

namespace {

using browser::JpegDecoder;

// The largest difference of a channel between the two pictures.
int LargestDifference(const QImage& a, const QImage& b) {
  int most = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
      most = std::max({most, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)), std::abs(qBlue(p) - qBlue(q))});
    }
  return most;
}

TEST(JpegDecoder, PartsMakeTheWholePictureAtEverySize) {
  testsupport::TempDir dir("jpeg-parts");
  QImage img(1999, 1501, QImage::Format_RGB32);
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) img.setPixel(x, y, qRgb((x * 7) & 255, (y * 5) & 255, ((x + y) * 3) & 255));
  const QString path = QString::fromStdString(dir.file("p.jpg"));
  ASSERT_TRUE(img.save(path, "JPG", 85));
  const auto header = JpegDecoder::ReadHeader(path);
  ASSERT_TRUE(header);
  EXPECT_EQ(header->size, QSize(1999, 1501));
  struct Case {
    int shift;
    QRect first;
  } cases[] = {{0, QRect(0, 0, 1280, 1000)}, {0, QRect(333, 411, 700, 500)}, {1, QRect(100, 50, 300, 200)},
               {3, QRect(0, 0, 100, 100)}, {0, QRect()}, {1, QRect(0, 0, 999, 750)}};
  for (const Case& c : cases) {
    JpegDecoder decoder(path, *header, c.shift, c.first);
    const QImage& parts = decoder.image();
    ASSERT_EQ(parts.size(), JpegDecoder::ScaledSize(header->size, c.shift));
    EXPECT_EQ(decoder.WaitFor(parts.rect()), QRegion(parts.rect())) << c.shift << " every part decoded";
    // At natural size Qt's reader; scaled, one decoder for the whole picture.
    JpegDecoder one(path, *header, c.shift, QRect());
    one.WaitFor(one.image().rect());
    const QImage reference = c.shift == 0 ? QImage(path) : one.image();
    // The same pixels, at the edges of the parts too.
    EXPECT_EQ(LargestDifference(parts, reference), 0) << "shift " << c.shift << ", first part " << c.first.x() << ","
                                                      << c.first.y();
  }
}

TEST(JpegDecoder, NoPictureOrADamagedOneIsKnown) {
  testsupport::TempDir dir("jpeg-bad");
  const std::string text = testsupport::writeFile(dir.file("t.jpg"), "not a picture");
  EXPECT_FALSE(JpegDecoder::ReadHeader(QString::fromStdString(text)));
  QImage img(640, 480, QImage::Format_RGB32);
  img.fill(Qt::darkGreen);
  const QString path = QString::fromStdString(dir.file("cut.jpg"));
  ASSERT_TRUE(img.save(path, "JPG"));
  // Cut in the middle of its data: the rows there are kept, the rest filled, as a browser shows it.
  std::string bytes = testsupport::readFile(path.toStdString());
  testsupport::writeFile(path.toStdString(), bytes.substr(0, bytes.size() / 2));
  const auto header = JpegDecoder::ReadHeader(path);
  ASSERT_TRUE(header);
  JpegDecoder decoder(path, *header, 0, QRect(0, 0, 320, 240));
  decoder.WaitFor(decoder.image().rect());
  const QRgb top = decoder.image().pixel(10, 10);
  EXPECT_LT(std::abs(qGreen(top) - qGreen(qRgb(0, 128, 0))), 12);
}

}  // namespace
