// labels: gui x11
// The hover-leave test on a real X display: the window under the pointer is asked of the X
// server, where another window may cover the control.
#include <gtest/gtest.h>

#include "controls/ImageButton.h"
#include "controls/TestHost.h"
#include "controls/TransArea.h"

namespace {

const char* kControls = R"(
  Begin ImageButton cmdGo
    Left = 20
    Top = 30
    Width = 120
    Height = 34
  End
  Begin TransArea lblPlay
    Left = 20
    Top = 100
    Width = 28
    Height = 28
    BorderStyle = 0
  End
)";

template <class C>
void EnterThenLeave(testhost::Window& w, C& c, QWidget* surface) {
  testhost::EventLog log;
  log.Hook(c);
  testhost::Pointer pointer;
  pointer.Over(surface);
  // The pointer is moved on the X server; its events come back when the server sends them.
  QTest::mouseMove(surface, QPoint(5, 5));
  QTest::mouseMove(surface, QPoint(6, 6));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !log.WithoutMoves().empty(); }, 10000));
  ASSERT_EQ(log.WithoutMoves(), std::vector<std::string>{"MouseEnter"});
  QTest::qWait(450);  // ticks that find the pointer still there
  EXPECT_EQ(log.WithoutMoves(), std::vector<std::string>{"MouseEnter"});

  // Another window over the control: the pointer is no longer over it.
  QWidget cover;
  cover.setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
  cover.setGeometry(QRect(surface->mapToGlobal(QPoint(0, 0)), QSize(150, 60)));
  cover.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&cover));
  ASSERT_TRUE(QTest::qWaitFor([&] { return log.WithoutMoves().size() == 2; }, 10000));
  EXPECT_EQ(log.WithoutMoves().back(), "MouseLeave");
  (void)w;
}

}  // namespace

TEST(SkinnedControlsOnX, ButtonAndAreaLeaveWhenCovered) {
  testhost::Window w(kControls);
  w.ShowNow();
  auto& btn = w.Ctl<zantiro::ImageButton>("cmdGo");
  QWidget* face = nullptr;
  for (QObject* o : btn.ClientWidget()->children())
    if (auto* f = dynamic_cast<vb::PictureBox*>(vb::ControlOf(qobject_cast<QWidget*>(o))))
      face = f->ClientWidget();
  ASSERT_NE(face, nullptr);
  EnterThenLeave(w, btn, face);
  auto& area = w.Ctl<zantiro::TransArea>("lblPlay");
  EnterThenLeave(w, area, area.ClientWidget());
}
