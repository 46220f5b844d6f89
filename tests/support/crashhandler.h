// The fatal-signal report of a process (see crashhandler.cpp): installed when FENWO_CRASH_DIR
// names a folder, also by itself when the handler is preloaded into a program.
#pragma once

extern "C" void fenwo_crash_handler_install();
