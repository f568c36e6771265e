#include <cstdio>
#include <string>

#include "benchdata/BenchData.hpp"
#include "builders/KeyBuilder.hpp"
#include "framework/Errors.hpp"
#include "framework/SafeOutput.hpp"

namespace trovex::benchdata {

// The archive is the eighth of sixteen in the archive table, as a big game's
// index holds many; the other archives' resources come before and after its
// own, so that finding them takes a pass over the whole table.
int MakeKey(const std::vector<std::string>& args) {
  if (args.size() != 4) {
    std::fprintf(stderr, "usage: trovex-benchdata key OUT ARCHIVE ENTRIES RESOURCES\n");
    return 2;
  }
  constexpr std::uint32_t kArchives = 16, kOwnArchive = 7;
  const auto entries = static_cast<std::uint32_t>(std::stoul(args[2]));
  const auto total = static_cast<std::uint32_t>(std::stoul(args[3]));
  if (entries > total || entries > 0x4000) {
    throw EConvertError("key: ENTRIES must be at most RESOURCES and 16384");
  }
  std::vector<build::KeyArchive> archives;
  for (std::uint32_t a = 0; a < kArchives; ++a) {
    archives.push_back({a == kOwnArchive ? "data\\" + args[1] : Format("data\\Other%02u.bif", a)});
  }
  std::vector<build::KeyResource> resources;
  resources.reserve(total);
  const std::uint32_t others = total - entries;
  for (std::uint32_t i = 0; i <= others; ++i) {
    if (i == others / 2) {
      for (std::uint32_t e = 0; e < entries; ++e) {
        resources.push_back({Format("SPCH%04X", e), 4, build::KeyLocator(kOwnArchive, e)});
      }
    }
    if (i == others) break;
    const std::uint32_t archive = i % (kArchives - 1);
    resources.push_back(
        {Format("OTH%05u", i), 4, build::KeyLocator(archive < kOwnArchive ? archive : archive + 1, i % 0x4000)});
  }
  WriteWholeFile(args[0], build::MakeKey(archives, resources));
  return 0;
}

}  // namespace trovex::benchdata
