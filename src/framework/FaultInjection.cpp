#include "framework/FaultInjection.hpp"

#include <atomic>

namespace trovex::faults {

namespace {

struct Fault {
  std::atomic<std::uint64_t> nth{0};
  std::atomic<int> error{0};
  std::atomic<std::uint64_t> count{0};

  void Arm(std::uint64_t n, int e) {
    nth = n;
    error = e;
    count = 0;
  }
  int Next() {
    const std::uint64_t n = ++count;
    return n == nth.load() ? error.load() : 0;
  }
};

Fault writes;
Fault reads;
std::atomic<void (*)(std::uint64_t)> writeHook{nullptr};
std::atomic<bool> kernelCopyRefused{false};

}  // namespace

void FailWrite(std::uint64_t nth, int error) { writes.Arm(nth, error); }
void FailRead(std::uint64_t nth, int error) { reads.Arm(nth, error); }
std::uint64_t Writes() { return writes.count; }
std::uint64_t Reads() { return reads.count; }
void OnWrite(void (*hook)(std::uint64_t n)) { writeHook = hook; }
int BeforeWrite() {
  const int error = writes.Next();
  if (auto* hook = writeHook.load()) hook(writes.count);
  return error;
}
int BeforeRead() { return reads.Next(); }
void RefuseKernelCopy(bool refuse) { kernelCopyRefused = refuse; }
bool KernelCopyRefused() { return kernelCopyRefused; }

}  // namespace trovex::faults
