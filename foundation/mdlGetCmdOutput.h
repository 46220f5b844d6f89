// The engine runner: runs one engine command line as a hidden child process to its end, its
// standard output and error read through one pipe, keeping the windows alive meanwhile.
#pragma once
#include <string>

namespace mdlGetCmdOutput {

// Set to False when a conversion run starts, to True by Stop Now; stays True after a stopped
// run so that the caller can tell it from a finished one.
inline bool StopRequested = false;
// True after a conversion run whose engine ran to its own end with exit code 0; False when it
// could not start, failed, was ended from outside or was stopped.
inline bool EngineEndedNormally = false;

// What a conversion run touches in the main window; the main window implements it.
class ProgressWindow {
 public:
  virtual ~ProgressWindow() = default;
  virtual void setProgressNote(float value) = 0;
  virtual std::string ProgressCaption() = 0;              // lblProgress
  virtual void SetProgressCaption(const std::string& caption) = 0;
  virtual std::string InputCaption() = 0;                 // lblInput
  virtual void SetEncodeButtonVisible(int index, bool visible) = 0;  // cmdEncode(0) / (1)
};
// The main window registers itself here; nullptr when it goes.
void SetProgressWindow(ProgressWindow* window);

// Everything the engine writes until it ends; "" when the command line is empty or nothing
// could be run.
std::string GetCmdOutput(std::string& commandLine, bool showWindow);

// Runs a conversion, showing its progress in the main window, until it ends or Stop Now is
// pressed (the engine then ends with exit code 3838). duration 0 means OutLength.
void RunEncode(std::string& commandLine, float startTime, float duration, bool& showWindow);

}  // namespace mdlGetCmdOutput
