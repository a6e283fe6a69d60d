// The codec at the file edge: each reader opens its file, hands the bytes to the in-memory
// codec and closes it within the call; each writer encodes in memory and writes the file
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
#include "codec/Messages.h"
#include "codec/PaletteFormats.h"
#include "codec/Png.h"
#include "codec/files/AtomicFile.h"

namespace zarn {

// ReadBMFromBytes for a file, reading only the parts it needs. A file that cannot be opened is
// refused too; `refusal` then gets kInvalidBMFile (OpenFailure() says why it cannot be opened).
bool ReadBM(const std::filesystem::path& FileName, TBMHeader& Header, std::span<TBMImage> Images,
            TBMPalette& Palette, std::string* refusal = nullptr);

// The palette readers for files; a file that cannot be opened gets the reader's warning.
bool ReadCMPPalette(const std::filesystem::path& FileName, TBMPalette& Palette,
                    TMessageSink& messages);
bool ReadBMPalette(const std::filesystem::path& FileName, TBMPalette& Palette,
                   TMessageSink& messages);

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
// DecodePngSource on the whole file. Throws "Cannot open file <path>" when the file cannot be
// read.
std::optional<std::string> LoadPngFile(const std::filesystem::path& path, int bitsPerPixel,
                                       TSourceImage& out);

// DecodeColourSource on the whole file (up to the BMP file limit). Throws "Cannot open file
// <path>" when the file cannot be read.
std::optional<std::string> LoadColourSourceFile(const std::filesystem::path& path,
                                                std::int32_t bitsPerPixel, TColourPicture& out);

// Reads a palette file of kind `kind`, or when none is given of the kind PaletteFileOf
// recognises (by its content, else by its extension), at most kMaxPaletteFileBytes. Returns
// the refusal (kNotAPaletteFile for a file of no known kind, the reader's refusal otherwise),
// leaving `palette` unchanged, or nothing. Throws "Cannot open file <path>" when the file
// cannot be read.
std::optional<std::string> ReadPaletteFile(const std::filesystem::path& path, TBMPalette& palette,
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
