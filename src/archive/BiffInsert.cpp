#include "archive/BiffInsert.hpp"
namespace trovex {
std::size_t InsertBiff(RunState&, const std::string&, std::size_t i) { return i; }  // PLACEHOLDER: being written
}
