#include "MveFormat.hpp"

#include <algorithm>
#include <cstring>

#include "framework/Platform.hpp"

namespace mve {

namespace {

constexpr char kSignature[kSignatureBytes + 1] = "Interplay MVE File\x1A";  // the final 0x00 is the terminator

std::string Invalid(const std::string& path, const std::string& fault) {
  return "Invalid movie " + path + ": " + fault;
}

std::string At(std::int64_t offset) { return " at offset " + std::to_string(offset); }

}  // namespace

void ParseOpcodes(Chunk& chunk, const std::string& path) {
  chunk.opcodes.clear();
  chunk.endOfStream = false;
  std::size_t at = kChunkHeaderBytes;
  const std::size_t end = chunk.bytes.size();
  while (at < end) {
    if (end - at < kOpcodeHeaderBytes) {
      throw MovieError(Invalid(path, "opcode header" + At(chunk.offset + static_cast<std::int64_t>(at)) +
                                         " runs past the end of its chunk"));
    }
    Opcode op;
    op.length = Load16(&chunk.bytes[at]);
    op.type = chunk.bytes[at + 2];
    op.version = chunk.bytes[at + 3];
    op.payload = at + kOpcodeHeaderBytes;
    if (op.length > end - op.payload) {
      throw MovieError(Invalid(path, "opcode" + At(chunk.offset + static_cast<std::int64_t>(at)) +
                                         " runs past the end of its chunk"));
    }
    chunk.opcodes.push_back(op);
    if (op.type == opEndOfStream) {
      chunk.endOfStream = true;
      return;
    }
    at = op.payload + op.length;
  }
}

void AudioTrack::SetUp(const Chunk& chunk, const Opcode& op) {
  const std::size_t needed = op.version == 0 ? 8 : 10;
  if (op.length < needed) {
    throw MovieError(Invalid(path_, "audio set-up" + At(chunk.offset) + " is too short"));
  }
  const unsigned char* p = &chunk.bytes[op.payload];
  const std::uint16_t flags = Load16(p + 2);
  AudioFormat format;
  format.channels = (flags & kFlagStereo) ? 2 : 1;
  format.sixteenBit = (flags & kFlagSixteenBit) != 0;
  format.compressed = op.version >= 1 && (flags & kFlagCompressed) != 0;
  format.rate = Load16(p + 4);
  if (format.rate == 0) throw MovieError("Unsupported audio format in " + path_ + ": a sample rate of 0 Hz");
  if (format_ && !(*format_ == format)) {
    throw MovieError("Unsupported audio format in " + path_ + ": the audio format changes within the movie");
  }
  format_ = format;
}

AudioSlot AudioTrack::SlotOf(const Chunk& chunk, std::size_t index) const {
  const Opcode& op = chunk.opcodes[index];
  const AudioFormat& format = *format_;
  AudioSlot slot{index, op.type == opAudioSilence, 0};
  const std::size_t frameBytes = format.channels * format.BytesPerSample();
  if (slot.silent) {
    slot.frames = Load16(&chunk.bytes[op.payload + 4]) / frameBytes;
    return slot;
  }
  // The data decides the length, not the frame header's stream length.
  const std::size_t data = op.length - kAudioFrameHeaderBytes;
  const std::size_t predictors = 2 * format.channels;
  bool whole = data % frameBytes == 0;
  if (format.compressed) {
    whole = data == 0 || (data >= predictors && (data - predictors) % format.channels == 0);
    slot.frames = data == 0 ? 0 : 1 + (data - predictors) / format.channels;
  } else {
    slot.frames = data / frameBytes;
  }
  if (!whole) {
    throw MovieError(Invalid(path_, "audio frame" + At(chunk.offset) + " does not hold whole samples"));
  }
  return slot;
}

std::vector<AudioSlot> AudioTrack::Slots(const Chunk& chunk) {
  std::vector<AudioSlot> slots;
  for (std::size_t i = 0; i < chunk.opcodes.size(); ++i) {
    const Opcode& op = chunk.opcodes[i];
    if (op.type == opInitAudio) SetUp(chunk, op);
    if (op.type != opAudioData && op.type != opAudioSilence) continue;
    if (!format_) throw MovieError(Invalid(path_, "audio frame" + At(chunk.offset) + " before the audio is set up"));
    if (op.length < kAudioFrameHeaderBytes) {
      throw MovieError(Invalid(path_, "audio frame" + At(chunk.offset) + " is too short"));
    }
    if (Load16(&chunk.bytes[op.payload + 2]) & 1) slots.push_back(SlotOf(chunk, i));
  }
  return slots;
}

MovieReader::MovieReader(const std::string& path) : path_(path) {
  file_ = trovex::platform::OpenReadStream(path);
  if (file_ == nullptr) throw MovieError("Cannot open file " + path);
  buffer_.resize(1 << 20);
  std::setvbuf(file_, buffer_.data(), _IOFBF, buffer_.size());
  Start();
}

MovieReader::MovieReader(std::FILE* file, const std::string& path) : path_(path), file_(file) {
  if (file_ == nullptr) throw MovieError("Cannot open file " + path);
  Start();
}

// Measures the file and checks its header. The file is closed when that
// fails, since the destructor of an unfinished object does not run.
void MovieReader::Start() {
  try {
    CheckHeader();
  } catch (...) {
    std::fclose(file_);
    file_ = nullptr;
    throw;
  }
}

void MovieReader::CheckHeader() {
  if (std::fseek(file_, 0, SEEK_END) != 0 || (size_ = std::ftell(file_)) < 0 || std::fseek(file_, 0, SEEK_SET) != 0) {
    throw MovieError("Cannot read file " + path_);
  }
  if (size_ < static_cast<std::int64_t>(kHeaderBytes)) throw MovieError(path_ + " is not a movie");
  ReadExact(header_, kHeaderBytes);
  if (std::memcmp(header_, kSignature, kSignatureBytes) != 0 || Load16(header_ + kSignatureBytes) != kSignatureWord) {
    throw MovieError(path_ + " is not a movie");
  }
}

MovieReader::~MovieReader() { Close(); }

void MovieReader::Close() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
}

void MovieReader::ReadExact(void* buffer, std::size_t count) {
  if (std::fread(buffer, 1, count, file_) != count) throw MovieError("Cannot read file " + path_);
  position_ += static_cast<std::int64_t>(count);
}

bool MovieReader::Next(Chunk& chunk) {
  if (ended_ || position_ == size_) return false;
  chunk.offset = position_;
  if (size_ - position_ < static_cast<std::int64_t>(kChunkHeaderBytes)) {
    throw MovieError(Invalid(path_, "chunk header" + At(position_) + " runs past the end of the file"));
  }
  chunk.bytes.resize(kChunkHeaderBytes);
  ReadExact(chunk.bytes.data(), kChunkHeaderBytes);
  const std::size_t body = Load16(chunk.bytes.data());
  chunk.type = Load16(chunk.bytes.data() + 2);
  if (static_cast<std::int64_t>(body) > size_ - position_) {
    throw MovieError(Invalid(path_, "chunk" + At(chunk.offset) + " runs past the end of the file"));
  }
  chunk.bytes.resize(kChunkHeaderBytes + body);
  ReadExact(chunk.bytes.data() + kChunkHeaderBytes, body);
  ParseOpcodes(chunk, path_);
  ended_ = chunk.endOfStream;
  return true;
}

}  // namespace mve
