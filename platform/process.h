// Processes, anonymous pipes and handles, named after the system calls the programs make.
// A HANDLE is a small number naming an open pipe end or a started process; 0 names nothing.
#pragma once
#include <cstdint>
#include <string>

namespace win {

using HANDLE = std::intptr_t;
using DWORD = std::uint32_t;
using BOOL = std::int32_t;  // 1 for success, 0 for failure, as the calls answer

constexpr DWORD STILL_ACTIVE = 259;
constexpr DWORD STARTF_USESHOWWINDOW = 0x1;
constexpr DWORD STARTF_USESTDHANDLES = 0x100;
constexpr DWORD NORMAL_PRIORITY_CLASS = 0x20;
constexpr DWORD DUPLICATE_CLOSE_SOURCE = 0x1;
constexpr DWORD DUPLICATE_SAME_ACCESS = 0x2;
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;

struct SECURITY_ATTRIBUTES {
  DWORD nLength = 12;
  void* lpSecurityDescriptor = nullptr;
  BOOL bInheritHandle = 0;
};

struct STARTUPINFOA {
  DWORD cb = 68;
  DWORD dwFlags = 0;
  std::uint16_t wShowWindow = 0;  // no console windows here: not used
  HANDLE hStdInput = 0;
  HANDLE hStdOutput = 0;
  HANDLE hStdError = 0;
};

struct PROCESS_INFORMATION {
  HANDLE hProcess = 0;
  HANDLE hThread = 0;
  DWORD dwProcessId = 0;
  DWORD dwThreadId = 0;
};

// The calling process, for DuplicateHandle.
HANDLE GetCurrentProcess();

// An anonymous pipe. The size is a suggestion; the pipe holds at least the system's default.
BOOL CreatePipe(HANDLE* readEnd, HANDLE* writeEnd, const SECURITY_ATTRIBUTES* attributes, DWORD size);

// A second handle to the same pipe end or process, within the calling process only.
BOOL DuplicateHandle(HANDLE sourceProcess, HANDLE source, HANDLE targetProcess, HANDLE* target,
                     DWORD desiredAccess, BOOL inheritHandle, DWORD options);

// Starts a program without a shell. The command line is split as cmdline.h says; an unquoted
// program path may hold blanks. A name without "/" is looked up on PATH. The child gets the
// standard handles of the start-up record when it has STARTF_USESTDHANDLES (a handle of 0 gives
// /dev/null), else this process's own. No other handle reaches the child. environment: nullptr
// for this process's environment, else a block of "NAME=value" texts each ended by NUL and the
// block by a second NUL. currentDirectory: nullptr for this process's current folder.
// A failed start answers 0 and leaves the process information all 0.
BOOL CreateProcessA(const char* applicationName, const std::string& commandLine,
                    const SECURITY_ATTRIBUTES* processAttributes, const SECURITY_ATTRIBUTES* threadAttributes,
                    BOOL inheritHandles, DWORD creationFlags, const void* environment,
                    const char* currentDirectory, const STARTUPINFOA* startupInfo,
                    PROCESS_INFORMATION* processInformation);

// Bytes waiting in a pipe. Only the count can be asked for: buffer must be nullptr. Fails when
// the pipe is empty and its write ends are all closed.
BOOL PeekNamedPipe(HANDLE pipe, void* buffer, DWORD bufferSize, DWORD* bytesRead, DWORD* totalBytesAvail,
                   DWORD* bytesLeftThisMessage);

// Reads up to `size` bytes; waits until at least one byte is there. Fails at the end of the pipe.
BOOL ReadFile(HANDLE file, void* buffer, DWORD size, DWORD* bytesRead, void* overlapped);

// Writes all bytes. Fails (without a signal) when nobody reads the pipe any more.
BOOL WriteFile(HANDLE file, const void* buffer, DWORD size, DWORD* bytesWritten, void* overlapped);

// STILL_ACTIVE while the process runs; then its exit code (128 + signal number when a signal
// ended it, the given code when TerminateProcess did).
BOOL GetExitCodeProcess(HANDLE process, DWORD* exitCode);

// Ends the process at once; it then reports exitCode. Fails when it had already ended.
BOOL TerminateProcess(HANDLE process, DWORD exitCode);

// Closes a handle; a second close of the same handle fails and does nothing else. A process
// that is still running when its last handle closes runs on and is reaped when it ends.
BOOL CloseHandle(HANDLE handle);

// Waits until the pipe has bytes waiting (or its write ends are closed), the process has ended,
// or timeoutMs has passed. Either handle may be 0. Answers true unless the time ran out.
bool WaitForPipeOrExit(HANDLE pipe, HANDLE process, int timeoutMs);

// Bytes read from a console program's output as the programs expect them: the engine they were
// written for ended its lines in CR LF (its output was text-mode), so every LF becomes CR LF.
std::string ConsoleText(const char* bytes, size_t count);

// Open handles of this process (for checks that nothing is left behind).
int OpenHandleCount();

// Test seam: make the n-th next call of one kind fail (1 = the very next); 0 clears it.
// ShortRead makes a ReadFile succeed with fewer bytes than asked for (one, when more were).
enum class FailingCall { CreatePipe, DuplicateHandle, CreateProcess, ReadFile, ShortRead };
void FailNthCall(FailingCall call, int n);

}  // namespace win
