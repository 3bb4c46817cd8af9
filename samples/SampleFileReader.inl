// Template definitions of SampleFileReader; included by SampleFileReader.h only.

#include "AiffRateTable.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <new>
#include <optional>
#include <string_view>
#include <system_error>

namespace sample_file_detail
{
// Every read of a field checks that all of its bytes lie inside the image; one that does not reads as 0.
inline bool BytesInside(const std::vector<uint8_t>& fileData, int64_t position, int64_t count)
{
  return position >= 0 && position + count <= static_cast<int64_t>(fileData.size());
}

inline bool HasId(const std::vector<uint8_t>& fileData, int64_t position, std::string_view id)
{
  return BytesInside(fileData, position, 4) && std::memcmp(fileData.data() + position, id.data(), 4) == 0;
}

// An unsigned number of Bytes bytes at b.
template <EByteOrder Order, int Bytes>
inline uint32_t ReadWord(const uint8_t* b)
{
  uint32_t word = 0;
  for (int i = 0; i < Bytes; ++i)
    word |= uint32_t(b[Order == EByteOrder::kLittleEndian ? i : Bytes - 1 - i]) << (8 * i);
  return word;
}

inline uint16_t ReadU16(const std::vector<uint8_t>& fileData, int64_t position, EByteOrder byteOrder)
{
  if (!BytesInside(fileData, position, 2))
    return 0;
  const uint8_t* b = fileData.data() + position;
  return static_cast<uint16_t>(byteOrder == EByteOrder::kLittleEndian ? ReadWord<EByteOrder::kLittleEndian, 2>(b)
                                                                      : ReadWord<EByteOrder::kBigEndian, 2>(b));
}

inline uint32_t ReadU32(const std::vector<uint8_t>& fileData, int64_t position, EByteOrder byteOrder)
{
  if (!BytesInside(fileData, position, 4))
    return 0;
  const uint8_t* b = fileData.data() + position;
  return byteOrder == EByteOrder::kLittleEndian ? ReadWord<EByteOrder::kLittleEndian, 4>(b)
                                                : ReadWord<EByteOrder::kBigEndian, 4>(b);
}

// The text of the "iXML" chunk at x: its declared length from x + 8, cut at the end of the image.
// A negative length declares no text, and so does a size field cut off by the end of the image.
inline std::string IXMLText(const std::vector<uint8_t>& fileData, int32_t x, EByteOrder byteOrder)
{
  const int32_t length = static_cast<int32_t>(ReadU32(fileData, static_cast<int64_t>(x) + 4, byteOrder));
  const int64_t textStart = static_cast<int64_t>(x) + 8;
  const int64_t count = std::min<int64_t>(length, static_cast<int64_t>(fileData.size()) - textStart);
  if (count <= 0)
    return {};
  return std::string(reinterpret_cast<const char*>(fileData.data() + textStart), static_cast<size_t>(count));
}

// Where the interleaved frames stand in the image and how many the header declares.
struct FrameLayout
{
  const uint8_t* mData;
  int64_t mLimit;      // no byte at or beyond this position is read
  int64_t mStart;      // position of frame 0
  int64_t mStride;     // bytes from one frame to the next
  int64_t mFrameCount; // as declared; zero or less reads nothing
};

// Appends the layout's frames to the channels of `channels`: frame k starts at
// mStart + k * mStride, channel c of it bytesPerSample * c further on. Stops at the first sample
// whose bytes are not all inside [0, mLimit) and returns false; what was appended before it stays,
// so the channels before the failing one hold one value more than those after it.
template <typename T, typename Convert>
bool AppendFrames(std::vector<std::vector<T>>& channels, const FrameLayout& layout, int64_t bytesPerSample,
                  Convert convert)
{
  const auto [data, limit, start, stride, frameCount] = layout;
  if (frameCount <= 0)
    return true;

  const int64_t numChannels = static_cast<int64_t>(channels.size());
  const int64_t frameSpan = numChannels * bytesPerSample;
  int64_t wholeFrames = 0;
  if (start >= 0 && start + frameSpan <= limit)
    wholeFrames = std::min(frameCount, (limit - start - frameSpan) / stride + 1);

  // Sized from the header, but never beyond what the image holds, so a lying header cannot
  // make the reader ask for more memory than the file's bytes can fill.
  const bool runsOff = wholeFrames < frameCount;
  for (int64_t c = 0; c < numChannels; ++c)
  {
    std::vector<T>& channel = channels[static_cast<size_t>(c)];
    channel.reserve(static_cast<size_t>(wholeFrames + (runsOff ? 1 : 0)));
    if (wholeFrames == 0)
      continue;
    channel.resize(static_cast<size_t>(wholeFrames));
    T* out = channel.data();
    const uint8_t* in = data + start + c * bytesPerSample;
    for (int64_t k = 0; k < wholeFrames; ++k, in += stride)
      out[k] = convert(in);
  }
  if (!runsOff)
    return true;

  const int64_t frameStart = start + wholeFrames * stride;
  for (int64_t c = 0; c < numChannels; ++c)
  {
    const int64_t position = frameStart + c * bytesPerSample;
    if (position < 0 || position + bytesPerSample > limit)
      return false;
    channels[static_cast<size_t>(c)].push_back(convert(data + position));
  }
  return false; // not reached: the frame after the whole ones always runs off
}

inline int32_t SignExtend24(uint32_t value) { return static_cast<int32_t>(value << 8) >> 8; }

inline float FloatFromBits(uint32_t bits)
{
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

// Every 16-bit sample's value, by its bits: a look-up is much cheaper than a division, and the
// values are the divisions' own, so the result is the same to the last bit.
template <typename T>
const std::array<T, 65536>& Int16Values()
{
  static const std::array<T, 65536> values = [] {
    std::array<T, 65536> table{};
    for (uint32_t bits = 0; bits < 65536; ++bits)
      table[bits] = static_cast<T>(static_cast<int16_t>(bits) / 32767.0);
    return table;
  }();
  return values;
}

// How one sample is stored; the byte order is the file's.
enum class ESampleCoding
{
  kUnsigned8, // WAVE and AIFC "raw ": unsigned around 128
  kSigned8,   // AIFF: two's complement
  kInt16,
  kInt24,
  kInt32,
  kFloat32
};

// Converts the declared frames into channels; false when a sample lies outside the image.
// The divisors are 2^(bits-1) - 1, so full positive scale is exactly 1.0; nothing is clamped.
template <typename T, EByteOrder Order>
bool AppendCodedFrames(std::vector<std::vector<T>>& channels, const FrameLayout& f, ESampleCoding coding)
{
  switch (coding)
  {
    case ESampleCoding::kUnsigned8:
      return AppendFrames(channels, f, 1,
                          [](const uint8_t* b) { return static_cast<T>((int32_t(b[0]) - 128) / 127.0); });
    case ESampleCoding::kSigned8:
      return AppendFrames(channels, f, 1,
                          [](const uint8_t* b) { return static_cast<T>(static_cast<int8_t>(b[0]) / 127.0); });
    case ESampleCoding::kInt16:
    {
      const std::array<T, 65536>& values = Int16Values<T>();
      return AppendFrames(channels, f, 2, [&values](const uint8_t* b) { return values[ReadWord<Order, 2>(b)]; });
    }
    case ESampleCoding::kInt24:
      return AppendFrames(channels, f, 3, [](const uint8_t* b) {
        return static_cast<T>(SignExtend24(ReadWord<Order, 3>(b)) / 8388607.0);
      });
    case ESampleCoding::kInt32:
      return AppendFrames(channels, f, 4, [](const uint8_t* b) {
        return static_cast<T>(static_cast<int32_t>(ReadWord<Order, 4>(b)) / 2147483647.0);
      });
    case ESampleCoding::kFloat32:
      return AppendFrames(channels, f, 4,
                          [](const uint8_t* b) { return static_cast<T>(FloatFromBits(ReadWord<Order, 4>(b))); });
  }
  return false;
}

// The integer coding of a supported bit depth.
inline ESampleCoding IntegerCoding(int32_t bitDepth, ESampleCoding eightBit)
{
  switch (bitDepth)
  {
    case 8:
      return eightBit;
    case 16:
      return ESampleCoding::kInt16;
    case 24:
      return ESampleCoding::kInt24;
    default:
      return ESampleCoding::kInt32;
  }
}

inline bool IsSupportedBitDepth(int32_t bitDepth)
{
  return bitDepth == 8 || bitDepth == 16 || bitDepth == 24 || bitDepth == 32;
}

// The byte order in which a file stores its samples, and their coding.
struct SampleEncoding
{
  EByteOrder mOrder;
  ESampleCoding mCoding;
};

template <typename T>
bool AppendEncodedFrames(std::vector<std::vector<T>>& channels, const FrameLayout& f, SampleEncoding encoding)
{
  return encoding.mOrder == EByteOrder::kLittleEndian
           ? AppendCodedFrames<T, EByteOrder::kLittleEndian>(channels, f, encoding.mCoding)
           : AppendCodedFrames<T, EByteOrder::kBigEndian>(channels, f, encoding.mCoding);
}

// What the sub-format GUID of an extensible WAVE format chunk says about its samples.
enum class EWaveSubFormat
{
  kNotGiven, // no GUID that the chunk holds, or one of another family: the samples are taken as PCM
  kPcm,
  kFloat,
  kOther // a standard sub-format that is neither PCM nor float (A-law, u-law, ADPCM...)
};

// The standard sub-formats are a format code in the first four bytes followed by these twelve
// (xxxxxxxx-0000-0010-8000-00AA00389B71, stored little-endian as a GUID is).
inline constexpr uint8_t kWaveSubFormatTail[12] = {0x00, 0x00, 0x10, 0x00, 0x80, 0x00,
                                                   0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

// The sub-format is believed only when the extension that holds it is at least 22 bytes, by its own
// size field, and lies inside the chunk, by the chunk's size field and by the end of the image.
inline EWaveSubFormat ReadWaveSubFormat(const std::vector<uint8_t>& fileData, int64_t fmt)
{
  constexpr EByteOrder le = EByteOrder::kLittleEndian;
  constexpr uint32_t kExtensionEnd = 18 + 22; // format fields, extension size, extension
  const uint16_t extensionSize = ReadU16(fileData, fmt + 24, le);
  const uint32_t chunkSize = ReadU32(fileData, fmt + 4, le);
  if (extensionSize < 22 || chunkSize < kExtensionEnd || !BytesInside(fileData, fmt + 8, kExtensionEnd))
    return EWaveSubFormat::kNotGiven;
  const int64_t guid = fmt + 32;
  if (std::memcmp(fileData.data() + guid + 4, kWaveSubFormatTail, sizeof kWaveSubFormatTail) != 0)
    return EWaveSubFormat::kNotGiven;
  switch (ReadU32(fileData, guid, le))
  {
    case 1:
      return EWaveSubFormat::kPcm;
    case 3:
      return EWaveSubFormat::kFloat;
    default:
      return EWaveSubFormat::kOther;
  }
}

// How an AIFC file stores samples of a supported bit depth, by its compression type; none for a type
// that holds compressed or companded audio, or that names another width than the samples have.
// The names are compared exactly, case included.
inline std::optional<SampleEncoding> AifcSampleEncoding(std::string_view compressionType, int32_t bitDepth)
{
  if (compressionType == "NONE" || compressionType == "twos")
    return SampleEncoding{EByteOrder::kBigEndian, IntegerCoding(bitDepth, ESampleCoding::kSigned8)};
  if (compressionType == "sowt")
    return SampleEncoding{EByteOrder::kLittleEndian, IntegerCoding(bitDepth, ESampleCoding::kSigned8)};
  // Big-endian integers of the width the name gives, stored as "NONE" stores them at that depth.
  if (compressionType == "in24" && bitDepth == 24)
    return SampleEncoding{EByteOrder::kBigEndian, ESampleCoding::kInt24};
  if (compressionType == "in32" && bitDepth == 32)
    return SampleEncoding{EByteOrder::kBigEndian, ESampleCoding::kInt32};
  // Bytes unsigned around 128, as WAVE stores its 8-bit samples.
  if (compressionType == "raw " && bitDepth == 8)
    return SampleEncoding{EByteOrder::kBigEndian, ESampleCoding::kUnsigned8};
  if ((compressionType == "fl32" || compressionType == "FL32") && bitDepth == 32)
    return SampleEncoding{EByteOrder::kBigEndian, ESampleCoding::kFloat32};
  return std::nullopt;
}

// The compression type that ends an AIFC "COMM" chunk; a chunk too short to hold one (by its size
// field or by the end of the image) stores its samples uncompressed, as an AIFF file does.
inline std::string_view AifcCompressionType(const std::vector<uint8_t>& fileData, int64_t comm)
{
  if (ReadU32(fileData, comm + 4, EByteOrder::kBigEndian) < 22 || !BytesInside(fileData, comm + 26, 4))
    return "NONE";
  return {reinterpret_cast<const char*>(fileData.data() + comm + 26), 4};
}

template <typename T>
std::string SampleTypeMessage(int32_t bitDepth)
{
  return "ERROR: you are trying to read a " + std::to_string(bitDepth) + "-bit file using a " +
         std::to_string(sizeof(T) * 8) + "-bit sample type";
}

inline const char* const kUnsupportedBitDepthMessage =
  "ERROR: this file has a bit depth that is not 8, 16, 24 or 32 bits";
inline const char* const kReadErrorMessage =
  "ERROR: read file error as the metadata indicates more samples than there are in the file data";
} // namespace sample_file_detail

template <typename T>
SampleFileReader<T>::SampleFileReader()
{
  mSamples.resize(1);
  mSamples[0].clear();
}

template <typename T>
bool SampleFileReader<T>::Load(std::string filePath)
{
  // The path is UTF-8: built as a UTF-8 path it opens the file's real name on every system
  // (on Windows the wide name), whatever language the name is in.
  std::ifstream file;
  {
    std::error_code error;
    try
    {
      const std::filesystem::path path(std::u8string(filePath.begin(), filePath.end()));
      // A folder or a device opens on some systems but has no length to read.
      if (std::filesystem::is_regular_file(path, error))
        file.open(path, std::ios::binary);
    }
    catch (const std::exception&)
    {
      // A name that is not valid UTF-8 names no file.
    }
  }
  if (!file.is_open() || !file.good())
  {
    ReportError("ERROR: File doesn't exist or otherwise can't load file\n" + filePath);
    return false;
  }

  file.seekg(0, std::ios::end);
  const std::streamoff length = file.tellg();
  file.seekg(0, std::ios::beg);

  std::vector<uint8_t> fileData;
  std::streamsize bytesRead = -1;
  if (length >= 0 && file.good())
  {
    try
    {
      fileData.resize(static_cast<size_t>(length));
      file.read(reinterpret_cast<char*>(fileData.data()), static_cast<std::streamsize>(length));
      bytesRead = file.gcount();
    }
    catch (const std::bad_alloc&)
    {
      // Too large to hold in memory: reported as a file that could not be read.
    }
  }
  file.close();

  if (bytesRead != length)
  {
    ReportError("ERROR: Couldn't read entire file\n" + filePath);
    return false;
  }
  if (length < 12)
  {
    ReportError("ERROR: File is not a valid audio file\n" + filePath);
    return false;
  }
  return LoadFromMemory(fileData);
}

template <typename T>
bool SampleFileReader<T>::LoadFromMemory(const std::vector<uint8_t>& fileData)
{
  using sample_file_detail::HasId;
  try
  {
    if (HasId(fileData, 0, "RIFF"))
    {
      mFileFormat = ESampleFileFormat::kWave;
      return DecodeWave(fileData);
    }
    if (HasId(fileData, 0, "FORM"))
    {
      mFileFormat = ESampleFileFormat::kAiff;
      return DecodeAiff(fileData);
    }
  }
  catch (const std::bad_alloc&)
  {
    // The decoded channels never take more than the file's bytes can fill, but that may still
    // be more than the memory left; the channel then keeps its previous sample.
    ReportError("ERROR: not enough memory to decode this file");
    return false;
  }
  mFileFormat = ESampleFileFormat::kError;
  ReportError("Audio File Type: Error");
  return false;
}

template <typename T>
void SampleFileReader<T>::ReportError(const std::string& message)
{
  if (mLogErrors)
    std::cout << message << '\n' << std::flush;
}

template <typename T>
void SampleFileReader<T>::ClearBuffers()
{
  for (std::vector<T>& channel : mSamples)
    channel.clear();
  mSamples.clear();
}

template <typename T>
bool SampleFileReader<T>::DecodeWave(const std::vector<uint8_t>& fileData)
{
  using namespace sample_file_detail;
  constexpr EByteOrder kOrder = EByteOrder::kLittleEndian;

  const int32_t d = FindChunk(fileData, "data", kOrder);
  const int32_t f = FindChunk(fileData, "fmt ", kOrder);
  const int32_t x = FindChunk(fileData, "iXML", kOrder);

  if (d == -1 || f == -1 || !HasId(fileData, 0, "RIFF") || !HasId(fileData, 8, "WAVE"))
  {
    ReportError("ERROR: this doesn't seem to be a valid .WAV file");
    return false;
  }

  // The format chunk is read at fixed distances; of the extensible format's extension only the
  // sub-format is used, and only where the chunk's size says it holds it.
  const int64_t fmt = f;
  const uint16_t formatCode = ReadU16(fileData, fmt + 8, kOrder);
  const uint16_t numChannels = ReadU16(fileData, fmt + 10, kOrder);
  mSampleRate = ReadU32(fileData, fmt + 12, kOrder);
  const uint32_t byteRate = ReadU32(fileData, fmt + 16, kOrder);
  const uint16_t blockAlign = ReadU16(fileData, fmt + 20, kOrder);
  mBitDepth = static_cast<int16_t>(ReadU16(fileData, fmt + 22, kOrder));
  const int32_t bytesPerSample = static_cast<uint16_t>(mBitDepth) / 8;

  if (static_cast<uint32_t>(mBitDepth) > sizeof(T) * 8)
  {
    ReportError(SampleTypeMessage<T>(mBitDepth));
    return false;
  }
  const EWaveSubFormat subFormat = formatCode == 0xFFFE ? ReadWaveSubFormat(fileData, fmt) : EWaveSubFormat::kNotGiven;
  // A sub-format that is neither PCM nor float is refused as its own format code would be.
  if ((formatCode != 1 && formatCode != 3 && formatCode != 0xFFFE) || subFormat == EWaveSubFormat::kOther)
  {
    ReportError("ERROR: this .WAV file is encoded in a format that this library does not support at present");
    return false;
  }
  if (numChannels < 1 || numChannels > 128)
  {
    ReportError("ERROR: this WAV file seems to be an invalid number of channels (or corrupted?)");
    return false;
  }
  // Wraps like the 32-bit field it is compared with.
  const uint32_t expectedByteRate = static_cast<uint32_t>(mBitDepth) * numChannels * mSampleRate / 8u;
  if (byteRate != expectedByteRate || blockAlign != numChannels * bytesPerSample)
  {
    ReportError("ERROR: the header data in this WAV file seems to be inconsistent");
    return false;
  }
  if (!IsSupportedBitDepth(mBitDepth))
  {
    ReportError(kUnsupportedBitDepthMessage);
    return false;
  }

  // Trailing bytes that do not fill a frame are ignored; a size of 2^31 or more means no frames.
  const int32_t dataSize = static_cast<int32_t>(ReadU32(fileData, static_cast<int64_t>(d) + 4, kOrder));
  const int32_t frameSize = numChannels * mBitDepth / 8;
  const int32_t frameCount = dataSize / frameSize;

  ClearBuffers();
  mSamples.resize(numChannels);

  // Samples are bounded by the end of the whole image, not of the data chunk: an overstated data
  // size takes its samples from the chunks after it. Positions are signed 32-bit, so nothing at or
  // beyond byte 2^31 is read.
  const int64_t limit = std::min<int64_t>(static_cast<int64_t>(fileData.size()), int64_t(1) << 31);
  const int64_t start = static_cast<int64_t>(d) + 8;
  // Only the 32-bit case looks at the format: float samples are IEEE singles; at other depths a
  // float format holds integers. An extensible file without a float sub-format is integer PCM.
  const bool isFloat = formatCode == 3 || subFormat == EWaveSubFormat::kFloat;
  const ESampleCoding coding =
    mBitDepth == 32 && isFloat ? ESampleCoding::kFloat32 : IntegerCoding(mBitDepth, ESampleCoding::kUnsigned8);
  const bool complete =
    AppendCodedFrames<T, kOrder>(mSamples, {fileData.data(), limit, start, blockAlign, frameCount}, coding);
  if (!complete)
  {
    ReportError(kReadErrorMessage);
    return false;
  }

  if (x != -1)
    mIXMLChunk = IXMLText(fileData, x, kOrder);
  return true;
}

template <typename T>
bool SampleFileReader<T>::DecodeAiff(const std::vector<uint8_t>& fileData)
{
  using namespace sample_file_detail;
  constexpr EByteOrder kOrder = EByteOrder::kBigEndian;

  const bool isAiff = HasId(fileData, 8, "AIFF");
  const bool isAifc = HasId(fileData, 8, "AIFC");
  const int32_t p = FindChunk(fileData, "COMM", kOrder);
  const int32_t s = FindChunk(fileData, "SSND", kOrder);
  const int32_t x = FindChunk(fileData, "iXML", kOrder);

  // A "COMM" chunk cut off before the end of its rate field cannot describe the samples.
  if (s == -1 || p == -1 || !HasId(fileData, 0, "FORM") || !(isAiff || isAifc) ||
      !BytesInside(fileData, static_cast<int64_t>(p) + 8, 18))
  {
    ReportError("ERROR: this doesn't seem to be a valid AIFF file");
    return false;
  }

  const int64_t comm = p;
  const int32_t numChannels = static_cast<int16_t>(ReadU16(fileData, comm + 8, kOrder));
  const int32_t numFrames = static_cast<int32_t>(ReadU32(fileData, comm + 10, kOrder));
  mBitDepth = static_cast<int16_t>(ReadU16(fileData, comm + 14, kOrder));
  mSampleRate = FindAiffSampleRate(fileData.data() + comm + 16);

  if (static_cast<uint32_t>(mBitDepth) > sizeof(T) * 8)
  {
    ReportError(SampleTypeMessage<T>(mBitDepth));
    return false;
  }
  if (mSampleRate == 0)
  {
    ReportError("ERROR: this AIFF file has an unsupported sample rate");
    return false;
  }
  if (numChannels != 1 && numChannels != 2)
  {
    ReportError("ERROR: this AIFF file seems to be neither mono nor stereo (perhaps multi-track, or corrupted?)");
    return false;
  }
  if (!IsSupportedBitDepth(mBitDepth))
  {
    ReportError(kUnsupportedBitDepthMessage);
    return false;
  }
  // An "AIFC" file says by its compression type how its samples are stored. Compressed audio (u-law,
  // A-law, IMA ADPCM...) would decode as noise, so it is refused, before its sizes are checked
  // against a frame size that it does not have.
  const std::optional<SampleEncoding> encoding =
    isAifc ? AifcSampleEncoding(AifcCompressionType(fileData, p), mBitDepth)
           : SampleEncoding{kOrder, IntegerCoding(mBitDepth, ESampleCoding::kSigned8)};
  if (!encoding)
  {
    ReportError("ERROR: this AIFF file is encoded in a format that this library does not support at present");
    return false;
  }

  // The SSND size counts the offset and block-size fields plus the sample bytes, and the samples
  // must fit between their start and the end of the image. Worked out in 64 bits, so a frame count
  // too large for 32 bits is refused here instead of wrapping into a size that seems to fit.
  const int64_t ssnd = s;
  const int32_t ssndSize = static_cast<int32_t>(ReadU32(fileData, ssnd + 4, kOrder));
  const int32_t offset = static_cast<int32_t>(ReadU32(fileData, ssnd + 8, kOrder));
  const int64_t bytesPerSample = mBitDepth / 8;
  const int64_t frameSize = numChannels * bytesPerSample;
  const int64_t sampleBytes = int64_t(numFrames) * frameSize;
  const int64_t dataStart = ssnd + 16 + offset;
  if (int64_t(ssndSize) - 8 != sampleBytes || sampleBytes > static_cast<int64_t>(fileData.size()) - dataStart)
  {
    ReportError("ERROR: the metadatafor this file doesn't seem right");
    return false;
  }

  ClearBuffers();
  mSamples.resize(static_cast<size_t>(numChannels));

  // A negative offset puts the first sample before the image: a read error, not a read.
  const int64_t limit = static_cast<int64_t>(fileData.size());
  const bool complete =
    AppendEncodedFrames(mSamples, {fileData.data(), limit, dataStart, frameSize, numFrames}, *encoding);
  if (!complete)
  {
    ReportError(kReadErrorMessage);
    return false;
  }

  if (x != -1)
    mIXMLChunk = IXMLText(fileData, x, kOrder);
  return true;
}
