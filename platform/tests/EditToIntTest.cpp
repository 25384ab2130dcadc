#include "EditToInt.h"

#include <gtest/gtest.h>

#include <QLocale>

using lumvale::EditToInt;

namespace {

const struct Case {
  const char* text;
  int32_t inC, inGerman, inFrench;
} kCases[] = {
    {"800", 800, 800, 800},
    {"  640 ", 640, 640, 640},
    {"-640", -640, -640, -640},
    {"+12", 12, 12, 12},
    {"1,000", 1000, 1, 1},
    {"1.000", 1, 1000, 1},
    {"1.234.567", 0, 1234567, 0},
    {"1 000", 0, 0, 1000},
    {"1\u202f000", 0, 0, 1000},
    {"2.5", 2, 2, 2},
    {"3.5", 4, 4, 4},
    {"2,5", 0, 2, 2},
    {"3,5", 0, 4, 4},
    {"-2.6", -3, -3, -3},
    {"-2,6", 0, -3, -3},
    {"", 0, 0, 0},
    {"abc", 0, 0, 0},
    {"12abc", 0, 0, 0},
    {"0x10", 0, 0, 0},
    {"2147483647", 2147483647, 2147483647, 2147483647},
    {"2147483648", 0, 0, 0},
    {"-2147483648", -2147483647 - 1, -2147483647 - 1, -2147483647 - 1},
    {"1e3", 1000, 1000, 1000},
    {"nan", 0, 0, 0},
    {"inf", 0, 0, 0},
};
}  // namespace

// What a user may type into a number edit, read in three locales: the C locale, German (groups
// of "." and a decimal ","), and French (groups of a narrow no-break space, which a typed blank
// stands for, and a decimal ","). What the user's locale does not read is tried as the C locale
// writes numbers.
TEST(EditToInt, AcceptsWhatTheUserMayTypeAndNothingElse) {
  const QLocale c = QLocale::c(), de(QStringLiteral("de_DE")), fr(QStringLiteral("fr_FR"));

  for (const Case& k : kCases) {
    const QString text = QString::fromUtf8(k.text);
    EXPECT_EQ(EditToInt(text, c), k.inC) << "C: " << k.text;
    EXPECT_EQ(EditToInt(text, de), k.inGerman) << "de_DE: " << k.text;
    EXPECT_EQ(EditToInt(text, fr), k.inFrench) << "fr_FR: " << k.text;
  }
}

// The program's edits read numbers the way the user's own locale writes them, whichever it is
// (ctest runs this in the C, German and French locales).
TEST(EditToInt, TheEditsReadTheUsersLocale) {
  const QLocale system = QLocale::system();
  EXPECT_EQ(EditToInt(system.toString(1234567)), 1234567) << system.name().toStdString();
  EXPECT_EQ(EditToInt(system.toString(-2.5, 'f', 1)), -2) << system.name().toStdString();
  EXPECT_EQ(EditToInt(system.toString(3.5, 'f', 1)), 4) << system.name().toStdString();
  // Every text of the table as the column of the user's locale says.
  int32_t Case::*column = nullptr;
  switch (system.language()) {
    case QLocale::C:
    case QLocale::English:
      if (system.groupSeparator() == QLatin1String(",")) column = &Case::inC;
      break;
    case QLocale::German:
      column = &Case::inGerman;
      break;
    case QLocale::French:
      column = &Case::inFrench;
      break;
    default:
      break;
  }
  if (!column) GTEST_SKIP() << "no column of the table for " << system.name().toStdString();
  for (const Case& k : kCases) {
    EXPECT_EQ(EditToInt(QString::fromUtf8(k.text)), k.*column)
        << system.name().toStdString() << ": " << k.text;
  }
}
