// labels: unit
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/locale.h"

namespace {

TEST(Locale, CodePageOfEachLanguage) {
  struct Case { const char* locale; const char* page; };
  const Case cases[] = {
      {"zh_CN.UTF-8", "936"}, {"zh_SG", "936"},         {"zh_TW.UTF-8", "950"},
      {"zh_HK.UTF-8", "950"}, {"zh_MO", "950"},         {"en_US.UTF-8", "1252"},
      {"de_DE@euro", "1252"}, {"C", "1252"},            {"POSIX", "1252"},
      {"C.UTF-8", "1252"},    {"ja_JP.UTF-8", "932"},   {"ko_KR.UTF-8", "949"},
      {"ru_RU.UTF-8", "1251"}, {"pl_PL", "1250"},       {"el_GR", "1253"},
      {"hi_IN", "0"},
  };
  for (const auto& c : cases) {
    std::string data(16, ' ');
    const int n = win::GetLocaleInfoA(c.locale, win::LOCALE_IDEFAULTANSICODEPAGE, data, 16);
    EXPECT_EQ(data.substr(0, data.find('\0')), c.page) << c.locale;
    EXPECT_EQ(n, static_cast<int>(std::string(c.page).size()) + 1) << c.locale;
  }
}

TEST(Locale, UnknownValueOrShortBufferLeavesData) {
  std::string data(16, ' ');
  EXPECT_EQ(win::GetLocaleInfoA("zh_TW", 0x1001, data, 16), 0);
  EXPECT_EQ(win::GetLocaleInfoA("zh_TW", win::LOCALE_IDEFAULTANSICODEPAGE, data, 3), 0);
  EXPECT_EQ(data, std::string(16, ' '));
}

TEST(Locale, MessagesLocaleFromTheEnvironment) {
  struct Case { const char *all, *messages, *lang, *expected; };
  const Case cases[] = {
      {"zh_TW.UTF-8", "en_US.UTF-8", "de_DE", "zh_TW.UTF-8"},
      {"", "zh_CN.UTF-8", "de_DE", "zh_CN.UTF-8"},
      {"", "", "de_DE", "de_DE"},
      {"", "", "", "C"},
  };
  for (const auto& c : cases) {
    setenv("LC_ALL", c.all, 1);
    setenv("LC_MESSAGES", c.messages, 1);
    setenv("LANG", c.lang, 1);
    EXPECT_EQ(win::GetThreadLocale(), c.expected);
  }
  unsetenv("LC_ALL");
  unsetenv("LC_MESSAGES");
  unsetenv("LANG");
  EXPECT_EQ(win::GetThreadLocale(), "C");
}

}  // namespace
