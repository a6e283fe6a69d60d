#include "codec/PaletteFormats.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <string>
#include <utility>

#include "codec/BMReader.h"
#include "codec/Bitmap.h"
#include "codec/ByteSource.h"
#include "codec/Display.h"
#include "codec/Errors.h"
#include "codec/Refusal.h"
#include "codec/Png.h"

namespace zarn {

using detail::LoadU16;
using detail::LoadU32;

namespace {

constexpr std::string_view kGimpMagic = "GIMP Palette";
constexpr std::string_view kJascMagic = "JASC-PAL";
constexpr std::string_view kJascVersion = "0100";
constexpr std::size_t kActSize = kPaletteTrailerSize;
constexpr std::size_t kActSizeWithCount = kActSize + 4;
constexpr std::uint32_t kBmpInfoSizes[] = {12, 40, 52, 56, 108, 124};
// A text palette has one line per colour and a few more; no sound one comes near this.
constexpr std::size_t kMaxTextLines = 4096;

bool StartsWith(std::span<const std::uint8_t> bytes, std::string_view magic) {
  return bytes.size() >= magic.size() && std::equal(magic.begin(), magic.end(), bytes.begin());
}

std::string LowerExtensionOf(std::string_view path) {
  const std::size_t slash = path.find_last_of('/');
  const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  const std::size_t dot = name.find_last_of('.');
  if (dot == std::string_view::npos) return {};
  std::string ext(name.substr(dot));
  for (char& c : ext)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

// A BMP begins with "BM" and has a known info-header size at offset 14. A BM begins with
// "BM " too, but there bytes 14 to 17 are zero or at least 65536 (PaletteMode's high half and
// ImageCount's low half), so the two are never confused.
bool LooksLikeBmp(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < 18 || !HasBmpType(bytes)) return false;
  const std::uint32_t infoSize = LoadU32(bytes.data() + 14);
  return std::find(std::begin(kBmpInfoSizes), std::end(kBmpInfoSizes), infoSize) !=
         std::end(kBmpInfoSizes);
}

constexpr TRefusal kTooManyColours{.Reason = ERefusal::TooManyColours};

// Fills `palette` from `colours`, black past their end; TooManyColours beyond 256.
std::optional<TRefusal> TakeColours(const std::vector<TRGBQuad>& colours, TBMPalette& palette) {
  if (colours.size() > static_cast<std::size_t>(kPaletteEntries)) return kTooManyColours;
  TBMPalette filled{};
  for (std::size_t i = 0; i < colours.size(); ++i)
    filled[i] = TRGBQuad{colours[i].Blue, colours[i].Green, colours[i].Red, 0};
  palette = filled;
  return std::nullopt;
}

// ---- text palettes ------------------------------------------------------------------------

// The lines of a text file without their line ends (LF or CR LF) and trailing blanks; a
// leading UTF-8 byte-order mark is dropped.
std::optional<std::vector<std::string_view>> TextLines(std::span<const std::uint8_t> bytes) {
  std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    if (lines.size() == kMaxTextLines) return std::nullopt;
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back())))
      line.remove_suffix(1);
    lines.push_back(line);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  }
  return lines;
}

std::string_view TrimFront(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())))
    s.remove_prefix(1);
  return s;
}

// Three whole numbers of 0 to 255 separated by blanks at the start of `line`; the rest of the
// line (a colour's name) is `rest`. Nothing when the line does not start so.
std::optional<TRGBQuad> ParseTriple(std::string_view line, std::string_view* rest = nullptr) {
  std::array<int, 3> v{};
  for (int& value : v) {
    const std::string_view s = TrimFront(line);
    if (s.size() == line.size() && &value != v.data()) return std::nullopt;  // no blank between
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec != std::errc() || value < 0 || value > 255) return std::nullopt;
    line = s.substr(static_cast<std::size_t>(end - s.data()));
  }
  if (!line.empty() && !std::isspace(static_cast<unsigned char>(line.front()))) {
    return std::nullopt;
  }
  if (rest != nullptr) *rest = TrimFront(line);
  return TRGBQuad{static_cast<std::uint8_t>(v[2]), static_cast<std::uint8_t>(v[1]),
                  static_cast<std::uint8_t>(v[0]), 0};
}

// "GIMP Palette", then header lines ("Name: ...", "Columns: ..."), comments ("#..."), blank
// lines and colour lines "R G B [name]" in any order after the first line.
std::optional<TRefusal> ReadGimp(std::span<const std::uint8_t> bytes, TBMPalette& palette) {
  const auto lines = TextLines(bytes);
  if (!lines || lines->empty() || (*lines)[0] != kGimpMagic) {
    return TRefusal{.Reason = ERefusal::InvalidGimpPalette};
  }
  std::vector<TRGBQuad> colours;
  for (std::size_t i = 1; i < lines->size(); ++i) {
    const std::string_view line = TrimFront((*lines)[i]);
    if (line.empty() || line.front() == '#' || line.starts_with("Name:") ||
        line.starts_with("Columns:")) {
      continue;
    }
    const auto colour = ParseTriple(line);
    if (!colour) return LineRefusal(ERefusal::InvalidGimpPalette, i + 1);
    colours.push_back(*colour);
  }
  return TakeColours(colours, palette);
}

// "JASC-PAL", "0100", the number of colours, then exactly that many "R G B" lines; blank lines
// after them are allowed.
std::optional<TRefusal> ReadJasc(std::span<const std::uint8_t> bytes, TBMPalette& palette) {
  constexpr TRefusal kInvalidJascPalette{.Reason = ERefusal::InvalidJascPalette};
  const auto lines = TextLines(bytes);
  if (!lines || lines->size() < 3 || (*lines)[0] != kJascMagic || (*lines)[1] != kJascVersion) {
    return kInvalidJascPalette;
  }
  const std::string_view countText = TrimFront((*lines)[2]);
  std::size_t count = 0;
  const auto [end, ec] =
      std::from_chars(countText.data(), countText.data() + countText.size(), count);
  if (ec != std::errc() || end != countText.data() + countText.size()) return kInvalidJascPalette;
  if (count > static_cast<std::size_t>(kPaletteEntries)) return kTooManyColours;
  std::vector<TRGBQuad> colours;
  for (std::size_t i = 3; i < lines->size(); ++i) {
    if (TrimFront((*lines)[i]).empty()) continue;
    std::string_view rest;
    const auto colour = ParseTriple((*lines)[i], &rest);
    if (!colour || !rest.empty()) return LineRefusal(ERefusal::InvalidJascPalette, i + 1);
    colours.push_back(*colour);
  }
  if (colours.size() > static_cast<std::size_t>(kPaletteEntries)) return kTooManyColours;
  if (colours.size() != count) return kInvalidJascPalette;
  return TakeColours(colours, palette);
}

// 256 triples; a 772-byte table adds the number of colours in use (big-endian) and a
// transparent index, which a palette does not keep.
std::optional<TRefusal> ReadAct(std::span<const std::uint8_t> bytes, TBMPalette& palette) {
  constexpr TRefusal kInvalidActFile{.Reason = ERefusal::InvalidActFile};
  if (bytes.size() != kActSize && bytes.size() != kActSizeWithCount) return kInvalidActFile;
  std::size_t count = kPaletteEntries;
  if (bytes.size() == kActSizeWithCount) {
    count = static_cast<std::size_t>(bytes[kActSize] << 8 | bytes[kActSize + 1]);
    if (count == 0) return kInvalidActFile;
    if (count > static_cast<std::size_t>(kPaletteEntries)) return kTooManyColours;
  }
  std::vector<TRGBQuad> colours(count);
  for (std::size_t i = 0; i < count; ++i)
    colours[i] = TRGBQuad{bytes[3 * i + 2], bytes[3 * i + 1], bytes[3 * i], 0};
  return TakeColours(colours, palette);
}

std::optional<TRefusal> ReadBmpTable(std::span<const std::uint8_t> bytes, TBMPalette& palette) {
  TBitmap bitmap;
  try {
    bitmap.LoadFromBmpStream(bytes);
  } catch (const CodecError&) {
    return TRefusal{.Reason = ERefusal::InvalidBMP};
  }
  const TBmpLayout& l = bitmap.Layout();
  if (bitmap.Empty() || l.BitCount > 8 || l.ColourCount == 0) {
    return TRefusal{.Reason = ERefusal::BMPHasNoColourTable};
  }
  if (l.ColourCount > static_cast<std::uint32_t>(kPaletteEntries)) return kTooManyColours;
  std::vector<TRGBQuad> colours(l.ColourCount);
  const std::uint8_t* table = bitmap.StoredForm().data() + l.ColourTableOffset;
  for (std::size_t i = 0; i < colours.size(); ++i) {
    const std::uint8_t* e = table + i * l.ColourEntrySize;
    colours[i] = TRGBQuad{e[0], e[1], e[2], 0};
  }
  return TakeColours(colours, palette);
}

// ---- writing ------------------------------------------------------------------------------

void AppendText(std::vector<std::uint8_t>& out, std::string_view text) {
  out.insert(out.end(), text.begin(), text.end());
}

std::string TripleText(const TRGBQuad& c, int width) {
  std::string text;
  for (const int v : {int{c.Red}, int{c.Green}, int{c.Blue}}) {
    std::string number = std::to_string(v);
    if (!text.empty()) text += ' ';
    text += std::string(static_cast<std::size_t>(std::max(0, width - int(number.size()))), ' ');
    text += number;
  }
  return text;
}

void EncodeSwatch(const TBMPalette& palette, std::vector<std::uint8_t>& out) {
  constexpr std::int32_t kSide = kSwatchCell * kSwatchColumns;
  static_assert(kSwatchColumns * kSwatchColumns == kPaletteEntries);
  TBMImage image{kSide, kSide, std::vector<std::uint8_t>(std::size_t{kSide} * kSide)};
  for (std::int32_t y = 0; y < kSide; ++y) {
    for (std::int32_t x = 0; x < kSide; ++x) {
      image.Pixels[static_cast<std::size_t>(y * kSide + x)] =
          static_cast<std::uint8_t>((y / kSwatchCell) * kSwatchColumns + x / kSwatchCell);
    }
  }
  TBitmap bitmap;
  BM8ToBitmap(bitmap, image, palette);
  std::vector<std::uint8_t> scratch;
  EncodePng(bitmap, out, scratch);
}

}  // namespace

std::optional<EPaletteFile> PaletteFileOf(std::span<const std::uint8_t> bytes,
                                          std::string_view path) {
  if (HasCMPMagic(bytes)) return EPaletteFile::CMP;
  if (LooksLikeBmp(bytes)) return EPaletteFile::Bmp;
  if (HasBMSignature(bytes)) return EPaletteFile::BM;
  if (HasPngSignature(bytes)) return EPaletteFile::Png;
  const std::span<const std::uint8_t> text =
      StartsWith(bytes, "\xEF\xBB\xBF") ? bytes.subspan(3) : bytes;
  if (StartsWith(text, kGimpMagic)) return EPaletteFile::Gimp;
  if (StartsWith(text, kJascMagic)) return EPaletteFile::Jasc;
  const std::string ext = LowerExtensionOf(path);
  for (const EPaletteFile kind : {EPaletteFile::Act, EPaletteFile::CMP, EPaletteFile::BM,
                                  EPaletteFile::Bmp, EPaletteFile::Png, EPaletteFile::Gimp,
                                  EPaletteFile::Jasc}) {
    if (ext.size() > 1 && ext.substr(1) == PaletteExtension(kind)) return kind;
  }
  return std::nullopt;
}

std::string_view PaletteExtension(EPaletteFile kind) {
  switch (kind) {
    case EPaletteFile::CMP:
      return "cmp";
    case EPaletteFile::BM:
      return "bm";
    case EPaletteFile::Gimp:
      return "gpl";
    case EPaletteFile::Act:
      return "act";
    case EPaletteFile::Jasc:
      return "pal";
    case EPaletteFile::Png:
      return "png";
    case EPaletteFile::Bmp:
      return "bmp";
  }
  return {};
}

std::optional<EPaletteFile> PaletteOutputFor(std::string_view path) {
  const std::string ext = LowerExtensionOf(path);
  for (const EPaletteFile kind : kWrittenPaletteKinds) {
    if (ext.size() > 1 && ext.substr(1) == PaletteExtension(kind)) return kind;
  }
  return std::nullopt;
}

std::optional<TRefusal> ReadPaletteBytes(std::span<const std::uint8_t> bytes, EPaletteFile kind,
                                         TBMPalette& palette) {
  switch (kind) {
    case EPaletteFile::CMP:
      return ReadCMPPaletteFromBytes(bytes, palette);
    case EPaletteFile::BM:
      return ReadBMPaletteFromBytes(bytes, palette);
    case EPaletteFile::Gimp:
      return ReadGimp(bytes, palette);
    case EPaletteFile::Act:
      return ReadAct(bytes, palette);
    case EPaletteFile::Jasc:
      return ReadJasc(bytes, palette);
    case EPaletteFile::Png: {
      std::vector<TRGBQuad> colours;
      if (auto refusal = ReadPngPalette(bytes, colours)) return refusal;
      return TakeColours(colours, palette);
    }
    case EPaletteFile::Bmp:
      return ReadBmpTable(bytes, palette);
  }
  return TRefusal{.Reason = ERefusal::NotAPaletteFile};
}

void EncodePalette(const TBMPalette& palette, EPaletteFile kind, std::vector<std::uint8_t>& out) {
  out.clear();
  switch (kind) {
    case EPaletteFile::Gimp:
      AppendText(out, std::string(kGimpMagic) + "\nName: Zarn\nColumns: 16\n#\n");
      for (std::size_t i = 0; i < palette.size(); ++i)
        AppendText(out, TripleText(palette[i], 3) + "\tIndex " + std::to_string(i) + "\n");
      return;
    case EPaletteFile::Act:
      for (const TRGBQuad& c : palette)
        out.insert(out.end(), {c.Red, c.Green, c.Blue});
      return;
    case EPaletteFile::Jasc:
      AppendText(out, std::string(kJascMagic) + "\r\n" + std::string(kJascVersion) + "\r\n" +
                          std::to_string(kPaletteEntries) + "\r\n");
      for (const TRGBQuad& c : palette)
        AppendText(out, TripleText(c, 0) + "\r\n");
      return;
    case EPaletteFile::Png:
      EncodeSwatch(palette, out);
      return;
    case EPaletteFile::CMP:
    case EPaletteFile::BM:
    case EPaletteFile::Bmp:
      break;
  }
  throw CodecError(kNotAPaletteOutput);
}

}  // namespace zarn
