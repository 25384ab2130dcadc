// The catalogue reader on arbitrary bytes: opening, then lookups of the catalogue's own msgids,
// of the empty msgid and of slices of the input.
#include "FuzzFiles.h"
#include "GnuGettextErrors.h"
#include "MoFile.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QString path = WriteFuzzFile("catalogue.mo", data, size);
  try {
    const lumvale::TMoFile mo(path, 0, 0);
    size_t sink = 0;
    for (uint32_t i = 0; i < mo.EntryCount() && i < 200; ++i) {
      const std::string msgid(mo.MsgidAt(i));
      sink += mo.Lookup(msgid).bytes.size();
    }
    sink += mo.Lookup({}).bytes.size();
    for (size_t at = 0; at + 4 <= size && at < 64; at += 4) {
      sink += mo.Lookup(std::string_view(reinterpret_cast<const char*>(data) + at,
                                         size - at < 12 ? size - at : 12))
                  .bytes.size();
    }
    if (sink == 1) return 0;
  } catch (const lumvale::EGGIOError&) {
  }
  return 0;
}
