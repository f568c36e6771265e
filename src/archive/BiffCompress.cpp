#include "archive/BiffCompress.hpp"
namespace trovex {
void MakeCompressedBiff(RunState&, const std::string&) {}  // PLACEHOLDER: being written
}
