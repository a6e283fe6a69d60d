// The codec at the file edge: each reader reads its whole file once, under a named cap, and
// hands the bytes to the in-memory codec; each writer encodes in memory and writes the file
// atomically (see AtomicFile.h). The windows and zarn-cli read and write files only here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "codec/BMFormat.h"
#include "codec/Bitmap.h"
#include "codec/PaletteFormats.h"
#include "codec/Png.h"
#include "codec/Refusal.h"
#include "codec/files/AtomicFile.h"

namespace zarn {

// The whole of a regular file, read once: its bytes, unless it holds more than the limit it was
// read under (TooLarge; Size says how many it holds, and nothing is read).
struct TWholeFile {
  std::vector<std::uint8_t> Bytes;
  std::uint64_t Size = 0;
  bool TooLarge = false;
};
// Nothing when the file cannot be opened or read (OpenFailure() says why).
std::optional<TWholeFile> ReadWholeFile(const std::filesystem::path& path, std::uint64_t limit);

// ReadBMFromBytes on the whole file, read under kMaxBMFileBytes (BMFileTooLarge above it). A
// file that cannot be opened is refused as InvalidBM (OpenFailure() says why).
std::optional<TRefusal> ReadBM(const std::filesystem::path& FileName, TBMHeader& Header,
                               std::span<TBMImage> Images, TBMPalette& Palette);

// The palette readers for files; a file that cannot be opened is refused as the reader refuses
// bytes that are too short.
std::optional<TRefusal> ReadCMPPalette(const std::filesystem::path& FileName, TBMPalette& Palette);
std::optional<TRefusal> ReadBMPalette(const std::filesystem::path& FileName, TBMPalette& Palette);

// EncodeBM8 and EncodeBM16 into a file, written atomically and synced: every source is checked
// before anything is written, and a failure leaves an existing file as it was.
void WriteBM8(const std::filesystem::path& FileName, std::span<const TBitmap* const> Sources,
              std::int32_t XOffset, std::int32_t YOffset, std::uint8_t TransparentIndex,
              bool IncludePalette);
void WriteBM16(const std::filesystem::path& FileName, std::span<const TBitmap* const> Sources,
               std::int32_t XOffset, std::int32_t YOffset, std::uint8_t Red, std::uint8_t Green,
               std::uint8_t Blue);

// TBitmap::LoadFromBmpStream on the whole file. Throws "Cannot open file <path>" when the file
// cannot be read, or the loader's CodecError.
void LoadFromBmpFile(TBitmap& bitmap, const std::filesystem::path& path);

// Reads a palette file of kind `kind`, or when none is given of the kind PaletteFileOf
// recognises (by its content, else by its extension), at most kMaxPaletteFileBytes. Returns
// the refusal (NotAPaletteFile for a file of no known kind, the reader's refusal otherwise),
// leaving `palette` unchanged, or nothing. Throws "Cannot open file <path>" when the file
// cannot be read.
std::optional<TRefusal> ReadPaletteFile(const std::filesystem::path& path, TBMPalette& palette,
                                        std::optional<EPaletteFile> kind = std::nullopt);
// Writes the palette as the kind PaletteOutputFor(path) names, atomically. Throws CodecError
// (kNotAPaletteOutput for any other extension) or a write error.
void WritePaletteFile(const std::filesystem::path& path, const TBMPalette& palette);

// TBitmap::SaveToBmpStream into a file, written atomically. Throws "Cannot create file <path>"
// or a write error.
void SaveToBmpFile(const TBitmap& bitmap, const std::filesystem::path& path,
                   EDurability durability = EDurability::Synced);

// The first bytes of a file, at most `count` (fewer when the file is shorter); nothing when it
// cannot be opened or read.
std::optional<std::vector<std::uint8_t>> ReadFileHead(const std::filesystem::path& path,
                                                      std::size_t count);

}  // namespace zarn
