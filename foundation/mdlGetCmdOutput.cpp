#include "foundation/mdlGetCmdOutput.h"

#include <chrono>
#include <vector>

#include "foundation/frmOutput.h"

#include "foundation/mdlFenwoZantiro.h"
#include "platform/fs.h"
#include "platform/process.h"
#include "runtime/events.h"
#include "runtime/msgbox.h"
#include "runtime/numbers.h"
#include "runtime/strings.h"

namespace mdlGetCmdOutput {
namespace {

using mdlFenwoZantiro::LngText;

constexpr win::DWORD kReadSize = 2048;
constexpr win::DWORD kExitStopped = 3838;
// How long one pass waits for output or the end of the engine before it lets window events
// run again.
constexpr int kWaitMs = 20;
// How long the engine may write on after the pipe was drained; far less than it takes to fill
// the pipe even at the engine's fastest.
constexpr int kSettleMs = 1;

ProgressWindow* progressWindow = nullptr;

// One engine process with its output pipe; everything it opened is closed when it goes.
class EngineRun {
 public:
  ~EngineRun() {
    for (win::HANDLE h : {pi_.hProcess, pi_.hThread, readEnd_, writeEnd_})
      if (h) win::CloseHandle(h);
  }

  bool CreatePipe() {
    win::SECURITY_ATTRIBUTES sa;
    sa.nLength = 12;
    sa.lpSecurityDescriptor = nullptr;
    sa.bInheritHandle = 1;
    return win::CreatePipe(&readEnd_, &writeEnd_, &sa, kReadSize) != 0;
  }

  // A failed start is not reported: the exit code then cannot be read, and the loop ends
  // after one pass.
  void Start(const std::string& commandLine, bool showWindow) {
    win::SECURITY_ATTRIBUTES sa;
    sa.bInheritHandle = 1;
    win::STARTUPINFOA si;
    si.dwFlags = win::STARTF_USESHOWWINDOW | win::STARTF_USESTDHANDLES;
    si.wShowWindow = showWindow ? win::SW_SHOWNORMAL : win::SW_HIDE;
    si.hStdOutput = writeEnd_;
    si.hStdError = writeEnd_;
    win::CreateProcessA(nullptr, commandLine, &sa, &sa, 1, win::NORMAL_PRIORITY_CLASS, nullptr, nullptr,
                        &si, &pi_);
  }

  // Reads what the engine writes until it has ended and the pipe is empty, or until stop()
  // answers true; each chunk of at most 2048 bytes goes to onChunk in arrival order. Window
  // events run after every pass. Waiting output is read at once, so a chatty engine is never
  // held up; when the pipe is empty the pass sleeps on the pipe and the process for a moment
  // instead of spinning; and after a short read (the pipe drained) the engine gets a
  // millisecond to write more, so that a flood of small status lines is read in full chunks
  // rather than one wake-up per line.
  template <class OnChunk, class Stop>
  void ReadUntilEnd(OnChunk onChunk, Stop stop) {
    win::DWORD exitCode = 0;
    for (;;) {
      win::GetExitCodeProcess(pi_.hProcess, &exitCode);
      win::DWORD waiting = 0;
      const bool peeked = win::PeekNamedPipe(readEnd_, nullptr, 0, nullptr, &waiting, nullptr) != 0;
      const bool running = exitCode == win::STILL_ACTIVE;
      if (peeked && waiting >= 1) {
        win::DWORD got = 0;
        if (win::ReadFile(readEnd_, buffer_.data(), kReadSize, &got, nullptr) && got > 0)
          onChunk(win::ConsoleText(buffer_.data(), got));
        if (running && waiting < kReadSize) win::WaitForPipeOrExit(0, pi_.hProcess, kSettleMs);
      } else if (running) {
        win::WaitForPipeOrExit(readEnd_, pi_.hProcess, kWaitMs);
      }
      vb::DoEvents();
      if (stop()) break;
      if (!running && !(peeked && waiting >= 1)) break;
    }
  }

  void Terminate() { win::TerminateProcess(pi_.hProcess, kExitStopped); }

  // Whether the engine has ended by itself with exit code 0.
  bool EndedNormally() {
    win::DWORD code = win::STILL_ACTIVE;
    return pi_.hProcess && win::GetExitCodeProcess(pi_.hProcess, &code) && code == 0;
  }

 private:
  std::vector<char> buffer_ = std::vector<char>(kReadSize, '\0');
  win::HANDLE readEnd_ = 0;
  win::HANDLE writeEnd_ = 0;
  win::PROCESS_INFORMATION pi_;
};

// The developer console keeps the last 64 KiB of the engine's output: the conversions print
// tens of megabytes of status lines, which would grow the text box without end.
constexpr size_t kConsoleKeep = 65536;
// While a conversion runs the console shows its output at most this often, so that a flood
// of status lines does not wait on the text box.
constexpr auto kConsoleEvery = std::chrono::milliseconds(100);

std::string lastPart(const std::string& text) {
  if (text.size() <= kConsoleKeep) return text;
  size_t cut = text.size() - kConsoleKeep;
  while (cut < text.size() && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) ++cut;  // whole characters
  return text.substr(cut);
}

frmOutput& console() {
  frmOutput& f = frmOutput::Default();
  if (!f.Loaded()) vb::Load(f);
  return f;
}

void consoleOutput(const std::string& output) {
  frmOutput& f = console();
  const std::string shown = lastPart(output);
  f.txtOutput.Text(shown);
  // The caret at the end keeps the newest output in sight, however long the output grew.
  f.txtOutput.SelStart(vb::Len(shown));
}

// What a conversion writes, into the console as it comes.
class ConsoleMirror {
 public:
  void Add(const std::string& chunk) {
    if (text_.empty()) text_ = console().txtOutput.Text();
    text_ = lastPart(text_ + chunk);
    pending_ = true;
    if (std::chrono::steady_clock::now() - shown_ >= kConsoleEvery) Flush();
  }
  void Flush() {
    if (!pending_) return;
    consoleOutput(text_);
    pending_ = false;
    shown_ = std::chrono::steady_clock::now();
  }

 private:
  std::string text_;
  bool pending_ = false;
  std::chrono::steady_clock::time_point shown_{};
};

std::string consoleSpec(const std::string& commandLine) {
  return "目前的路徑 = " + win::GetCurrentDirectoryA() + vb::vbCrLf + commandLine;
}

int countOf(const std::string& text, const std::string& find) {
  const size_t first = text.find(find);
  if (first == std::string::npos) return 0;
  return text.rfind(find) != first ? 2 : 1;
}

// Progress of one conversion, from the chunks of output as they come.
class Progress {
 public:
  Progress(float startTime, float duration, bool series)
      : start_(startTime), duration_(duration), series_(series) {}

  void OnChunk(const std::string& chunk) {
    float t = 0;
    if (series_) {
      const int found = countOf(chunk, "Starting playback");
      if (found == 0) return;
      count_ += found;
      previous_ = percentage_;
      const int32_t frames = mdlFenwoZantiro::FrameCount;
      percentage_ = frames == 0 ? 99.0f : static_cast<float>(count_) * 100.0f / static_cast<float>(frames);
    } else {
      // The time after the first "V:", up to one decimal ("V:  12.3  ..." gives 12.3).
      const size_t v = chunk.find("V:");
      if (v == std::string::npos) return;
      const size_t dot = chunk.find('.', v + 2);
      if (dot == std::string::npos) return;
      const std::string timeText = vb::Trim(chunk.substr(v + 2, dot + 2 - (v + 2)));
      if (!vb::IsNumeric(timeText)) return;
      t = static_cast<float>(vb::Val(timeText));
      if (start_ > 0 && shift_ == 0) shift_ = vb::Round(t - start_, 2);
      previous_ = percentage_;
      percentage_ = duration_ == 0 ? 99.0f : (t - start_ - shift_) * 100.0f / duration_;
    }
    percentage_ = vb::Int(percentage_);
    if (percentage_ < 0) percentage_ = 0;
    if (percentage_ > 99) percentage_ = 99;
    if (percentage_ != previous_ && progressWindow) show(t);
  }

 private:
  void show(float t) {
    progressWindow->setProgressNote(percentage_);
    std::string note = " --> " + LngText[139] + " ";
    if (series_) {
      note += vb::CStr(count_) + " " + LngText[140];
    } else {
      note += mdlFenwoZantiro::FormatTime(t, 1, 1) + LngText[8];
      if (shift_ > 0.2f) note += " ( " + LngText[138] + " " + vb::CStr(shift_) + LngText[8] + " )";
    }
    progressWindow->SetProgressCaption(progressWindow->ProgressCaption() + note);
  }

  const float start_;
  const float duration_;
  const bool series_;
  int32_t count_ = 0;
  float shift_ = 0;
  float percentage_ = 0;
  float previous_ = 0;
};

}  // namespace

void SetProgressWindow(ProgressWindow* window) { progressWindow = window; }

std::string GetCmdOutput(std::string& commandLine, bool showWindow) {
  if (commandLine.empty()) return "";
  std::string output;
  {
    EngineRun run;
    if (!run.CreatePipe()) return "";
    run.Start(commandLine, showWindow);
    run.ReadUntilEnd([&](const std::string& chunk) { output += chunk; }, [] { return false; });
  }
  if (mdlFenwoZantiro::ShowConsole) {
    console().txtOutputSpec.Text(consoleSpec(commandLine));
    consoleOutput(output);
    frmOutput::Default().Show();
  }
  return output;
}

void RunEncode(std::string& commandLine, float startTime, float duration, bool& showWindow) {
  EngineEndedNormally = false;
  if (commandLine.empty()) return;
  {
    EngineRun run;
    if (!run.CreatePipe()) return;
    StopRequested = false;
    run.Start(commandLine, showWindow);
    ConsoleMirror mirror;
    if (mdlFenwoZantiro::ShowConsole) {
      console().txtOutputSpec.Text(consoleSpec(commandLine));
      console().txtOutput.Text("");
    }

    const bool series = progressWindow && win::IsFileMask(progressWindow->InputCaption(), "gif");
    Progress progress(startTime, duration == 0 ? mdlFenwoZantiro::OutLength : duration, series);
    run.ReadUntilEnd(
        [&](const std::string& chunk) {
          if (mdlFenwoZantiro::ShowConsole) mirror.Add(chunk);
          progress.OnChunk(chunk);
        },
        [] { return StopRequested; });
    if (StopRequested) {
      run.Terminate();
      vb::DoEvents();
    } else {
      EngineEndedNormally = run.EndedNormally();
    }
    if (mdlFenwoZantiro::ShowConsole) mirror.Flush();
  }
  if (mdlFenwoZantiro::ShowConsole) frmOutput::Default().Show();
  vb::DoEvents();
  if (StopRequested) {
    vb::MsgBox(LngText[45], vb::vbOKOnly);
    if (progressWindow) {
      progressWindow->SetEncodeButtonVisible(0, true);
      progressWindow->SetEncodeButtonVisible(1, false);
    }
  }
}

}  // namespace mdlGetCmdOutput
