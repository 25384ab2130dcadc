#include "TestInstallation.h"

#include <cstdlib>
#include <cstring>

namespace lumvale::test {

Environment::Environment(std::initializer_list<std::pair<const char*, const char*>> values) {
  for (const char* name : {"LANG", "LC_ALL", "LC_MESSAGES"}) {
    const char* old = std::getenv(name);
    saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
    ::unsetenv(name);
  }
  for (const auto& [name, value] : values) ::setenv(name, value, 1);
}

Environment::~Environment() {
  for (const auto& [name, value] : saved_) {
    if (value) {
      ::setenv(name, value->c_str(), 1);
    } else {
      ::unsetenv(name);
    }
  }
}

Installation::Installation()
    : Installation({{"Run", "Starten"},
                    {"two\nlines", "zwei\nZeilen"},
                    {"&Yes", "&Ja"},
                    {"Done", "Fertig"},
                    {"Cancel", "Abbrechen"},
                    {"Ctrl+", "Strg+"}},
                   {{"Run", "Avvia"}}) {}

Installation::Installation(const Messages& german, const Messages& italian) {
  exe_ = dir_.filePath("lumvale");
  QByteArray bytes(1000, 'E');
  const QByteArray de = CompileCatalogue(german);
  const QByteArray it = CompileCatalogue(italian);
  const qsizetype deAt = bytes.size();
  bytes += de;
  const qsizetype itAt = bytes.size();
  bytes += it;
  bytes.resize((bytes.size() + 255) / 256 * 256, '\0');
  table_ = uint64_t(bytes.size());
  const std::pair<const char*, std::pair<qsizetype, qsizetype>> entries[] = {
      {"locale\\de\\LC_MESSAGES\\default.mo", {deAt, de.size()}},
      {"locale\\it\\LC_MESSAGES\\default.mo", {itAt, it.size()}}};
  for (const auto& [name, where] : entries) {
    const qsizetype at = bytes.size();
    bytes.resize(at + 256, ' ');
    auto put = [&](qsizetype p, uint64_t v) {
      for (int i = 0; i < 8; ++i) bytes[p + i] = char(v >> (8 * i));
    };
    put(at, uint64_t(at + 256));
    put(at + 8, uint64_t(where.first));
    put(at + 16, uint64_t(where.second));
    std::memcpy(bytes.data() + at + 24, name, std::strlen(name));
  }
  bytes.append(8, '\0');
  WriteBytes(exe_, bytes);
}

}  // namespace lumvale::test
