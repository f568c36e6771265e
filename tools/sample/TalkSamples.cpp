#include "sample/Samples.hpp"
namespace trovex::sample {
std::vector<std::string> WriteTalkSamples(const std::string&) { return {}; }  // PLACEHOLDER: being written
}
