#include "runtime/msgbox.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

#include "runtime/app.h"
#include "runtime/qt.h"

namespace vb {
namespace {
BoxHook& hook() {
  static BoxHook h;
  return h;
}

QString q(const std::string& s) { return QString::fromStdString(s); }

QMessageBox::Icon iconOf(int buttons) {
  switch (buttons & 0x70) {
    case vbCritical: return QMessageBox::Critical;
    case vbQuestion: return QMessageBox::Question;
    case vbExclamation: return QMessageBox::Warning;
    case vbInformation: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
  }
}

// A window manager elides a title that is wider than the window under it: a short prompt gets
// a box wide enough for its title beside the frame's icon and buttons.
void FitTitle(QMessageBox& box, const QString& title) {
  auto* grid = qobject_cast<QGridLayout*>(box.layout());
  if (!grid) return;
  QFont bold = box.font();
  bold.setBold(true);
  // A window manager's title face may be larger than ours; the icon and three buttons beside it
  // take about a title bar's height each.
  const QFontMetrics fm(bold);
  const QMargins m = grid->contentsMargins();
  const int width = fm.horizontalAdvance(title) * 5 / 4 + 7 * fm.height() - m.left() - m.right();
  grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(), 0, 1,
                grid->columnCount());
}
}  // namespace

void SetBoxHook(BoxHook h) { hook() = std::move(h); }

int MsgBox(const std::string& prompt, int buttons, const std::string& title) {
  const std::string caption = title.empty() ? App::Title() : title;
  if (hook()) return hook()({false, prompt, caption, "", buttons}).button;

  struct Choice { int answer; QMessageBox::StandardButton button; };
  std::vector<Choice> choices;
  switch (buttons & 7) {
    case vbOKCancel: choices = {{vbOK, QMessageBox::Ok}, {vbCancel, QMessageBox::Cancel}}; break;
    case vbAbortRetryIgnore:
      choices = {{vbAbort, QMessageBox::Abort}, {vbRetry, QMessageBox::Retry}, {vbIgnore, QMessageBox::Ignore}};
      break;
    case vbYesNoCancel:
      choices = {{vbYes, QMessageBox::Yes}, {vbNo, QMessageBox::No}, {vbCancel, QMessageBox::Cancel}};
      break;
    case vbYesNo: choices = {{vbYes, QMessageBox::Yes}, {vbNo, QMessageBox::No}}; break;
    case vbRetryCancel: choices = {{vbRetry, QMessageBox::Retry}, {vbCancel, QMessageBox::Cancel}}; break;
    default: choices = {{vbOK, QMessageBox::Ok}}; break;
  }
  QMessageBox box(iconOf(buttons), q(caption), q(prompt), QMessageBox::NoButton, BoxOwner());
  for (const auto& c : choices) box.addButton(c.button);
  const size_t def = (buttons & vbDefaultButton3) ? 2 : (buttons & vbDefaultButton2) ? 1 : 0;
  if (def < choices.size()) box.setDefaultButton(choices[def].button);
  if (buttons & vbSystemModal) box.setWindowFlag(Qt::WindowStaysOnTopHint);
  FitTitle(box, q(caption));
  const auto pressed = static_cast<QMessageBox::StandardButton>(box.exec());
  for (const auto& c : choices)
    if (c.button == pressed) return c.answer;
  // Closing the box answers its cancel button where it has one.
  for (const auto& c : choices)
    if (c.answer == vbCancel || c.answer == vbNo) return c.answer;
  return choices.front().answer;
}

std::string InputBox(const std::string& prompt, const std::string& title, const std::string& defaultText) {
  const std::string caption = title.empty() ? App::Title() : title;
  if (hook()) return hook()({true, prompt, caption, defaultText, 0}).text;
  bool ok = false;
  const QString text = QInputDialog::getText(BoxOwner(), q(caption), q(prompt),
                                             QLineEdit::Normal, q(defaultText), &ok);
  return ok ? text.toStdString() : std::string();
}

}  // namespace vb
