#include "Version.h"

#include <gtest/gtest.h>

#include <QString>
#include <QStringList>

using namespace lumvale;

// The web site's number and the parts are one version: the one "major.minor.patch" that the
// user reads.
TEST(Version, TheNumberAndThePartsAreTheVersionTheUserReads) {
  const QStringList parts = QString::fromLatin1(kVersion).split(u'.');
  ASSERT_EQ(parts.size(), 3) << kVersion;
  EXPECT_EQ(parts[0].toInt(), kVersionMajor);
  EXPECT_EQ(parts[1].toInt(), kVersionMinor);
  EXPECT_EQ(parts[2].toInt(), kVersionPatch);
  EXPECT_EQ(QString::number(kVersionNumber),
            parts[0] + parts[1].rightJustified(2, u'0') + parts[2].rightJustified(2, u'0'));
}
