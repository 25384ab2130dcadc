#include "PlatformTexts.h"

#include <atomic>

namespace lumvale {

namespace {

// Atomic: a worker thread may ask while the GUI thread sets the localization up or tears it down.
std::atomic<TPlatformTextTranslator> gTranslator{nullptr};

}  // namespace

TPlatformTextTranslator SetPlatformTextTranslator(TPlatformTextTranslator translator) {
  return gTranslator.exchange(translator);
}

QString TranslatePlatformText(const char* text) {
  const TPlatformTextTranslator translator = gTranslator.load();
  return translator ? translator(text) : QString::fromUtf8(text);
}

}  // namespace lumvale
