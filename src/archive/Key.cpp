#include "archive/Key.hpp"
namespace trovex {
void ExtractKey(RunState&, const std::string&) {}  // PLACEHOLDER: being written
std::size_t UpdateKeyLocations(RunState&, const std::string&, std::size_t i) { return i + 1; }  // PLACEHOLDER
}
