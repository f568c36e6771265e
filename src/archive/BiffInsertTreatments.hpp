// How BIFF insertion builds the replacement data of an entry, per treatment.
#pragma once

#include <string>

#include "archive/BiffFormat.hpp"
#include "framework/Stream.hpp"

namespace trovex {

// What a treatment works with: the file named by the target line and the new
// archive, positioned at its end, to which the replacement data is appended.
struct Replacement {
  const std::string& path;
  TStream& out;
};
using StoreReplacement = void (*)(const Replacement& replacement);

// The insertion side of the kind table: the store routine of a treatment, or
// nullptr for a treatment that insertion cannot apply (yet).
StoreReplacement StoreRoutineFor(Treatment treatment);

}  // namespace trovex
