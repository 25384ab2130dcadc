#include "EditToInt.h"

#include <gtest/gtest.h>

#include <QLocale>

using lumvale::EditToInt;

TEST(EditToInt, AcceptsWhatTheUserMayTypeAndNothingElse) {
  QLocale::setDefault(QLocale::c());
  const struct {
    const char* text;
    int32_t value;
  } cases[] = {{"800", 800},   {"  640 ", 640},    {"-640", -640},   {"+12", 12},
               {"1,000", 1000}, {"2.5", 2},        {"3.5", 4},       {"-2.6", -3},
               {"", 0},         {"abc", 0},        {"12abc", 0},     {"0x10", 0},
               {"2147483647", 2147483647},         {"2147483648", 0}, {"-2147483648", -2147483647 - 1},
               {"1e3", 1000},  {"nan", 0},         {"inf", 0}};
  for (const auto& c : cases) EXPECT_EQ(EditToInt(QString::fromUtf8(c.text)), c.value) << c.text;
}
