// labels: unit
#include <gtest/gtest.h>

#include <cstdlib>

#include "foundation/mdlLocaleLng.h"

namespace {

TEST(mdlLocaleLng, LanguageFromTheLocale) {
  struct Case { const char *locale, *lng; };
  const Case cases[] = {
      {"zh_CN.UTF-8", "gb"}, {"zh_SG.GB2312", "gb"}, {"zh_TW.UTF-8", "tw"}, {"zh_HK.UTF-8", "tw"},
      {"en_GB.UTF-8", "en"}, {"ja_JP.UTF-8", "en"},  {"fr_FR", "en"},       {"C", "en"},
  };
  unsetenv("LC_MESSAGES");
  unsetenv("LANG");
  for (const auto& c : cases) {
    setenv("LC_ALL", c.locale, 1);
    EXPECT_EQ(mdlLocaleLng::GetLocaleLng(), c.lng) << c.locale;
  }
  unsetenv("LC_ALL");
  setenv("LANG", "zh_TW.UTF-8", 1);
  EXPECT_EQ(mdlLocaleLng::GetLocaleLng(), "tw");
  unsetenv("LANG");
  EXPECT_EQ(mdlLocaleLng::GetLocaleLng(), "en");
}

TEST(mdlLocaleLng, TrimNull) {
  EXPECT_EQ(mdlLocaleLng::TrimNull(std::string("950\0  ", 6)), "950");
  EXPECT_EQ(mdlLocaleLng::TrimNull("    "), "    ");
  EXPECT_EQ(mdlLocaleLng::TrimNull(""), "");
}

}  // namespace
