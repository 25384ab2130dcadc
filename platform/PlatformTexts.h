#pragma once

#include <QString>

namespace lumvale {

// The platform layer's own user-visible texts (file errors, the terminal's question) are English,
// marked N_ for the catalogues. The translator lives in a layer above; while the localization is
// set up it installs its translation here, and the platform asks through TranslatePlatformText.

// Returns the translation of an English UTF-8 text, or the text itself.
using TPlatformTextTranslator = QString (*)(const char* text);

// Installs translator (nullptr: none); returns the one installed before.
TPlatformTextTranslator SetPlatformTextTranslator(TPlatformTextTranslator translator);

// text in the user's language through the installed translator; the English text without one.
// Any thread may ask: the translator decides which threads get translations.
QString TranslatePlatformText(const char* text);

}  // namespace lumvale
