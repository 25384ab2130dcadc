#pragma once

// Catalogues made at test time: compiled by msgfmt from a small po text, or written byte by byte
// for damaged ones.

#include <QByteArray>
#include <QString>

#include <string>
#include <utility>
#include <vector>

namespace lumvale::test {

using Messages = std::vector<std::pair<std::string, std::string>>;

// "Content-Type: text/plain; charset=UTF-8" header plus the messages, compiled by msgfmt.
QByteArray CompileCatalogue(
    const Messages& messages,
    const std::string& header = "Content-Type: text/plain; charset=UTF-8\n");
// Little-endian catalogue bytes laid out by hand, msgids sorted as given.
QByteArray BuildCatalogue(const Messages& messages);
// The same catalogue with every 32-bit field big-endian.
QByteArray BigEndianTwin(const QByteArray& littleEndian);

void WriteBytes(const QString& path, const QByteArray& bytes);

// The largest of a few catalogues that Debian installs under /usr/share/locale (coreutils,
// gettext, libc, apt, bash in German, French, Italian or Spanish); empty when none is there.
QString LargestSystemCatalogue();

// msgid and msgstr of every entry without context or plural in msgunfmt's output of a catalogue.
Messages Unformat(const QString& moPath);

}  // namespace lumvale::test
