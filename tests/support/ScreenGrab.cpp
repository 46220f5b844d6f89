#include "support/ScreenGrab.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPixmap>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QScreen>
#include <QStandardPaths>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "platform/x11window.h"
#include "support/paths.h"

namespace testsupport::screen {
namespace fs = std::filesystem;

QImage Screen() {
  QScreen* s = QGuiApplication::primaryScreen();
  if (!s) return {};
  return s->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
}

QImage Area(const QRect& r) {
  QScreen* s = QGuiApplication::primaryScreen();
  if (!s) return {};
  const QRect in = r.intersected(s->geometry());
  if (in.isEmpty()) return {};
  return s->grabWindow(0, in.x(), in.y(), in.width(), in.height()).toImage().convertToFormat(QImage::Format_RGB32);
}

double Share(const QImage& img, const std::function<bool(QRgb)>& test) {
  if (img.isNull()) return 0;
  long n = 0;
  for (int y = 0; y < img.height(); ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
    for (int x = 0; x < img.width(); ++x)
      if (test(row[x])) ++n;
  }
  return static_cast<double>(n) / (static_cast<double>(img.width()) * img.height());
}

double BlackShare(const QImage& img) {
  return Share(img, [](QRgb p) { return qRed(p) < 16 && qGreen(p) < 16 && qBlue(p) < 16; });
}

double Mean(const QImage& img) {
  if (img.isNull()) return 0;
  double sum = 0;
  for (int y = 0; y < img.height(); ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
    for (int x = 0; x < img.width(); ++x) sum += (qRed(row[x]) + qGreen(row[x]) + qBlue(row[x])) / 3.0;
  }
  return sum / (static_cast<double>(img.width()) * img.height());
}

double ColourShare(const QImage& img, QRgb c, int tol) {
  return Share(img, [c, tol](QRgb p) {
    return std::abs(qRed(p) - qRed(c)) <= tol && std::abs(qGreen(p) - qGreen(c)) <= tol &&
           std::abs(qBlue(p) - qBlue(c)) <= tol;
  });
}

bool WaitForChange(const QRect& r, const QImage& before, int ms) {
  return WaitUntil([&] {
    const QImage now = Area(r);
    if (now.size() != before.size()) return false;
    long differ = 0;
    for (int y = 0; y < now.height(); ++y)
      for (int x = 0; x < now.width(); ++x) differ += now.pixel(x, y) != before.pixel(x, y);
    return differ * 10 > static_cast<long>(now.width()) * now.height();
  }, ms);
}

std::string Keep(const QImage& img, const std::string& name) {
  const std::string path = (fs::temp_directory_path() / ("fenwo-screen-" + name + ".png")).string();
  img.save(QString::fromStdString(path));
  return path;
}

namespace {
// A tool's standard output, or empty when it failed.
QString Run(const QString& tool, const QStringList& args, int ms = 15000) {
  QProcess p;
  p.start(tool, args);
  if (!p.waitForStarted()) return {};
  WaitUntil([&] { return p.state() == QProcess::NotRunning; }, ms);
  if (p.state() != QProcess::NotRunning) {
    p.kill();
    p.waitForFinished();
    return {};
  }
  return p.exitCode() == 0 ? QString::fromUtf8(p.readAllStandardOutput()) : QString();
}

// The client area of a window from xwininfo (which answers the window itself, not a frame).
QRect Geometry(unsigned long id) {
  const QString info = Run("xwininfo", {"-id", QString::number(id)});
  auto field = [&](const char* name) {
    const QRegularExpression re(QString(name) + R"(:\s+(-?\d+))");
    const auto m = re.match(info);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
  };
  return QRect(field("Absolute upper-left X"), field("Absolute upper-left Y"), field("Width"), field("Height"));
}
}  // namespace

QRect Place(unsigned long id) { return Geometry(id); }

std::vector<Window> Windows(const QString& titleRegex) {
  std::vector<Window> out;
  QProcess p;
  p.start("xdotool", {"search", "--onlyvisible", "--name", titleRegex});
  if (!p.waitForStarted()) return out;
  WaitUntil([&] { return p.state() == QProcess::NotRunning; }, 15000);
  for (const QString& line : QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts)) {
    Window w;
    w.id = line.trimmed().toULong();
    w.rect = Geometry(w.id);
    if (w.id && w.rect.width() > 1) out.push_back(w);
  }
  return out;
}

Window Find(const QString& titleRegex, QSize size) {
  for (const Window& w : Windows(titleRegex))
    if (size.isEmpty() || w.rect.size() == size) return w;
  return {};
}

Window WaitForWindow(const QString& titleRegex, QSize size, int ms) {
  Window found;
  WaitUntil([&] {
    found = Find(titleRegex, size);
    return found.id != 0;
  }, ms);
  return found;
}

bool WaitUntil(const std::function<bool()>& done, int ms) { return QTest::qWaitFor(done, ms); }

bool Xdo(const QStringList& words) {
  QProcess p;
  p.start("xdotool", words);
  if (!p.waitForStarted()) return false;
  WaitUntil([&] { return p.state() == QProcess::NotRunning; });
  return p.state() == QProcess::NotRunning && p.exitCode() == 0;
}

bool ClickAt(QPoint at, int button) {
  return Xdo({"mousemove", QString::number(at.x()), QString::number(at.y()), "sleep", "0.1", "click",
              QString::number(button)});
}

bool Keys(const QStringList& keys) {
  QStringList words{"key", "--delay", "80"};
  words += keys;
  return Xdo(words);
}

Compositor::~Compositor() {
  if (p_.state() == QProcess::NotRunning) return;
  p_.terminate();
  if (!p_.waitForFinished(5000)) p_.kill();
  p_.waitForFinished();
  WaitUntil([] { return !Composited(); }, 5000);
}

bool Compositor::Start(std::string& why) {
  if (QStandardPaths::findExecutable("xcompmgr").isEmpty()) {
    why = "needs xcompmgr";
    return false;
  }
  p_.start("xcompmgr", {});
  if (!p_.waitForStarted()) {
    why = "xcompmgr did not start";
    return false;
  }
  if (!WaitUntil([] { return Composited(); }, 10000)) {
    why = "xcompmgr did not take the screen";
    return false;
  }
  return true;
}

bool Composited() { return win::x11::CompositingManager(); }

Program::Program(const std::string& exe) : exe_(exe) {
  std::string tmpl = (fs::temp_directory_path() / "fenwo-screen-XXXXXX").string();
  root_ = mkdtemp(tmpl.data()) ? tmpl : std::string();
  folder_ = root_ + "/app";
  fs::create_directories(folder_ + "/plugins");
  fs::create_directories(root_ + "/run");
  fs::permissions(root_ + "/run", fs::perms::owner_all);
  fs::copy_file(appDir() + "/" + exe, folder_ + "/" + exe);
  fs::copy_file(enginePath(), folder_ + "/plugins/FenwoRes1.exe");
}

Program::~Program() {
  if (p_.state() != QProcess::NotRunning) {
    p_.terminate();
    if (!p_.waitForFinished(5000)) p_.kill();
    p_.waitForFinished();
  }
  std::error_code ec;
  fs::remove_all(root_, ec);
}

void Program::Settings(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& l : lines) text += l + "\r\n";
  writeFile(folder_ + "/" + exe_ + ".ini", text);
}

bool Program::Start(const QStringList& args) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "xcb");
  env.insert("XDG_RUNTIME_DIR", QString::fromStdString(root_ + "/run"));
  p_.setProcessEnvironment(env);
  p_.setProcessChannelMode(QProcess::MergedChannels);
  p_.setWorkingDirectory(QString::fromStdString(folder_));
  p_.start(QString::fromStdString(folder_ + "/" + exe_), args);
  return p_.waitForStarted();
}

void Program::BeforeExec(const std::function<void()>& f) { p_.setChildProcessModifier(f); }

bool Program::Running() const { return p_.state() == QProcess::Running; }

std::string Program::Output() { return p_.readAll().toStdString(); }

}  // namespace testsupport::screen
