#include "run/Kinds.hpp"

namespace trovex {

std::optional<KindSet> ParseKinds(std::string_view list) {
  KindSet kinds = 0;
  while (true) {
    const auto comma = list.find(',');
    const std::string_view name = list.substr(0, comma);
    bool known = false;
    for (const auto& entry : kKindNames) {
      if (name == entry.name) {
        kinds |= entry.kind;
        known = true;
      }
    }
    if (!known) return std::nullopt;
    if (comma == std::string_view::npos) return kinds;
    list.remove_prefix(comma + 1);
  }
}

}  // namespace trovex
