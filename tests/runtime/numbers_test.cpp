// labels: unit
#include "runtime/numbers.h"

#include <clocale>
#include <gtest/gtest.h>

using namespace vb;

TEST(Numbers, ValReadsTheLeadingNumber) {
  struct Case { const char* s; double want; };
  const Case cases[] = {
      {"12abc", 12},     {" 1.5", 1.5},       {"", 0},          {"abc", 0},
      {"&H10", 16},      {"&hff", 255},       {"&HFFFF", -1},   {"&H10000", 65536},
      {"&HFFFFFFFF", -1}, {"&O17", 15},       {"-15", -15},     {"+5", 5},
      {"1 2 3", 123},    {"- 5", -5},         {".5", 0.5},      {"1.5.3", 1.5},
      {"12.34\r\n", 12.34}, {"1e3", 1000},    {"2D2", 200},     {"1e", 1},
      {"3e+x", 3},       {"25.000", 25},      {"-", 0},         {"1,5", 1},
      {"1e999", 0},
  };
  for (const Case& c : cases) EXPECT_DOUBLE_EQ(Val(c.s), c.want) << '"' << c.s << '"';
}

TEST(Numbers, ValIgnoresTheLocale) {
  const char* old = std::setlocale(LC_NUMERIC, nullptr);
  const std::string saved = old ? old : "C";
  if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8") && !std::setlocale(LC_NUMERIC, "fr_FR.UTF-8"))
    GTEST_SKIP() << "no locale with a decimal comma installed";
  EXPECT_DOUBLE_EQ(Val("1.5"), 1.5);
  EXPECT_EQ(CStr(1.5f), "1.5");
  EXPECT_EQ(Format(0.25, "0.0"), "0.3");
  std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(Numbers, IsNumericWantsTheWholeText) {
  EXPECT_TRUE(IsNumeric("123"));
  EXPECT_TRUE(IsNumeric(" 12.5 "));
  EXPECT_TRUE(IsNumeric("-1e3"));
  EXPECT_TRUE(IsNumeric("&H1F"));
  EXPECT_TRUE(IsNumeric(".5"));
  EXPECT_FALSE(IsNumeric(""));
  EXPECT_FALSE(IsNumeric("  "));
  EXPECT_FALSE(IsNumeric("12a"));
  EXPECT_FALSE(IsNumeric("1 2"));
  EXPECT_FALSE(IsNumeric("."));
  EXPECT_FALSE(IsNumeric("&H"));
  EXPECT_FALSE(IsNumeric("123/123"));
}

TEST(Numbers, DefaultTextOfSingle) {
  struct Case { float x; const char* want; };
  const Case cases[] = {
      {0.1f, "0.1"},       {5.0f, "5"},           {-0.5f, "-0.5"},     {25.0f, "25"},
      {1.0f / 3, "0.3333333"}, {12.34f, "12.34"}, {0.0001f, "0.0001"}, {0.00001f, "1E-05"},
      {1234567.0f, "1234567"}, {12345678.0f, "1.234568E+07"}, {-1.5e-7f, "-1.5E-07"},
      {0.0f, "0"},         {-0.0f, "0"},          {65.5f, "65.5"},     {2.675f, "2.675"},
      {1e10f, "1E+10"},    {9999999.5f, "1E+07"},
  };
  for (const Case& c : cases) EXPECT_EQ(CStr(c.x), c.want) << c.x;
}

TEST(Numbers, DefaultTextOfDoubleAndWholeNumbers) {
  EXPECT_EQ(CStr(0.1), "0.1");
  EXPECT_EQ(CStr(1.0 / 3), "0.333333333333333");
  EXPECT_EQ(CStr(123456789012345.0), "123456789012345");
  EXPECT_EQ(CStr(1e15), "1E+15");
  EXPECT_EQ(CStr(1e-100), "1E-100");
  EXPECT_EQ(CStr(int32_t{-15}), "-15");
  EXPECT_EQ(CStr(int64_t{4000000000}), "4000000000");
  EXPECT_EQ(CStr(true), "True");
}

TEST(Numbers, WholeNumberConversionsRoundHalvesToEven) {
  struct Case { double x; int32_t want; };
  const Case cases[] = {{0.5, 0}, {1.5, 2}, {2.5, 2}, {-2.5, -2}, {-1.5, -2}, {2.51, 3},
                        {-0.4, 0}, {1e12, 2147483647}, {-1e12, -2147483647 - 1}};
  for (const Case& c : cases) EXPECT_EQ(CLng(c.x), c.want) << c.x;
  EXPECT_EQ(CInt(3.5), 4);
  EXPECT_EQ(CInt(40000.0), 32767);
  EXPECT_EQ(CLng(std::numeric_limits<double>::quiet_NaN()), 0);
}

TEST(Numbers, IntFloorsFixTruncates) {
  EXPECT_EQ(Int(-0.1), -1.0);
  EXPECT_EQ(Int(1.9), 1.0);
  EXPECT_EQ(Fix(-1.9), -1.0);
  EXPECT_EQ(Fix(1.9f), 1.0f);
  EXPECT_EQ(Int(-2.0f), -2.0f);
}

TEST(Numbers, RoundHalvesToEven) {
  struct Case { double x; int n; double want; };
  const Case cases[] = {{2.5, 0, 2}, {3.5, 0, 4}, {-2.5, 0, -2}, {0.125, 2, 0.12},
                        {0.375, 2, 0.38}, {1.2345, 2, 1.23}, {65.5, 0, 66}, {12.3456, 3, 12.346}};
  for (const Case& c : cases) EXPECT_DOUBLE_EQ(Round(c.x, c.n), c.want) << c.x << " " << c.n;
  EXPECT_FLOAT_EQ(Round(1.4f - 0.2f, 2), 1.2f);
}

TEST(Numbers, FormatWithMasks) {
  struct Case { double x; const char* mask; const char* want; };
  const Case cases[] = {
      {0.25, "0.0", "0.3"},   {0.35, "0.0", "0.4"},   {1.96, "0.0", "2.0"},  {5, "0.0", "5.0"},
      {0, "0.0", "0.0"},      {-1.25, "0.0", "-1.3"}, {-0.01, "0.0", "0.0"}, {7, "00", "07"},
      {123, "00", "123"},     {9.5, "00", "10"},      {0.5, "#.0", ".5"},    {1.5, "#.##", "1.5"},
      {99.96, "0.0", "100.0"}, {3, "0.00", "3.00"},   {12.34, "0", "12"},    {5, "0 s", "5 s"},
  };
  for (const Case& c : cases) EXPECT_EQ(Format(c.x, c.mask), c.want) << c.x << " " << c.mask;
  // A Single is taken with its own 7 digits: 0.35f is 0.3499999940... as a Double.
  EXPECT_EQ(Format(0.35f, "0.0"), "0.4");
  EXPECT_EQ(Format(static_cast<double>(0.35f), "0.0"), "0.3");
}
