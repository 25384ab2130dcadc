#include "Catalogues.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <stdexcept>

namespace lumvale::test {

namespace {

std::string PoQuote(const std::string& s) {
  std::string out = "\"";
  for (char c : s) {
    switch (c) {
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      default:
        out += c;
    }
  }
  return out + "\"";
}

void PutWord(QByteArray& bytes, int at, uint32_t v) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = char(v >> (8 * i));
}

uint32_t GetWord(const QByteArray& bytes, int at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | uint8_t(bytes[at + i]);
  return v;
}

}  // namespace

void WriteBytes(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) {
    throw std::runtime_error("cannot write " + path.toStdString());
  }
}

QByteArray CompileCatalogue(const Messages& messages, const std::string& header) {
  std::string po = "msgid \"\"\nmsgstr " + PoQuote(header) + "\n\n";
  for (const auto& [id, str] : messages)
    po += "msgid " + PoQuote(id) + "\nmsgstr " + PoQuote(str) + "\n\n";
  QTemporaryDir dir;
  WriteBytes(dir.filePath("c.po"), QByteArray::fromStdString(po));
  QProcess msgfmt;
  msgfmt.start("msgfmt", {"-o", dir.filePath("c.mo"), dir.filePath("c.po")});
  if (!msgfmt.waitForFinished() || msgfmt.exitCode() != 0) {
    throw std::runtime_error("msgfmt failed: " + msgfmt.readAllStandardError().toStdString());
  }
  QFile f(dir.filePath("c.mo"));
  f.open(QIODevice::ReadOnly);
  return f.readAll();
}

QString LargestSystemCatalogue() {
  QString best;
  qint64 bestSize = 0;
  for (const char* name : {"coreutils.mo", "gettext-tools.mo", "libc.mo", "apt.mo", "bash.mo"}) {
    for (const char* language : {"de", "fr", "it", "es"}) {
      const QFileInfo info(
          QStringLiteral("/usr/share/locale/%1/LC_MESSAGES/%2").arg(language, name));
      if (info.isFile() && info.size() > bestSize) {
        bestSize = info.size();
        best = info.filePath();
      }
    }
  }
  return best;
}

QByteArray BuildCatalogue(const Messages& messages) {
  const auto n = int(messages.size());
  const int o = 28, t = o + 8 * n, strings = t + 8 * n;
  QByteArray bytes(strings, '\0');
  PutWord(bytes, 0, 0x950412de);
  PutWord(bytes, 8, uint32_t(n));
  PutWord(bytes, 12, uint32_t(o));
  PutWord(bytes, 16, uint32_t(t));
  for (int i = 0; i < n; ++i) {
    for (int k = 0; k < 2; ++k) {
      const std::string& s = k == 0 ? messages[size_t(i)].first : messages[size_t(i)].second;
      PutWord(bytes, (k == 0 ? o : t) + 8 * i, uint32_t(s.size()));
      PutWord(bytes, (k == 0 ? o : t) + 8 * i + 4, uint32_t(bytes.size()));
      bytes.append(s.data(), qsizetype(s.size()));
      bytes.append('\0');
    }
  }
  return bytes;
}

QByteArray BigEndianTwin(const QByteArray& le) {
  QByteArray be = le;
  auto swap = [&](int at) {
    for (int i = 0; i < 4; ++i) be[at + i] = le[at + 3 - i];
  };
  const uint32_t n = GetWord(le, 8), o = GetWord(le, 12), t = GetWord(le, 16);
  const uint32_t hashSize = GetWord(le, 20), hash = GetWord(le, 24);
  for (int at = 0; at < 28; at += 4) swap(at);
  for (uint32_t i = 0; i < 2 * n; ++i) {
    swap(int(o + 4 * i));
    swap(int(t + 4 * i));
  }
  for (uint32_t i = 0; i < hashSize; ++i) swap(int(hash + 4 * i));
  return be;
}

namespace {

// Reads a run of po string literals ("..." "...") starting at pos.
std::string ReadPoString(const QStringList& lines, int& pos, const QString& keyword) {
  std::string out;
  QString line = lines[pos].mid(keyword.size()).trimmed();
  for (;;) {
    const QByteArray lit = line.toUtf8();
    for (int i = 1; i + 1 < lit.size(); ++i) {
      if (lit[i] != '\\') {
        out += lit[i];
        continue;
      }
      const char e = lit[++i];
      switch (e) {
        case 'n':
          out += '\n';
          break;
        case 't':
          out += '\t';
          break;
        case 'r':
          out += '\r';
          break;
        case 'a':
          out += '\a';
          break;
        case 'b':
          out += '\b';
          break;
        case 'f':
          out += '\f';
          break;
        case 'v':
          out += '\v';
          break;
        default:
          out += e;
      }
    }
    if (pos + 1 < lines.size() && lines[pos + 1].startsWith(u'"')) {
      line = lines[++pos];
    } else {
      return out;
    }
  }
}

}  // namespace

Messages Unformat(const QString& moPath) {
  QProcess p;
  p.start("msgunfmt", {"--no-wrap", moPath});
  if (!p.waitForFinished(60000) || p.exitCode() != 0) throw std::runtime_error("msgunfmt failed");
  const QStringList lines = QString::fromUtf8(p.readAllStandardOutput()).split(u'\n');
  Messages out;
  bool context = false, plural = false;
  std::string id;
  for (int i = 0; i < lines.size(); ++i) {
    const QString& l = lines[i];
    if (l.startsWith("msgctxt ")) context = true;
    if (l.startsWith("msgid_plural ")) plural = true;
    if (l.startsWith("msgid ")) id = ReadPoString(lines, i, "msgid ");
    if (l.startsWith("msgstr ")) {
      const std::string str = ReadPoString(lines, i, "msgstr ");
      if (!context && !plural) out.emplace_back(id, str);
      context = plural = false;
    }
    if (l.startsWith("msgstr[")) context = plural = false;
  }
  return out;
}

}  // namespace lumvale::test
