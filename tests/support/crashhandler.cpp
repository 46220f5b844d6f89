// A process that dies of a fault (or aborts) tells where. Built into every test program, and preloaded
// (LD_PRELOAD) into every program a test starts, so the programs, the engine shim and the engine
// report too: on a fatal signal it writes <FENWO_CRASH_DIR>/crash-<pid>.txt with the signal's name,
// the program, and the stack of every thread as gdb reads it from the living process (glibc's
// backtrace where gdb cannot), then the process dies of the same signal as before.
//
// Everything the handler needs is prepared at start: in the handler only calls that are safe
// there (no allocation, no locks).
#include "support/crashhandler.h"

#include <execinfo.h>
#include <fcntl.h>
#include <signal.h>
#include <string.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGTRAP, SIGSYS};

char dir[1024];
char gdb[256];
char pidText[24];
char* gdbArgs[16];
char gdbEnvPath[] = "PATH=/usr/bin:/bin";
char gdbEnvLang[] = "LANG=C";
char* gdbEnv[] = {gdbEnvPath, gdbEnvLang, nullptr};
alignas(16) char altStack[1 << 16];
volatile sig_atomic_t reporting = 0;

void put(int fd, const char* s) {
  for (size_t n = strlen(s); n > 0;) {
    const ssize_t w = write(fd, s, n);
    if (w <= 0) return;
    s += w;
    n -= static_cast<size_t>(w);
  }
}

// Decimal or hexadecimal text of a number, into buf (at least 24 bytes).
const char* number(unsigned long v, char* buf, unsigned base = 10) {
  char* p = buf + 23;
  *p = '\0';
  do {
    const unsigned d = static_cast<unsigned>(v % base);
    *--p = static_cast<char>(d < 10 ? '0' + d : 'a' + d - 10);
    v /= base;
  } while (v);
  return p;
}

// gdb reads the stacks from outside; a child made without the fork handlers (the process may
// have died holding a lock they take), bounded in time.
bool gdbStacks(int fd) {
  if (!gdb[0]) return false;
  prctl(PR_SET_PTRACER, PR_SET_PTRACER_ANY, 0, 0, 0);
  const long child = syscall(SYS_clone, SIGCHLD, 0, 0, 0, 0);
  if (child < 0) return false;
  if (child == 0) {
    dup2(fd, 1);
    dup2(fd, 2);
    execve(gdb, gdbArgs, gdbEnv);
    _exit(127);
  }
  int status = 0;
  for (int waited = 0; waited < 600; ++waited) {  // 30 s
    if (waitpid(static_cast<pid_t>(child), &status, WNOHANG) == child)
      return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    const timespec step{0, 50 * 1000 * 1000};
    nanosleep(&step, nullptr);
  }
  kill(static_cast<pid_t>(child), SIGKILL);
  waitpid(static_cast<pid_t>(child), &status, 0);
  return false;
}

void report(int sig, siginfo_t* info, void*) {
  // A fault, or an abort (a failed check, an uncaught exception); a signal another process
  // sent on purpose is no crash.
  const bool fault = info->si_code > 0 || sig == SIGABRT;
  if (fault && !reporting) {
    reporting = 1;
    char num[24], path[1100], done[1100];
    strcpy(pidText, number(static_cast<unsigned long>(getpid()), num));
    strcpy(path, dir);
    strcat(path, "/crash-");
    strcat(path, pidText);
    strcpy(done, path);
    strcat(path, ".part");
    strcat(done, ".txt");
    const int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd >= 0) {
      char exe[512] = "?";
      const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
      if (n > 0) exe[n] = '\0';
      put(fd, exe);
      put(fd, " (pid ");
      put(fd, pidText);
      put(fd, ") died of SIG");
      const char* name = sigabbrev_np(sig);
      put(fd, name ? name : number(static_cast<unsigned>(sig), num));
      if (sig == SIGSEGV || sig == SIGBUS || sig == SIGFPE || sig == SIGILL) {
        put(fd, " at address 0x");
        put(fd, number(reinterpret_cast<unsigned long>(info->si_addr), num, 16));
      }
      put(fd, "\n");
      if (!gdbStacks(fd)) {
        put(fd, "stack (glibc):\n");
        void* frames[64];
        backtrace_symbols_fd(frames, backtrace(frames, 64), fd);
      }
      close(fd);
      rename(path, done);
      // And into the process's own error output, where a test's log shows it.
      const int in = open(done, O_RDONLY | O_CLOEXEC);
      char buf[4096];
      for (ssize_t got; in >= 0 && (got = read(in, buf, sizeof buf)) > 0;)
        if (write(2, buf, static_cast<size_t>(got)) < 0) break;
      if (in >= 0) close(in);
    }
  }
  // A fault comes back when the handler returns, now with the default action; a signal that
  // was sent is sent again.
  signal(sig, SIG_DFL);
  if (info->si_code <= 0) raise(sig);
}

// gdb on the PATH, as an absolute path for execve.
void findGdb() {
  const char* path = getenv("PATH");
  if (!path) path = "/usr/bin:/bin";
  while (*path) {
    const char* end = strchr(path, ':');
    const size_t len = end ? static_cast<size_t>(end - path) : strlen(path);
    if (len > 0 && len + 5 < sizeof gdb) {
      memcpy(gdb, path, len);
      strcpy(gdb + len, "/gdb");
      if (access(gdb, X_OK) == 0) return;
    }
    path += len + (end ? 1 : 0);
  }
  gdb[0] = '\0';
}

}  // namespace

extern "C" void fenwo_crash_handler_install() {
  const char* d = getenv("FENWO_CRASH_DIR");
  if (!d || !*d || strlen(d) >= sizeof dir) return;
  strcpy(dir, d);
  findGdb();
  static char a0[] = "gdb", a1[] = "-batch", a2[] = "-nx", a3[] = "-q", a4[] = "-iex",
              a5[] = "set debuginfod enabled off", a6[] = "-p", a8[] = "-ex",
              a9[] = "thread apply all bt 40";
  char* args[] = {a0, a1, a2, a3, a4, a5, a6, pidText, a8, a9, nullptr};
  memcpy(gdbArgs, args, sizeof args);
  // The first backtrace loads what it needs; in the handler it must not.
  void* frames[2];
  backtrace(frames, 2);
  stack_t ss{};
  ss.ss_sp = altStack;
  ss.ss_size = sizeof altStack;
  sigaltstack(&ss, nullptr);  // a stack that overflowed still gets its report
  struct sigaction sa {};
  sa.sa_sigaction = report;
  sa.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_RESETHAND;
  sigemptyset(&sa.sa_mask);
  for (int s : kSignals) sigaction(s, &sa, nullptr);
}

// Preloaded into a program: installed before its main. A program that installs handlers of its
// own (the engine does) keeps them.
#ifndef FENWO_NO_CRASH_HANDLER
__attribute__((constructor)) static void installAtLoad() { fenwo_crash_handler_install(); }
#endif
