// labels: unit
#include "platform/shellexec.h"

#include <gtest/gtest.h>

#include "platform/process.h"

namespace {

// Only the answers that reach no desktop handler: a missing document and an unknown verb.
TEST(ShellExecute, WhatCannotBeOpened) {
  EXPECT_EQ(win::ShellExecuteA(0, "open", "/no/such/help.chm", "", "", 1), 2);
  EXPECT_EQ(win::ShellExecuteA(0, "open", "help.chm", "", "/no/such", 1), 2);
  EXPECT_EQ(win::ShellExecuteA(0, "print", "/tmp", "", "", 1), 31);
}

TEST(ConsoleText, LinesEndInCrLf) {
  const std::string raw = "ID_LENGTH=4.00\nV:   1.0 \033[J\r\n\nExiting...";
  EXPECT_EQ(win::ConsoleText(raw.data(), raw.size()), "ID_LENGTH=4.00\r\nV:   1.0 \033[J\r\r\n\r\nExiting...");
  EXPECT_EQ(win::ConsoleText("", 0), "");
}

}  // namespace
