// The archive resource kinds that extraction can write, chosen per run.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace trovex {

enum ExtractKind : unsigned {
  kindWav = 1u << 0,
  kindBmp = 1u << 1,
  kindMve = 1u << 2,
  kindImage = 1u << 3,
  kindMos = 1u << 4,
};
using KindSet = unsigned;
inline constexpr KindSet kAllKinds = kindWav | kindBmp | kindMve | kindImage | kindMos;

struct KindName {
  ExtractKind kind;
  const char* name;  // as the command line and the window name it
};
inline constexpr KindName kKindNames[] = {
    {kindWav, "wav"}, {kindBmp, "bmp"}, {kindMve, "mve"}, {kindImage, "image"}, {kindMos, "mos"},
};

// Parses a comma-separated list of kind names; nothing when a name is unknown.
std::optional<KindSet> ParseKinds(std::string_view list);

}  // namespace trovex
