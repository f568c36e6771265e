#include "benchdata/BenchData.hpp"
namespace trovex::benchdata {
int MakeTalk(const std::vector<std::string>&) { return 1; }  // PLACEHOLDER: being written
}
