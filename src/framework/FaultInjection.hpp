// A test seam at the one place where the file layer writes and reads: the nth
// write or read from now on fails with an error number of the caller's
// choosing, as a full disk (ENOSPC) or a failing device (EIO) makes it fail.
// Off unless a test turns it on; counted across all threads.
#pragma once

#include <cstdint>

namespace trovex::faults {

// nth counts from 1; 0 turns the fault off. Both restart the count.
void FailWrite(std::uint64_t nth, int error);
void FailRead(std::uint64_t nth, int error);
// Calls hook with the count of every write from now on, before the write is
// made (nullptr: none); a test may end the process there.
void OnWrite(void (*hook)(std::uint64_t n));
// Has the file layer refuse the kernel's copy between files (and the pipe
// that carries file pages), as Windows always does and Linux does across
// file systems, so that every copy goes through the program's own buffer.
void RefuseKernelCopy(bool refuse);
bool KernelCopyRefused();
// Writes and reads made since the last FailWrite or FailRead.
std::uint64_t Writes();
std::uint64_t Reads();

// For the file layer: the error number the next write or read fails with, or 0.
int BeforeWrite();
int BeforeRead();

}  // namespace trovex::faults
