#include "sample/Samples.hpp"
namespace trovex::sample {
std::vector<std::string> WriteBiffSamples(const std::string&) { return {}; }  // PLACEHOLDER: being written
}
