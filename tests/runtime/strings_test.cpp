// labels: unit
#include "runtime/strings.h"

#include <gtest/gtest.h>

using namespace vb;

TEST(Strings, LengthAndSlicesCountCharacters) {
  const std::string s = "a\xE4\xB8\xAD" "b\xC3\xA9";  // a 中 b é
  EXPECT_EQ(Len(s), 4);
  EXPECT_EQ(Len(""), 0);
  EXPECT_EQ(Left(s, 2), "a\xE4\xB8\xAD");
  EXPECT_EQ(Right(s, 2), "b\xC3\xA9");
  EXPECT_EQ(Mid(s, 2, 1), "\xE4\xB8\xAD");
  EXPECT_EQ(Mid(s, 3), "b\xC3\xA9");
  // Out-of-range arguments clamp instead of failing.
  EXPECT_EQ(Left(s, 0), "");
  EXPECT_EQ(Left(s, 99), s);
  EXPECT_EQ(Right(s, 99), s);
  EXPECT_EQ(Mid(s, 9), "");
  EXPECT_EQ(Mid(s, 4, 99), "\xC3\xA9");
  EXPECT_EQ(Mid("abc", 0, 2), "ab");
  // A stray byte is one character of its own.
  EXPECT_EQ(Len("a\xFF" "b"), 3);
  EXPECT_EQ(Mid("a\xFF" "b", 3), "b");
}

TEST(Strings, InStrFindsByCharacterPosition) {
  struct Case { int start; const char* s; const char* find; int want; };
  const Case cases[] = {
      {1, "ID_LENGTH=12.34\r\n", "\r", 16},
      {1, "abcabc", "c", 3},
      {4, "abcabc", "c", 6},
      {7, "abcabc", "c", 0},
      {1, "abc", "C", 0},   // binary compare: case counts
      {1, "", "a", 0},
      {2, "abc", "", 2},
      {1, "\xE4\xB8\xAD" "x", "x", 2},
  };
  for (const Case& c : cases) EXPECT_EQ(InStr(c.start, c.s, c.find), c.want) << c.s << " / " << c.find;
  EXPECT_EQ(InStr("a.b.c", "."), 2);
}

TEST(Strings, InStrRevLooksWithinTheFirstCharacters) {
  EXPECT_EQ(InStrRev("a/b/c.txt", "/"), 4);
  EXPECT_EQ(InStrRev("abcabc", "bc", 5), 2);
  EXPECT_EQ(InStrRev("abcabc", "bc", 6), 5);
  EXPECT_EQ(InStrRev("abc", "x"), 0);
  EXPECT_EQ(InStrRev("", "x"), 0);
  EXPECT_EQ(InStrRev("\xE4\xB8\xAD/\xE4\xB8\xAD/", "/"), 4);
}

TEST(Strings, TrimRemovesBlanksOnly) {
  EXPECT_EQ(Trim("  a b  "), "a b");
  EXPECT_EQ(LTrim("  a "), "a ");
  EXPECT_EQ(RTrim("  a "), "  a");
  EXPECT_EQ(Trim("\ta\r\n"), "\ta\r\n");
  EXPECT_EQ(Trim("   "), "");
}

TEST(Strings, CaseChangesKeepOtherCharacters) {
  EXPECT_EQ(LCase("C:/Clips/A.GIF"), "c:/clips/a.gif");
  EXPECT_EQ(UCase("gif"), "GIF");
  EXPECT_EQ(UCase("\xC3\xA9t\xC3\xA9"), "\xC3\x89T\xC3\x89");
  EXPECT_EQ(LCase("\xE4\xB8\xAD" "A"), "\xE4\xB8\xAD" "a");
  // Bytes that are not UTF-8 (a Latin-1 name) stay as they are.
  EXPECT_EQ(UCase("caf\xe9 \xc3\xa9t\xc3\xa9"), "CAF\xe9 \xc3\x89T\xc3\x89");
  EXPECT_EQ(LCase("\xff" "AB\xc3\x89"), "\xff" "ab\xc3\xa9");
}

TEST(Strings, ReplaceAndSplit) {
  EXPECT_EQ(Replace("aaa and aaa", "aaa", "x"), "x and x");
  EXPECT_EQ(Replace("aaa", "a", "aa"), "aaaaaa");  // no re-scan of inserted text
  EXPECT_EQ(Replace("abab", "ab", "", 1), "ab");
  EXPECT_EQ(Replace("abc", "", "x"), "abc");

  EXPECT_EQ(Split("a\r\nb\r\n", vbCrLf), (std::vector<std::string>{"a", "b", ""}));
  EXPECT_EQ(Split("00:01:05.5", ":"), (std::vector<std::string>{"00", "01", "05.5"}));
  EXPECT_TRUE(Split("", ":").empty());
  EXPECT_EQ(Split("abc", ""), (std::vector<std::string>{"abc"}));
  EXPECT_EQ(Split("320x240"), (std::vector<std::string>{"320x240"}));
}

TEST(Strings, ChrAndAsc) {
  EXPECT_EQ(Chr(13) + Chr(10), vbCrLf);
  EXPECT_EQ(Chr(34), "\"");
  EXPECT_EQ(Chr(0x4E2D), "\xE4\xB8\xAD");
  EXPECT_EQ(Asc("\xE4\xB8\xAD"), 0x4E2D);
  EXPECT_EQ(Asc("A"), 65);
  EXPECT_EQ(Asc(""), 0);
  EXPECT_EQ(Chr(0), std::string(1, '\0'));
}

TEST(Strings, LikeMatchesPatterns) {
  struct Case { const char* s; const char* pattern; bool want; };
  const Case cases[] = {
      {"00:01:05.5", "##:[0-5]#:[0-5]#.#", true},
      {"99:59:59.9", "##:[0-5]#:[0-5]#.#", true},
      {"00:61:05.5", "##:[0-5]#:[0-5]#.#", false},
      {"00:01:05.55", "##:[0-5]#:[0-5]#.#", false},
      {"0:01:05.5", "##:[0-5]#:[0-5]#.#", false},
      {"a.GIF", "*.GIF", true},
      {"a.gif", "*.GIF", false},
      {"abc", "a?c", true},
      {"ac", "a?c", false},
      {"\xE4\xB8\xAD" "c", "?c", true},
      {"b", "[!a]", true},
      {"a", "[!a]", false},
      {"", "*", true},
      {"x", "[a", false},
      {"a-", "a[-]", true},
  };
  for (const Case& c : cases) EXPECT_EQ(Like(c.s, c.pattern), c.want) << c.s << " Like " << c.pattern;
}
