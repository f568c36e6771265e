#include "sample/Samples.hpp"
namespace trovex::sample {
std::vector<std::string> WriteKeySamples(const std::string&) { return {}; }  // PLACEHOLDER: being written
}
