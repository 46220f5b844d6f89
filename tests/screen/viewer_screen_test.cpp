// labels: e2e x11
// The viewer as a user starts it (the built program with a picture), on a bare X display and under
// openbox: it opens centred on the screen, frame and all; its About menu and the About window
// opened from it are painted when they open.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <cstdio>
#include <cstdlib>

#include "platform/x11window.h"
#include "support/Desktop.h"
#include "support/paths.h"
#include "support/pngfile.h"

#include <QImage>
#include <QPainter>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace testsupport::screen;

class ViewerScreen : public DesktopTest {};

TEST_P(ViewerScreen, OpensCentredWithItsAboutMenuPainted) {
  Program app("Fenwo.Lumtak");
  ASSERT_TRUE(app.Start({QString::fromStdString(testsupport::media("pictures/png/p1.png"))}));
  // The caption tells the zoom once the window has taken the picture's size.
  const Window viewer = WaitForWindow("^ Fenwo\\.Lumtak .* %$");
  ASSERT_NE(viewer.id, 0u) << app.Output();

  int left = 0, top = 0, right = 0, bottom = 0;
  if (GetParam() == Desk::Openbox) {
    ASSERT_TRUE(win::x11::FrameExtents(viewer.id, left, top, right, bottom)) << "openbox tells the frame";
  }
  const QRect outer = viewer.rect.adjusted(-left, -top, right, bottom);
  const QPoint off = outer.center() - QGuiApplication::primaryScreen()->geometry().center();
  std::printf("[%s] viewer %dx%d at %d,%d (outer %dx%d at %d,%d): %d,%d from the screen's centre\n", DeskName().c_str(),
              viewer.rect.width(), viewer.rect.height(), viewer.rect.x(), viewer.rect.y(), outer.width(),
              outer.height(), outer.x(), outer.y(), off.x(), off.y());
  EXPECT_LE(std::abs(off.x()), 1) << "centred across";
  EXPECT_LE(std::abs(off.y()), 1) << "centred down";

  // The About menu of the menu bar, under its title; keys go to it once it is up.
  ASSERT_TRUE(ClickAt(viewer.rect.topLeft() + QPoint(27, 8)));
  const Window drop = WaitForMenu(app.Pid());
  ASSERT_NE(drop.id, 0u) << "the menu opens; on the screen:" << OnScreen() << "\n" << Keep(Screen(), "viewer-menu");
  EXPECT_LE(std::abs(drop.rect.left() - viewer.rect.left()), 8) << "under its title";
  const QImage menu = Area(drop.rect);
  std::printf("[%s] About menu: black share %.3f, mean %.1f\n", DeskName().c_str(), BlackShare(menu), Mean(menu));
  EXPECT_LT(BlackShare(menu), 0.2) << Keep(menu, "viewer-menu");

  // Its last item but one opens the About window.
  ASSERT_TRUE(Keys({"Up", "Up", "Return"}));
  const Window about = WaitForWindow("^ About Fenwo\\.Lumtak$");
  ASSERT_NE(about.id, 0u) << "the About window; on the screen:" << OnScreen() << "\n" << Keep(Screen(), "viewer-about");
  const QImage first = Area(about.rect);
  QImage now = first;
  const bool painted = WaitUntil([&] {
    now = Area(about.rect);
    return BlackShare(now) < 0.2;
  }, 3000);
  std::printf("[%s] About %dx%d: black share %.3f at its first grab, %.3f after; mean %.1f\n", DeskName().c_str(),
              about.rect.width(), about.rect.height(), BlackShare(first), BlackShare(now), Mean(now));
  EXPECT_TRUE(painted) << Keep(now, "viewer-about");
  win::x11::PostClose(about.id);
  EXPECT_TRUE(WaitUntil([] { return Find("^ About Fenwo\\.Lumtak$").id == 0; }));
}

// Camera-size pictures (48 megapixels), made once for every desktop: a JPEG and a PNG, each in
// a colour of its own with a grid, and a PNG whose header claims 65535 x 65535.
struct Photos {
  testsupport::TempDir dir{"viewer-photos"};
  std::string jpeg = dir.file("photo.jpg"), png = dir.file("photo.png"), claims = dir.file("claims.png");
  static constexpr QRgb kJpeg = 0xE07818, kPng = 0x188CA0;
  Photos() {
    for (const auto& [path, colour] : {std::pair{jpeg, kJpeg}, std::pair{png, kPng}}) {
      QImage img(8000, 6000, QImage::Format_RGB32);
      img.fill(colour);
      QPainter p(&img);
      for (int x = 0; x < img.width(); x += 500) p.fillRect(x, 0, 4, img.height(), Qt::white);
      p.end();
      EXPECT_TRUE(img.save(QString::fromStdString(path), nullptr, 90)) << path;
    }
    namespace png = testsupport::png;
    testsupport::writeFile(claims, png::Signature() + png::Ihdr(65535, 65535, 8, 2, 0) +
                                       png::Chunk("IDAT", png::Zlib(std::string(3, '\0'), png::Blocks::Stored)) +
                                       png::Chunk("IEND", ""));
  }
};
const Photos& TestPhotos() {
  static const auto photos = std::make_unique<Photos>();
  return *photos;
}

TEST_P(ViewerScreen, CameraSizePicturesShowTheirPixelsAndAHostileHeaderItsMessage) {
  const Photos& photos = TestPhotos();
  for (const auto& shownPicture : {std::pair{photos.jpeg, Photos::kJpeg}, std::pair{photos.png, Photos::kPng}}) {
    const std::string& path = shownPicture.first;
    const auto colour = shownPicture.second;
    Program app("Fenwo.Lumtak");
    ASSERT_TRUE(app.Start({QString::fromStdString(path)}));
    const Window viewer = WaitForWindow("^ Fenwo\\.Lumtak .* - 100 %$");
    ASSERT_NE(viewer.id, 0u) << path << ": " << app.Output();
    // Larger than the screen: the window fills the work area, the picture's top left in it.
    const QRect middle(viewer.rect.center() - QPoint(40, 40), QSize(80, 80));
    QImage seen;
    const bool shown = WaitUntil([&] {
      seen = Area(middle);
      return ColourShare(seen, colour, 24) > 0.9;
    });
    std::printf("[%s] %s: window %dx%d, its middle %.3f the picture's colour\n", DeskName().c_str(), path.c_str(),
                viewer.rect.width(), viewer.rect.height(), ColourShare(seen, colour, 24));
    EXPECT_TRUE(shown) << path << ": " << Keep(Screen(), "viewer-photo");
    EXPECT_GE(viewer.rect.width(), 640) << path;
  }

  // The picture that cannot be shown: the message box, painted, over the title state.
  Program app("Fenwo.Lumtak");
  ASSERT_TRUE(app.Start({QString::fromStdString(photos.claims)}));
  const Window box = WaitForWindow("^Fenwo\\.Lumtak$");
  ASSERT_NE(box.id, 0u) << app.Output() << Keep(Screen(), "viewer-claims");
  QImage painted;
  EXPECT_TRUE(WaitUntil([&] {
    painted = Area(box.rect);
    return BlackShare(painted) < 0.2;
  })) << Keep(painted, "viewer-claims-box");
  EXPECT_EQ(Find("^ Fenwo\\.Lumtak .* %$").id, 0u) << "no picture is shown";
}

// In a control group that leaves the viewer less memory than the 48-megapixel JPEG takes:
// the message, no black window.
TEST(ViewerMemory, APictureLargerThanTheMemoryLeftGivesTheMessage) {
  if (!win::x11::Available()) GTEST_SKIP() << "needs an X display";
  std::string group;
  for (const QString& line : QString::fromStdString(testsupport::readFile("/proc/self/cgroup")).split('\n'))
    if (line.section(':', 1, 1) == "memory") group = "/sys/fs/cgroup/memory" + line.section(':', 2).toStdString();
  const std::string cg = group + "/fenwo-viewer-" + std::to_string(getpid());
  if (group.empty() || mkdir(cg.c_str(), 0755) != 0) GTEST_SKIP() << "no memory control group can be made here";
  struct Removed {
    std::string path;
    ~Removed() { rmdir(path.c_str()); }
  } removed{cg};
  testsupport::writeFile(cg + "/memory.limit_in_bytes", "120000000");
  const std::string procs = cg + "/cgroup.procs";
  {
    Program app("Fenwo.Lumtak");
    app.BeforeExec([procs] {
      const std::string pid = std::to_string(getpid());
      const int fd = open(procs.c_str(), O_WRONLY);
      if (fd >= 0 && write(fd, pid.data(), pid.size()) > 0) close(fd);
    });
    ASSERT_TRUE(app.Start({QString::fromStdString(TestPhotos().jpeg)}));
    const Window box = WaitForWindow("^Fenwo\\.Lumtak$");
    EXPECT_NE(box.id, 0u) << app.Output() << Keep(Screen(), "viewer-memory");
    EXPECT_EQ(Find("^ Fenwo\\.Lumtak .* %$").id, 0u) << "no picture is shown";
  }
  // The group empties once the program has gone.
  WaitUntil([&] { return testsupport::readFile(procs).empty(); }, 5000);
}

INSTANTIATE_TEST_SUITE_P(Desktops, ViewerScreen, ::testing::Values(Desk::Bare, Desk::Openbox), DeskParamName);

}  // namespace
