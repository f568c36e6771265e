#include "joblog/Replay.hpp"
namespace trovex {
InsertionHandler InsertionHandlerFor(std::uint8_t) { return nullptr; }  // PLACEHOLDER: being written
void ReplayJobLog(RunState&, const std::string&) {}  // PLACEHOLDER
}
