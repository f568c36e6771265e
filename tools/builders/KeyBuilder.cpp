#include "builders/KeyBuilder.hpp"

#include "builders/Bytes.hpp"

namespace trovex::build {

std::string MakeKey(const std::vector<KeyArchive>& archives, const std::vector<KeyResource>& resources) {
  constexpr std::uint32_t kHeaderSize = 24;
  const auto archiveTable = kHeaderSize;
  auto namesAt = static_cast<std::uint32_t>(archiveTable + 12 * archives.size());
  std::string names;
  std::string out = "KEY V1  ";
  PutU32(out, static_cast<std::uint32_t>(archives.size()));
  PutU32(out, static_cast<std::uint32_t>(resources.size()));
  PutU32(out, archiveTable);
  PutU32(out, 0);  // resource table offset, set below
  for (const auto& archive : archives) {
    PutU32(out, archive.length);
    PutU32(out, namesAt + static_cast<std::uint32_t>(names.size()));
    PutU16(out, static_cast<std::uint16_t>(archive.name.size() + 1));
    PutU16(out, archive.flags);
    names += archive.name;
    names.push_back('\0');
  }
  out += names;
  SetU32(out, 20, static_cast<std::uint32_t>(out.size()));
  for (const auto& resource : resources) {
    std::string resref = resource.resref.substr(0, 8);
    resref.resize(8, '\0');
    out += resref;
    PutU16(out, resource.type);
    PutU32(out, resource.locator);
  }
  return out;
}

std::vector<std::string> AwkwardResourceNames() {
  std::vector<std::string> names = {"A\\B", "A/B", "A:B", "A*B", "A?B", "A\"B", "A<B", "A>B", "A|B", "A%B", "A%42",
                                    std::string("A\tB"), "A\x7F", "\xC9T\xC9", "\x80\xFF", "DOT.", "DOTS..", "BLANK ",
                                    ". .", "A.B", "CON", "con", "Prn", "AUX", "NUL", "NUL.X", "CON ", "CONX", "COM0",
                                    "LPT", "COM10", "A B"};
  for (const char* device : {"COM", "LPT"}) {
    for (char digit = '1'; digit <= '9'; ++digit) names.push_back(std::string(device) + digit);
  }
  return names;
}

}  // namespace trovex::build
