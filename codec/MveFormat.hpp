// The movie file's layout: a 26-byte header, then chunks of opcodes. A chunk
// is u16 body length, u16 type, body; an opcode is u16 payload length, u8
// type, u8 version, payload. Everything is little-endian, and neither length
// counts its own 4-byte header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace mve {

// A failure with the message that LastError hands to the program.
class MovieError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

inline constexpr std::size_t kHeaderBytes = 26;
inline constexpr std::size_t kSignatureBytes = 20;  // "Interplay MVE File", 0x1A, 0x00
inline constexpr std::uint16_t kSignatureWord = 0x001A;  // at offset 20; the words at 22 and 24 are kept as found
inline constexpr std::size_t kChunkHeaderBytes = 4;
inline constexpr std::size_t kOpcodeHeaderBytes = 4;
inline constexpr std::size_t kAudioFrameHeaderBytes = 6;  // sequence index, stream mask, stream length

enum OpcodeType : std::uint8_t {
  opEndOfStream = 0x00,
  opEndOfChunk = 0x01,
  opInitAudio = 0x03,  // u16 unknown, u16 flags, u16 rate, u16 (v0) or u32 (v1) buffer length
  opAudioData = 0x08,  // frame header, then the samples (raw or compressed)
  opAudioSilence = 0x09,  // frame header only
};

// The audio set-up flags.
inline constexpr std::uint16_t kFlagStereo = 0x0001;
inline constexpr std::uint16_t kFlagSixteenBit = 0x0002;
inline constexpr std::uint16_t kFlagCompressed = 0x0004;  // only from version 1 on

// The movie's audio format. Compressed audio decodes to 16-bit samples.
struct AudioFormat {
  unsigned channels = 1;
  bool sixteenBit = false;
  bool compressed = false;
  unsigned rate = 0;

  unsigned BytesPerSample() const { return sixteenBit || compressed ? 2 : 1; }
  // Samples are 16-bit signed, or 8-bit unsigned with 0x80 as silence.
  bool EightBit() const { return BytesPerSample() == 1; }
  bool operator==(const AudioFormat&) const = default;
};

struct Opcode {
  std::uint8_t type = 0;
  std::uint8_t version = 0;
  std::size_t payload = 0;  // offset of the payload in the chunk's bytes
  std::size_t length = 0;   // payload length
};

struct Chunk {
  std::int64_t offset = 0;  // of the chunk header in the file
  std::uint16_t type = 0;
  std::vector<unsigned char> bytes;  // chunk header and body, as in the file
  std::vector<Opcode> opcodes;
  bool endOfStream = false;  // holds opcode 0x00; what follows it is not read
};

// Splits a chunk's body into opcodes. Throws when an opcode runs past the
// chunk. Opcodes after an end-of-stream opcode are not listed.
void ParseOpcodes(Chunk& chunk, const std::string& path);

// A stream-0 audio frame in a chunk: opcode index, and frames (samples per
// channel) it holds.
struct AudioSlot {
  std::size_t opcode = 0;
  bool silent = false;
  std::size_t frames = 0;
};

// Follows the audio set-up from chunk to chunk and lists each chunk's
// stream-0 audio frames, refusing what it cannot play back.
class AudioTrack {
 public:
  explicit AudioTrack(std::string path) : path_(std::move(path)) {}
  std::vector<AudioSlot> Slots(const Chunk& chunk);
  const std::optional<AudioFormat>& Format() const { return format_; }

 private:
  void SetUp(const Chunk& chunk, const Opcode& op);
  AudioSlot SlotOf(const Chunk& chunk, std::size_t index) const;

  std::string path_;
  std::optional<AudioFormat> format_;
};

// Reads a movie file chunk by chunk: only one chunk is held at a time.
class MovieReader {
 public:
  explicit MovieReader(const std::string& path);
  // Reads an open file (a file in memory, say), named path in messages. The
  // reader closes it.
  MovieReader(std::FILE* file, const std::string& path);
  ~MovieReader();
  // Lets go of the file, which Windows replaces only once nobody has it open.
  void Close();
  MovieReader(const MovieReader&) = delete;
  MovieReader& operator=(const MovieReader&) = delete;

  // The next chunk, parsed; false after the end-of-stream chunk or at the
  // end of the file.
  bool Next(Chunk& chunk);
  const unsigned char* Header() const { return header_; }
  std::int64_t Size() const { return size_; }
  std::int64_t Position() const { return position_; }
  const std::string& Path() const { return path_; }

 private:
  void ReadExact(void* buffer, std::size_t count);
  void Start();
  void CheckHeader();

  std::string path_;
  // The stream's buffer: the C library takes a size only with a buffer of
  // ours, and reads of 1 MiB keep the system calls few on large movies.
  std::vector<char> buffer_;
  std::FILE* file_ = nullptr;
  std::int64_t size_ = 0;
  std::int64_t position_ = 0;
  bool ended_ = false;
  unsigned char header_[kHeaderBytes] = {};
};

inline std::uint16_t Load16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
inline void Store16(unsigned char* p, std::uint16_t v) {
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
}

}  // namespace mve
