// The slave engine: at most one long-lived engine process that reads commands on its standard
// input and writes answers and status lines to its standard output; and ending engines left
// over from an earlier run.
#pragma once
#include <cstdint>
#include <string>

namespace mdlConsole {

// The preview that shares the slave engine (the options window). It tells the play state and
// is stopped when the engine has gone or its output pipe fails.
class Preview {
 public:
  virtual ~Preview() = default;
  // The play state: "Play" or "Pause".
  virtual std::string PlayState() = 0;
  // Ends the engine (through KillEngine) and resets the preview.
  virtual void setStop(bool sliderTo0, bool noNeedUnloadFrmplayer) = 0;
};
// The options window registers itself here; nullptr when it goes.
void SetPreview(Preview* preview);

// Starts the engine (its window shown when showWindow or the developer console is on).
// 0 started; 1 command pipe, 2 output pipe, 4 duplicating the command end,
// 3 duplicating the output end, 5 starting the process. A failure leaves nothing open.
int32_t RunHidden(const std::string& commandLine, bool showWindow);

// Writes one command and a line feed ("pausing " first while the preview is paused, except for
// "frame_step" and "pause"; a colour or volume step or a question then keeps the paused frame).
// 0 written, 3 nothing written.
int32_t SendCommand(const std::string& command);

// What the engine has written since the last call. 0 read; 1 peek failed, 2 nothing waiting,
// 3 read failed, 4 fewer bytes read than waiting. A failed pipe, an ended engine and more
// than 32767 waiting bytes (nothing is read then) stop the preview.
int32_t ReadOutput(std::string& output);

bool IsRunning();

// Asks the engine's window to close, ends the process and closes every handle. Safe to call
// again, or without an engine.
void KillEngine();

// Finds the engine's own top-level window; keeps the last one found when there is none.
void FindEngineWindow();
void SetEngineTitle(const std::string& title);

// Ends every process of this user whose path contains the text (without regard to case);
// an empty text ends nothing.
void KillByModulePath(const std::string& pathText);

}  // namespace mdlConsole
