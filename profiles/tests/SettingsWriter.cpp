// Helper of the settings file test: writes generation after generation of a profile through the
// section store until it is killed.
#include "SectionStore.h"

#include <QCoreApplication>

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QSettings file(QString::fromLocal8Bit(argv[1]), QSettings::IniFormat);
  lumvale::TSectionStore profiles(file, QStringLiteral("profiles"));
  for (int generation = 1;; ++generation) {
    // One save of many values: the file must show all of one generation or all of another.
    for (int k = 0; k < 40; ++k) {
      profiles.WriteInteger(QStringLiteral("default"), QStringLiteral("value%1").arg(k),
                            generation);
    }
    profiles.WriteInteger(QStringLiteral("default"), QStringLiteral("generation"), generation);
    profiles.Commit();
  }
}
