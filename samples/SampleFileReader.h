#pragma once

// Reader for RIFF/WAVE and FORM/AIFF (AIFC) sample files: turns a file into one vector of
// floating-point values per audio channel. The file's sample rate and bit depth are recorded,
// never applied: no resampling, no channel mixing, no dithering, no clamping.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum class ESampleFileFormat : int32_t
{
  kError = 0,     // the first four bytes are neither "RIFF" nor "FORM"
  kNotLoaded = 1, // nothing has been handed to the reader yet
  kWave = 2,      // "RIFF": set before the WAVE decoder runs, kept when it fails
  kAiff = 3       // "FORM": set before the AIFF decoder runs, kept when it fails
};

// Byte order of the chunk size fields: WAVE files are little-endian, AIFF files big-endian.
enum class EByteOrder
{
  kLittleEndian,
  kBigEndian
};

// Walks the chunks that follow the 12-byte container header and returns the position of the first
// chunk whose four-byte id equals `id`, or -1. Each step passes the chunk's header, its data and the
// pad byte that follows a chunk of odd size. A chunk whose step would not move the walk forward
// ends it with -1, so the walk ends on every input.
int32_t FindChunk(const std::vector<uint8_t>& fileData, std::string_view id, EByteOrder byteOrder);

// T is the sample type of the decoded channels (the plug-in uses double).
// Each decoder failure is a false result and exactly one message line; nothing is thrown on bad input.
template <typename T>
class SampleFileReader
{
public:
  SampleFileReader();
  ~SampleFileReader() = default;

  // Reads the whole file named by filePath (UTF-8) and decodes it. The name is opened as the
  // operating system's own file name, so paths in any language load.
  bool Load(std::string filePath);

  // Decodes a whole file image; the first four bytes choose the decoder.
  bool LoadFromMemory(const std::vector<uint8_t>& fileData);

  // Removes every channel from mSamples.
  void ClearBuffers();

  // Prints message and a line end to standard output when mLogErrors is set.
  void ReportError(const std::string& message);

  // Decoded audio, one vector per channel in the file's channel order; value k of every channel
  // belongs to frame k. Kept between loads until a new decode has passed its header tests.
  std::vector<std::vector<T>> mSamples;
  // Contents of the last decoded file's "iXML" chunk (any bytes, NUL included).
  std::string mIXMLChunk;
  ESampleFileFormat mFileFormat = ESampleFileFormat::kNotLoaded;
  uint32_t mSampleRate = 44100;
  int32_t mBitDepth = 16;
  bool mLogErrors = true;

private:
  bool DecodeWave(const std::vector<uint8_t>& fileData);
  bool DecodeAiff(const std::vector<uint8_t>& fileData);
};

#include "SampleFileReader.inl"
