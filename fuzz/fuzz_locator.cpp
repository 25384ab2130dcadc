// The embedded file table in an arbitrary "executable": the first 8 bytes of the input give the
// table's offset, the rest is the file. Every name found is looked up and its catalogue opened.
#include "FileLocator.h"
#include "FuzzFiles.h"
#include "GnuGettextErrors.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 8) return 0;
  uint64_t offset = 0;
  std::memcpy(&offset, data, 8);
  const QString path = WriteFuzzFile("lumvale", data + 8, size - 8);
  offset %= (size - 8) + 64;  // mostly inside the file, sometimes past its end
  lumvale::TFileLocator locator(path);
  locator.ScanEmbeddedFiles(offset);
  for (const QString& name : locator.EmbeddedNames()) {
    const QString full = locator.BaseDirectory() + QString(name).replace(u'\\', u'/');
    if (!locator.IsEmbedded(full)) __builtin_trap();  // a name found must be embedded
    try {
      lumvale::TMoFile& mo = locator.AcquireCatalogue(full);
      (void)mo.Lookup("Run");
      locator.ReleaseCatalogue(mo);
    } catch (const lumvale::EGGIOError&) {
    }
  }
  if (locator.OpenCatalogueCount() != 0) __builtin_trap();
  return 0;
}
