#include "archive/BiffExtract.hpp"
namespace trovex {
void ExtractBiff(RunState&, const std::string&) {}  // PLACEHOLDER: being written
}
