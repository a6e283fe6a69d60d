// Building BM, CMP and BMP files byte by byte in test code, and small file-system helpers.
// Every test area may use these; nothing here depends on Qt or on a test framework.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zarn::test {

using Bytes = std::vector<std::uint8_t>;

// Little-endian writing, appended to a growing buffer.
class ByteWriter {
 public:
  ByteWriter& U8(std::uint8_t v);
  ByteWriter& U16(std::uint16_t v);
  ByteWriter& U32(std::uint32_t v);
  ByteWriter& I32(std::int32_t v);
  ByteWriter& Raw(std::span<const std::uint8_t> bytes);
  ByteWriter& Text(std::string_view text);  // the characters, no terminator
  ByteWriter& Fill(std::size_t count, std::uint8_t value = 0);

  std::size_t Size() const { return bytes_.size(); }
  const Bytes& Data() const { return bytes_; }
  Bytes Take() { return std::move(bytes_); }

 private:
  Bytes bytes_;
};

// Little-endian fields at a fixed offset of a buffer (the buffer must be long enough).
std::uint16_t GetU16(std::span<const std::uint8_t> bytes, std::size_t offset);
std::uint32_t GetU32(std::span<const std::uint8_t> bytes, std::size_t offset);
std::int32_t GetI32(std::span<const std::uint8_t> bytes, std::size_t offset);
void PutU16(Bytes& bytes, std::size_t offset, std::uint16_t value);
void PutU32(Bytes& bytes, std::size_t offset, std::uint32_t value);
void PutI32(Bytes& bytes, std::size_t offset, std::int32_t value);

// A slice of a buffer as a new buffer.
Bytes Slice(std::span<const std::uint8_t> bytes, std::size_t offset, std::size_t count);
// `count` bytes that differ from one another in a pattern set by `seed`.
Bytes Pattern(std::size_t count, std::uint8_t seed = 1);

// ---- BM files -----------------------------------------------------------------------------

// The fields of a BM header, defaulting to what the 8-bit writer stores.
struct BMHeaderParts {
  std::string Signature = "BM  ";  // four characters
  std::int32_t HeaderConstant = 70;
  std::int32_t Reserved1 = 0;
  std::int32_t PaletteMode = 1;
  std::int32_t ImageCount = 0;
  std::int32_t XOffset = 0;
  std::int32_t YOffset = 0;
  std::uint8_t Transparent[4] = {0, 0, 0, 0};
  std::int32_t ColourMode = 0;
  std::int32_t BitsPerPixel = 8;
  std::int32_t Channel[9] = {};  // RedBits .. BlueLoss
};
// The 16-bit writer's header fields.
BMHeaderParts Header16();
Bytes BMHeaderBytes(const BMHeaderParts& header);

struct BMImageParts {
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  Bytes Pixels;  // written as given, whatever Width and Height say
};

// A BM file: the header exactly as given (ImageCount is not derived from Images), the
// image records, the trailer when given, then `Extra`.
struct BMFileParts {
  BMHeaderParts Header;
  std::vector<BMImageParts> Images;
  std::optional<Bytes> Trailer;  // 768 bytes of red, green, blue
  Bytes Extra;
};
Bytes MakeBM(const BMFileParts& parts);

// 768 distinct-looking palette bytes (red, green, blue per entry).
Bytes TestTriples(std::uint8_t seed = 3);

// A CMP file: magic, 60 header bytes, the 768 triples, then `extra` bytes.
Bytes MakeCMP(std::span<const std::uint8_t> triples, std::string_view magic = "CMP ",
              std::size_t extra = 0);

// ---- BMP files ----------------------------------------------------------------------------

struct Colour {
  std::uint8_t Blue = 0, Green = 0, Red = 0, Reserved = 0;
};
// `count` colours, each different, in colour-table order.
std::vector<Colour> TestColours(std::size_t count, std::uint8_t seed = 5);

// Describes a BMP by its true picture and how it is to be stored.
struct BmpParts {
  int BitCount = 8;
  std::int32_t Width = 0;
  std::int32_t Height = 0;  // number of rows (positive)
  // The true picture: rows top to bottom, Width pixels each, BitCount / 8 bytes per pixel
  // (blue, green, red for 24 bits), no padding. Ignored when RawPixelData is set.
  Bytes Pixels;
  std::uint32_t InfoSize = 40;  // 12 (core header), 40, 52, 56, 108, 124, or anything else
  bool TopDown = false;         // stored with a negative height, top row first
  std::uint32_t Compression = 0;
  std::vector<Colour> Colours;  // the colour table as stored (3-byte entries for InfoSize 12)
  std::optional<std::uint32_t> ColoursUsedField;  // default: the number of Colours, 0 if none
  std::optional<std::uint32_t> PixelOffsetField;  // default: where the rows really start
  std::optional<std::uint32_t> FileSizeField;     // default: the total size
  std::optional<Bytes> RawPixelData;  // stored instead of the rows made from Pixels (RLE data)
  std::uint8_t PadByte = 0;           // value of the padding bytes at each row's end
  std::size_t Gap = 0;                // bytes between the colour table and the rows
  std::string Type = "BM";            // the two type bytes
  Bytes Trailing;                     // stored after the pixel data
};
Bytes MakeBmp(const BmpParts& parts);

// A standard BMP as the displays build it: 40-byte info header, 8 bits with 256 colours or 24
// bits with none, bottom row first, padding bytes `pad`.
Bytes StandardBmp8(std::int32_t width, std::int32_t height, std::span<const std::uint8_t> pixels,
                   const std::vector<Colour>& colours, std::uint8_t pad = 0);
Bytes StandardBmp24(std::int32_t width, std::int32_t height, std::span<const std::uint8_t> pixels,
                    std::uint8_t pad = 0);

// Bytes of one stored row: width * bytesPerPixel rounded up to a multiple of 4.
std::size_t RowSize(std::int64_t width, int bytesPerPixel);

// Byte offsets of the padding bytes in the pixel rows of a standard BMP that starts at
// `pixelOffset`; used to compare two BMPs whose padding carries no meaning.
std::vector<std::size_t> PaddingOffsets(std::size_t pixelOffset, std::int32_t width,
                                        std::int32_t height, int bytesPerPixel);
// `bytes` with every one of those offsets (that lies inside it) set to 0.
Bytes WithoutPadding(Bytes bytes, const std::vector<std::size_t>& offsets);

// RLE8 pixel data, written run by run.
class Rle8Writer {
 public:
  Rle8Writer& Run(std::uint8_t count, std::uint8_t value);
  Rle8Writer& Absolute(std::span<const std::uint8_t> pixels);  // 3 to 255 pixels, word-padded
  Rle8Writer& EndOfLine();
  Rle8Writer& Delta(std::uint8_t right, std::uint8_t up);
  Rle8Writer& EndOfBitmap();
  Rle8Writer& Raw(std::span<const std::uint8_t> bytes);
  const Bytes& Data() const { return bytes_; }

 private:
  Bytes bytes_;
};

// ---- Files --------------------------------------------------------------------------------

Bytes ReadFileBytes(const std::filesystem::path& path);
void WriteFileBytes(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

// A fresh directory under the system's temporary folder, removed with everything in it when the
// object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  std::filesystem::path File(std::string_view name) const { return path_ / name; }
  // The names of the entries of the directory, sorted.
  std::vector<std::string> Entries() const;

 private:
  std::filesystem::path path_;
};

// While alive, the process cannot write files beyond `maxBytes` (writes past it fail with
// EFBIG instead of raising SIGXFSZ). Holds for root as well, so a failing write can be
// provoked on any machine.
class ScopedFileSizeLimit {
 public:
  explicit ScopedFileSizeLimit(std::uint64_t maxBytes);
  ~ScopedFileSizeLimit();
  ScopedFileSizeLimit(const ScopedFileSizeLimit&) = delete;
  ScopedFileSizeLimit& operator=(const ScopedFileSizeLimit&) = delete;
  bool Active() const { return active_; }

 private:
  bool active_ = false;
  std::uint64_t oldSoft_ = 0;
  void (*oldHandler_)(int) = nullptr;
};

bool RunningAsRoot();

// The unprivileged user the tests drop to when they run as root (nobody, group nogroup).
inline constexpr unsigned kUnprivilegedId = 65534;
// Runs `body` in a child process as an unprivileged user and returns the text it returned (or
// the text of what it threw): as nobody when the tests run as root, so that permissions are
// tested under root too; as the user itself otherwise. Folders the child needs must be open to
// it.
std::string AsUnprivilegedUser(const std::function<std::string()>& body);

// A file name that every writer must refuse, whoever runs the tests, and the text of the
// refusal: for root (who may replace any file) another user's link in a sticky folder that
// everyone may write to; for anyone else a write-protected file. Made in `folder`; `Victim`
// is the file that must stay as it is.
struct RefusedTarget {
  std::filesystem::path Path;
  std::filesystem::path Victim;
  std::string Text;
};
RefusedTarget MakeRefusedTarget(const std::filesystem::path& folder, const std::string& name);

// Sets or clears the append-only attribute of a file or folder; false where the file system
// or the user cannot.
bool SetAppendOnly(const std::filesystem::path& path, bool on);

}  // namespace zarn::test
