// A folder as a phone's photos land on a computer: HEIC and AVIF beside JPEG, a phone's turned
// portrait, a HEIC saved under a JPEG name, and a damaged HEIC skipped and listed like a JPEG.
#include "BatchFixture.h"
#include "QtPrinters.h"
#include "TestHeif.h"

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>

using namespace lumvale;
using namespace lumvale::test;

TEST_F(BatchTest, HeifPhotosAreRunBesideJpegsAndADamagedOneIsSkipped) {
  QDir(dir.path()).mkpath("phone");
  Photo("phone/a.jpg", 64, 48);
  // Stored 64 x 48 and turned by the file, as phones write portraits.
  WriteFile(dir.filePath("phone/IMG_0002.HEIC"),
            EncodeHeif({.width = 64, .height = 48, .orientation = 6}));
  WriteFile(dir.filePath("phone/c.avif"), EncodeHeif({.width = 80, .height = 60, .av1 = true}));
  std::vector<uint8_t> cut = EncodeHeif({.width = 64, .height = 48});
  cut.resize(cut.size() / 2);
  WriteFile(dir.filePath("phone/d.heic"), cut);
  WriteFile(dir.filePath("phone/e.jpg"), EncodeHeif({.width = 40, .height = 30}));

  const QString out = dir.filePath("out");
  QDir().mkpath(out);
  w.edOutputPath->setEnabled(true);
  w.edOutputPath->setText(out);
  w.cbSkipErrors->setChecked(true);
  w.AddInputFolder(dir.filePath("phone"));
  w.UpdateControls();
  Run();

  QStringList written = QDir(out).entryList(QDir::Files, QDir::Name);
  EXPECT_EQ(written, (QStringList{"IMG_0002_small.jpg", "a_small.jpg", "c_small.jpg", "e_small.jpg"}));
  EXPECT_EQ(JpegSize(out + "/IMG_0002_small.jpg"), QSize(48, 64)) << "upright";
  EXPECT_EQ(JpegSize(out + "/c_small.jpg"), QSize(80, 60));
  EXPECT_EQ(JpegSize(out + "/e_small.jpg"), QSize(40, 30)) << "read by its content";
  ASSERT_EQ(dialogs.lists.size(), 1u);
  ASSERT_EQ(dialogs.lists[0].lines.size(), 1);
  const QString& line = dialogs.lists[0].lines[0];
  EXPECT_TRUE(line.startsWith(dir.filePath("phone/d.heic") + ": The HEIF file is damaged"))
      << line.toStdString();
  EXPECT_TRUE(std::find(status.begin(), status.end(), "Photos found: 5") != status.end());
}
