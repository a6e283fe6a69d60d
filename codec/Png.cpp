#include "codec/Png.h"

#include <png.h>

#include <algorithm>
#include <array>
#include <csetjmp>
#include <cstring>
#include <limits>
#include <utility>

#include "codec/BMFormat.h"
#include "codec/Display.h"
#include "codec/Errors.h"

namespace zarn {

namespace {

// The signature and the header chunk: length, type, 13 bytes of fields, CRC.
static_assert(kPngHeadSize == 8 + 8 + 13 + 4);
// Chunks other than the header, palette, transparency, image data and end are read and dropped
// (their text is never inflated); a file made of more of them than this is refused.
constexpr int kMaxSkippedChunks = 1000;
// No single chunk is held in memory beyond this. Editors embed colour profiles and metadata of
// some hundred kilobytes; the whole file is already in memory and at most 64 MiB.
constexpr png_alloc_size_t kMaxChunkBytes = 8 << 20;
constexpr png_uint_32 kMaxCachedChunks = 64;

constexpr int kColourGrey = 0;
constexpr int kColourPalette = 3;

std::uint32_t LoadBE32(const std::uint8_t* p) {
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
         std::uint32_t{p[3]};
}

struct THead {
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  int Depth = 0;
  int ColourType = 0;
};

// The header fields, or nothing when the start is not a PNG signature and a header chunk with
// a size libpng would take (1 to 2^31 - 1 each way). The rest is checked by libpng.
std::optional<THead> ParseHead(std::span<const std::uint8_t> head) {
  if (head.size() < kPngHeadSize || !HasPngSignature(head)) return std::nullopt;
  const std::uint8_t* chunk = head.data() + kPngSignature.size();
  if (LoadBE32(chunk) != 13 || std::memcmp(chunk + 4, "IHDR", 4) != 0) return std::nullopt;
  const std::uint32_t width = LoadBE32(chunk + 8);
  const std::uint32_t height = LoadBE32(chunk + 12);
  constexpr std::uint32_t kLargest = std::numeric_limits<std::int32_t>::max();
  if (width == 0 || height == 0 || width > kLargest || height > kLargest) return std::nullopt;
  return THead{static_cast<std::int32_t>(width), static_cast<std::int32_t>(height), chunk[16],
               chunk[17]};
}

bool Takes256Colours(const THead& head) {
  return head.ColourType == kColourPalette || (head.ColourType == kColourGrey && head.Depth == 8);
}

// ---- libpng's side ------------------------------------------------------------------------
// libpng reports errors by a long jump back to the setjmp in RunStep. Nothing between the two
// may own a resource that needs a destructor, so the steps and callbacks below touch only the
// plain fields of TDecode; everything that allocates happens between the steps.

struct TDecode {
  png_structp Png = nullptr;
  png_infop Info = nullptr;
  std::span<const std::uint8_t> Bytes;
  std::size_t Position = 0;
  int SkippedChunks = 0;
  bool Colour = false;  // decode to blue, green, red, alpha; else to one index per pixel
  png_bytepp Rows = nullptr;

  TDecode() = default;
  TDecode(const TDecode&) = delete;
  TDecode& operator=(const TDecode&) = delete;
  ~TDecode() { png_destroy_read_struct(&Png, Info ? &Info : nullptr, nullptr); }
};

void ReadBytes(png_structp png, png_bytep out, png_size_t count) {
  auto* d = static_cast<TDecode*>(png_get_io_ptr(png));
  if (count > d->Bytes.size() - d->Position) png_error(png, "file is truncated");
  std::memcpy(out, d->Bytes.data() + d->Position, count);
  d->Position += count;
}

int SkipChunk(png_structp png, png_unknown_chunkp chunk) {
  auto* d = static_cast<TDecode*>(png_get_user_chunk_ptr(png));
  if (++d->SkippedChunks > kMaxSkippedChunks) png_error(png, "too many ancillary chunks");
  // An ancillary chunk (lower-case first letter) is dropped; an unknown critical one would
  // change how the image is to be read, and libpng refuses it.
  return (chunk->name[0] & 0x20) != 0 ? 1 : 0;
}

void OnError(png_structp png, png_const_charp) {
  png_longjmp(png, 1);
}
void OnWarning(png_structp, png_const_charp) {}

// Reads the header chunks and sets the transformations of the output form.
void ReadInfoStep(TDecode& d) {
  png_read_info(d.Png, d.Info);
  png_set_interlace_handling(d.Png);
  if (d.Colour) {
    png_set_expand(d.Png);  // palette to colours, grey below 8 bits widened, tRNS to alpha
    png_set_scale_16(d.Png);
    png_set_gray_to_rgb(d.Png);
    png_set_filler(d.Png, 0xFF, PNG_FILLER_AFTER);  // opaque alpha when the file has none
    png_set_bgr(d.Png);
  } else {
    png_set_packing(d.Png);  // 1, 2 and 4-bit indices to one byte each, values kept
  }
  png_read_update_info(d.Png, d.Info);
}

void ReadImageStep(TDecode& d) {
  png_read_image(d.Png, d.Rows);
  png_read_end(d.Png, nullptr);  // a file cut short before its end chunk is damaged
}

bool RunStep(TDecode& d, void (*step)(TDecode&)) {
  if (setjmp(png_jmpbuf(d.Png))) return false;
  step(d);
  return true;
}

// The 8-bit source: the file's indices straight into the rows of a 256-colour bitmap.
bool DecodeIndexed(TDecode& d, const THead& head, TBitmap& bitmap) {
  if (png_get_rowbytes(d.Png, d.Info) != static_cast<png_size_t>(head.Width)) return false;
  // A grey PNG's values are its indices into the grey ramp.
  TBMPalette table = GreyRamp();
  if (head.ColourType == kColourPalette) {
    png_colorp colours = nullptr;
    int count = 0;
    if (png_get_PLTE(d.Png, d.Info, &colours, &count) == 0) return false;
    // Entries past the file's palette stay zero, as for a short BMP colour table.
    table = {};
    const auto used = static_cast<std::size_t>(std::clamp(count, 0, kPaletteEntries));
    for (std::size_t i = 0; i < used; ++i)
      table[i] = TRGBQuad{colours[i].blue, colours[i].green, colours[i].red, 0};
  }
  std::vector<std::uint8_t> stored;
  const TStandardForm form = StartStandardForm(stored, head.Width, head.Height, &table);
  std::vector<png_bytep> rows(form.Height);
  for (std::size_t y = 0; y < form.Height; ++y)
    rows[y] = stored.data() + form.RowAt(y);
  d.Rows = rows.data();
  if (!RunStep(d, ReadImageStep)) return false;
  bitmap.AdoptStoredForm(std::move(stored));
  return true;
}

// Blue, green, red, alpha per pixel, rows top to bottom, into `pixels`.
bool DecodeBgra(TDecode& d, const THead& head, std::vector<std::uint8_t>& pixels) {
  const auto width = static_cast<std::size_t>(head.Width);
  const auto height = static_cast<std::size_t>(head.Height);
  if (png_get_rowbytes(d.Png, d.Info) != 4 * width || png_get_channels(d.Png, d.Info) != 4) {
    return false;
  }
  pixels.assign(4 * width * height, 0);
  std::vector<png_bytep> rows(height);
  for (std::size_t y = 0; y < height; ++y)
    rows[y] = pixels.data() + 4 * width * y;
  d.Rows = rows.data();
  return RunStep(d, ReadImageStep);
}

// The 16-bit source: blue, green, red, alpha per pixel, then into a 24-bit bitmap with the
// clear pixels noted.
bool DecodeColour(TDecode& d, const THead& head, TSourceImage& source) {
  const auto width = static_cast<std::size_t>(head.Width);
  const auto height = static_cast<std::size_t>(head.Height);
  std::vector<std::uint8_t> pixels;
  if (!DecodeBgra(d, head, pixels)) return false;

  std::vector<std::uint8_t> stored;
  const TStandardForm form = StartStandardForm(stored, head.Width, head.Height, nullptr);
  source.ClearPixels.clear();
  for (std::size_t y = 0; y < height; ++y) {
    const std::uint8_t* src = pixels.data() + 4 * width * y;
    const std::size_t rowAt = form.RowAt(y);
    std::uint8_t* dst = stored.data() + rowAt;
    for (std::size_t x = 0; x < width; ++x, src += 4, dst += 3) {
      dst[0] = src[0];
      dst[1] = src[1];
      dst[2] = src[2];
      if (src[3] < kHalfAlpha) {
        source.ClearPixels.push_back(static_cast<std::uint32_t>(rowAt + 3 * x));
      }
    }
  }
  source.Bitmap.AdoptStoredForm(std::move(stored));
  return true;
}

// Sets up libpng to read `bytes` with the limits of every PNG this program reads.
void StartDecode(TDecode& d, std::span<const std::uint8_t> bytes, bool colour) {
  d.Bytes = bytes;
  d.Colour = colour;
  d.Png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
  if (d.Png == nullptr) throw std::bad_alloc();
  d.Info = png_create_info_struct(d.Png);
  if (d.Info == nullptr) throw std::bad_alloc();
  png_set_read_fn(d.Png, &d, ReadBytes);
  const auto side = static_cast<png_uint_32>(kMaxImageBytes);
  png_set_user_limits(d.Png, side, side);
  png_set_chunk_cache_max(d.Png, kMaxCachedChunks);
  png_set_chunk_malloc_max(d.Png, kMaxChunkBytes);
  png_set_keep_unknown_chunks(d.Png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
  png_set_read_user_chunk_fn(d.Png, &d, SkipChunk);
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
  png_set_crc_action(d.Png, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
#endif
}

void ReadChunksToImageStep(TDecode& d) {
  png_read_info(d.Png, d.Info);
}

}  // namespace

bool HasPngSignature(std::span<const std::uint8_t> bytes) {
  return bytes.size() >= kPngSignature.size() &&
         std::equal(kPngSignature.begin(), kPngSignature.end(), bytes.begin());
}

std::optional<TRefusal> CheckPngHead(std::span<const std::uint8_t> head, int bitsPerPixel) {
  const std::optional<THead> parsed = ParseHead(head);
  if (!parsed) return TRefusal{.Reason = ERefusal::InvalidPNG};
  if (bitsPerPixel == 8 && !Takes256Colours(*parsed)) {
    return TRefusal{.Reason = ERefusal::PNGNot256Colour};
  }
  return std::nullopt;
}

std::optional<TRefusal> DecodePngSource(std::span<const std::uint8_t> png, int bitsPerPixel,
                                        TSourceImage& out) {
  if (auto refusal = CheckPngHead(png, bitsPerPixel)) return refusal;
  const THead head = *ParseHead(png);
  const bool colour = bitsPerPixel != 8;
  if (!ImageWithinLimits(head.Width, head.Height, colour ? 16 : 8)) {
    return ImageTooLarge(EPictureName::PngSource, head.Width, head.Height, colour ? 16 : 8);
  }

  TDecode d;
  StartDecode(d, png, colour);
  TSourceImage decoded;
  const bool decodedWell =
      RunStep(d, ReadInfoStep) &&
      (colour ? DecodeColour(d, head, decoded) : DecodeIndexed(d, head, decoded.Bitmap));
  if (!decodedWell) return TRefusal{.Reason = ERefusal::InvalidPNG};
  out = std::move(decoded);
  return std::nullopt;
}

std::optional<TRefusal> DecodePngBgra(std::span<const std::uint8_t> png,
                                      std::int32_t bitsPerPixel, TColourPicture& out) {
  const std::optional<THead> head = ParseHead(png);
  if (!head) return TRefusal{.Reason = ERefusal::InvalidPNG};
  if (!ImageWithinLimits(head->Width, head->Height, bitsPerPixel)) {
    return ImageTooLarge(EPictureName::PngSource, head->Width, head->Height, bitsPerPixel);
  }
  TDecode d;
  StartDecode(d, png, true);
  TColourPicture decoded{head->Width, head->Height, {}};
  if (!RunStep(d, ReadInfoStep) || !DecodeBgra(d, *head, decoded.Pixels)) {
    return TRefusal{.Reason = ERefusal::InvalidPNG};
  }
  out = std::move(decoded);
  return std::nullopt;
}

std::optional<TRefusal> ReadPngPalette(std::span<const std::uint8_t> png,
                                       std::vector<TRGBQuad>& colours) {
  const std::optional<THead> head = ParseHead(png);
  if (!head) return TRefusal{.Reason = ERefusal::InvalidPNG};
  TDecode d;
  StartDecode(d, png, false);
  if (!RunStep(d, ReadChunksToImageStep)) return TRefusal{.Reason = ERefusal::InvalidPNG};
  png_colorp entries = nullptr;
  int count = 0;
  if (head->ColourType != kColourPalette ||
      png_get_PLTE(d.Png, d.Info, &entries, &count) == 0) {
    return TRefusal{.Reason = ERefusal::PNGHasNoPalette};
  }
  colours.clear();
  for (int i = 0; i < count; ++i)
    colours.push_back(TRGBQuad{entries[i].blue, entries[i].green, entries[i].red, 0});
  return std::nullopt;
}

void PaintClearPixels(TSourceImage& source, std::uint8_t red, std::uint8_t green,
                      std::uint8_t blue) {
  if (source.ClearPixels.empty()) return;
  std::vector<std::uint8_t> stored = source.Bitmap.ReleaseStoredForm();
  for (const std::uint32_t at : source.ClearPixels) {
    if (std::size_t{at} + 3 > stored.size()) continue;
    stored[at] = blue;
    stored[at + 1] = green;
    stored[at + 2] = red;
  }
  source.Bitmap.AdoptStoredForm(std::move(stored));
}

}  // namespace zarn
