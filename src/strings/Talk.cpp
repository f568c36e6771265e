#include "strings/Talk.hpp"
namespace trovex {
void ExtractTalk(RunState&, const std::string&) {}  // PLACEHOLDER: being written
std::size_t InsertTalk(RunState&, const std::string&, std::size_t i) { return i + 1; }  // PLACEHOLDER
}
