// Appends files (the message catalogues) and the table that names them to a linked executable,
// and writes the table's offset behind the signature the executable carries:
//
//   lumvale-pack EXECUTABLE NAME=FILE...   append, NAME as the program will look it up
//   lumvale-pack --list EXECUTABLE         print what an executable carries
//
// Layout behind the image: the files one after the other, zero bytes up to a multiple of 256,
// one 256-byte entry per file (next entry, file offset, file size, all unsigned 64-bit
// little-endian, then the name padded with blanks), then 8 zero bytes that end the chain.
// An executable that already carries a table is refused. The result replaces the executable
// only once it is complete.
#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace {

// Assembled at run time, so that this tool's own file does not carry the characters as a block.
std::string Guid() {
  return std::string("6637DB2E-62E1-4A60-") + "AC19-C23867046A89";
}

constexpr size_t kEntrySize = 256;
constexpr size_t kNameField = kEntrySize - 24;

bool ReadFile(const std::string& path, std::vector<char>& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out.assign(std::istreambuf_iterator<char>(in), {});
  return true;
}

uint64_t GetU64(const std::vector<char>& bytes, size_t at) {
  uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = v << 8 | uint8_t(bytes[at + size_t(i)]);
  return v;
}

void PutU64(std::vector<char>& bytes, size_t at, uint64_t v) {
  for (int i = 0; i < 8; ++i) bytes[at + size_t(i)] = char(v >> (8 * i));
}

// The position of the 8 offset bytes behind the signature; fails unless it occurs exactly once.
bool FindSignature(const std::vector<char>& exe, size_t& at, std::string& error) {
  const std::string guid = Guid();
  const std::string_view all(exe.data(), exe.size());
  const size_t first = all.find(guid);
  if (first == std::string_view::npos) {
    error = "the executable carries no table signature";
    return false;
  }
  if (all.find(guid, first + 1) != std::string_view::npos) {
    error = "the table signature occurs more than once";
    return false;
  }
  at = first + guid.size();
  if (at + 8 > exe.size()) {
    error = "the table signature is cut short";
    return false;
  }
  return true;
}

// Reads an executable and finds its signature; reports why not on standard error.
bool Load(const std::string& path, std::vector<char>& exe, size_t& at) {
  std::string error;
  if (!ReadFile(path, exe)) {
    std::fprintf(stderr, "lumvale-pack: cannot read %s\n", path.c_str());
    return false;
  }
  if (!FindSignature(exe, at, error)) {
    std::fprintf(stderr, "lumvale-pack: %s: %s\n", path.c_str(), error.c_str());
    return false;
  }
  return true;
}

int List(const std::string& path) {
  std::vector<char> exe;
  size_t at = 0;
  if (!Load(path, exe, at)) return 1;
  uint64_t entry = GetU64(exe, at);
  if (entry == 0) std::printf("%s carries no embedded files\n", path.c_str());
  for (int n = 0; entry != 0 && entry + 24 <= exe.size() && n < 4096; ++n) {
    const uint64_t next = GetU64(exe, entry);
    if (next == 0 || next < entry + 24 || next > exe.size()) break;
    std::string name(exe.data() + entry + 24, next - entry - 24);
    name.erase(name.find_last_not_of(' ') + 1);
    std::printf("%s\t%llu bytes at %llu\n", name.c_str(),
                static_cast<unsigned long long>(GetU64(exe, entry + 16)),
                static_cast<unsigned long long>(GetU64(exe, entry + 8)));
    entry = next;
  }
  return 0;
}

int Pack(const std::string& path, const std::vector<std::string>& files) {
  std::vector<char> exe;
  size_t at = 0;
  if (!Load(path, exe, at)) return 1;
  if (GetU64(exe, at) != 0) {
    std::fprintf(stderr, "lumvale-pack: %s already carries embedded files\n", path.c_str());
    return 1;
  }
  struct Item {
    std::string name;
    uint64_t offset, size;
  };
  std::vector<Item> items;
  for (const std::string& file : files) {
    const size_t eq = file.find('=');
    std::vector<char> data;
    if (eq == std::string::npos || eq == 0 || !ReadFile(file.substr(eq + 1), data)) {
      std::fprintf(stderr, "lumvale-pack: cannot read %s (expected NAME=FILE)\n", file.c_str());
      return 1;
    }
    const std::string name = file.substr(0, eq);
    if (name.size() > kNameField) {
      std::fprintf(stderr, "lumvale-pack: name too long: %s\n", name.c_str());
      return 1;
    }
    items.push_back({name, exe.size(), data.size()});
    exe.insert(exe.end(), data.begin(), data.end());
  }
  exe.resize((exe.size() + kEntrySize - 1) / kEntrySize * kEntrySize, 0);
  const uint64_t first = exe.size();
  for (const Item& item : items) {
    const size_t entry = exe.size();
    exe.resize(entry + kEntrySize, ' ');
    PutU64(exe, entry, entry + kEntrySize);
    PutU64(exe, entry + 8, item.offset);
    PutU64(exe, entry + 16, item.size);
    std::memcpy(exe.data() + entry + 24, item.name.data(), item.name.size());
  }
  exe.resize(exe.size() + 8, 0);
  PutU64(exe, at, items.empty() ? 0 : first);

  struct stat info {};
  const mode_t mode = ::stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0755;
  const std::string temp = path + ".packing";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out.write(exe.data(), std::streamsize(exe.size()));
    if (!out.flush()) {
      std::remove(temp.c_str());
      std::fprintf(stderr, "lumvale-pack: cannot write %s\n", temp.c_str());
      return 1;
    }
  }
  if (::chmod(temp.c_str(), mode) != 0 || std::rename(temp.c_str(), path.c_str()) != 0) {
    std::remove(temp.c_str());
    std::fprintf(stderr, "lumvale-pack: cannot replace %s\n", path.c_str());
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string_view(argv[1]) == "--list") return List(argv[2]);
  if (argc >= 2 && argv[1][0] != '-')
    return Pack(argv[1], std::vector<std::string>(argv + 2, argv + argc));
  std::fprintf(stderr,
               "usage: lumvale-pack EXECUTABLE NAME=FILE...\n"
               "       lumvale-pack --list EXECUTABLE\n");
  return 2;
}
