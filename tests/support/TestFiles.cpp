#include "TestFiles.h"

#include <fcntl.h>
#include <grp.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <system_error>

namespace zarn::test {

// ---- ByteWriter ---------------------------------------------------------------------------

ByteWriter& ByteWriter::U8(std::uint8_t v) {
  bytes_.push_back(v);
  return *this;
}

ByteWriter& ByteWriter::U16(std::uint16_t v) {
  U8(static_cast<std::uint8_t>(v & 0xFFu));
  return U8(static_cast<std::uint8_t>(v >> 8));
}

ByteWriter& ByteWriter::U32(std::uint32_t v) {
  for (int shift = 0; shift < 32; shift += 8)
    U8(static_cast<std::uint8_t>((v >> shift) & 0xFFu));
  return *this;
}

ByteWriter& ByteWriter::I32(std::int32_t v) {
  return U32(static_cast<std::uint32_t>(v));
}

ByteWriter& ByteWriter::Raw(std::span<const std::uint8_t> bytes) {
  bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
  return *this;
}

ByteWriter& ByteWriter::Text(std::string_view text) {
  for (char c : text)
    U8(static_cast<std::uint8_t>(c));
  return *this;
}

ByteWriter& ByteWriter::Fill(std::size_t count, std::uint8_t value) {
  bytes_.insert(bytes_.end(), count, value);
  return *this;
}

// ---- Fields -------------------------------------------------------------------------------

std::uint16_t GetU16(std::span<const std::uint8_t> bytes, std::size_t offset) {
  return static_cast<std::uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

std::uint32_t GetU32(std::span<const std::uint8_t> bytes, std::size_t offset) {
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < 4; ++i)
    v |= static_cast<std::uint32_t>(bytes[offset + i]) << (8 * i);
  return v;
}

std::int32_t GetI32(std::span<const std::uint8_t> bytes, std::size_t offset) {
  return static_cast<std::int32_t>(GetU32(bytes, offset));
}

void PutU16(Bytes& bytes, std::size_t offset, std::uint16_t value) {
  bytes.at(offset) = static_cast<std::uint8_t>(value & 0xFFu);
  bytes.at(offset + 1) = static_cast<std::uint8_t>(value >> 8);
}

void PutU32(Bytes& bytes, std::size_t offset, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i) {
    bytes.at(offset + i) = static_cast<std::uint8_t>((value >> (8 * i)) & 0xFFu);
  }
}

void PutI32(Bytes& bytes, std::size_t offset, std::int32_t value) {
  PutU32(bytes, offset, static_cast<std::uint32_t>(value));
}

Bytes Slice(std::span<const std::uint8_t> bytes, std::size_t offset, std::size_t count) {
  if (offset > bytes.size() || count > bytes.size() - offset) {
    throw std::out_of_range("Slice beyond the buffer");
  }
  return Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(offset),
               bytes.begin() + static_cast<std::ptrdiff_t>(offset + count));
}

Bytes Pattern(std::size_t count, std::uint8_t seed) {
  Bytes out(count);
  std::uint32_t state = seed * 2654435761u + 1;
  for (auto& b : out) {
    state = state * 1664525u + 1013904223u;
    b = static_cast<std::uint8_t>(state >> 24);
  }
  return out;
}

// ---- BM -----------------------------------------------------------------------------------

BMHeaderParts Header16() {
  BMHeaderParts h;
  h.ColourMode = 1;
  h.BitsPerPixel = 16;
  const std::int32_t channel[9] = {5, 6, 5, 11, 5, 0, 3, 2, 2};
  std::copy(std::begin(channel), std::end(channel), std::begin(h.Channel));
  return h;
}

Bytes BMHeaderBytes(const BMHeaderParts& header) {
  ByteWriter w;
  std::string sig = header.Signature;
  sig.resize(4, ' ');
  w.Text(sig)
      .I32(header.HeaderConstant)
      .I32(header.Reserved1)
      .I32(header.PaletteMode)
      .I32(header.ImageCount)
      .I32(header.XOffset)
      .I32(header.YOffset);
  for (std::uint8_t b : header.Transparent)
    w.U8(b);
  w.I32(header.ColourMode).I32(header.BitsPerPixel);
  for (std::int32_t v : header.Channel)
    w.I32(v);
  w.Fill(52);
  return w.Take();
}

Bytes MakeBM(const BMFileParts& parts) {
  ByteWriter w;
  w.Raw(BMHeaderBytes(parts.Header));
  for (const auto& image : parts.Images) {
    w.I32(image.Width).I32(image.Height).Raw(image.Pixels);
  }
  if (parts.Trailer) w.Raw(*parts.Trailer);
  w.Raw(parts.Extra);
  return w.Take();
}

Bytes TestTriples(std::uint8_t seed) {
  return Pattern(768, seed);
}

Bytes MakeCMP(std::span<const std::uint8_t> triples, std::string_view magic, std::size_t extra) {
  ByteWriter w;
  std::string m(magic);
  m.resize(4, ' ');
  w.Text(m).Fill(60, 0x11).Raw(triples).Raw(Pattern(extra, 99));
  return w.Take();
}

// ---- BMP ----------------------------------------------------------------------------------

std::vector<Colour> TestColours(std::size_t count, std::uint8_t seed) {
  std::vector<Colour> out(count);
  for (std::size_t i = 0; i < count; ++i) {
    const auto k = static_cast<std::uint32_t>(i) + seed;
    out[i] = Colour{static_cast<std::uint8_t>(k * 7u), static_cast<std::uint8_t>(255u - k),
                    static_cast<std::uint8_t>(k * 13u + 1u), 0};
  }
  return out;
}

std::size_t RowSize(std::int64_t width, int bytesPerPixel) {
  return static_cast<std::size_t>((width * bytesPerPixel + 3) / 4 * 4);
}

namespace {

std::size_t StoredRowSize(std::int64_t width, int bitCount) {
  return static_cast<std::size_t>((width * bitCount + 31) / 32 * 4);
}

}  // namespace

Bytes MakeBmp(const BmpParts& parts) {
  const std::size_t entrySize = parts.InfoSize == 12 ? 3 : 4;
  const std::size_t tableBytes = parts.Colours.size() * entrySize;

  // Pixel data.
  Bytes pixelData;
  if (parts.RawPixelData) {
    pixelData = *parts.RawPixelData;
  } else {
    const std::size_t rowSize = StoredRowSize(parts.Width, parts.BitCount);
    const std::size_t rowBytes =
        static_cast<std::size_t>((static_cast<std::int64_t>(parts.Width) * parts.BitCount + 7) / 8);
    const std::size_t rows = static_cast<std::size_t>(std::max(parts.Height, 0));
    Bytes picture = parts.Pixels;
    picture.resize(rowBytes * rows, 0);
    pixelData.assign(rowSize * rows, parts.PadByte);
    for (std::size_t stored = 0; stored < rows; ++stored) {
      const std::size_t y = parts.TopDown ? stored : rows - 1 - stored;
      std::copy_n(picture.begin() + static_cast<std::ptrdiff_t>(y * rowBytes), rowBytes,
                  pixelData.begin() + static_cast<std::ptrdiff_t>(stored * rowSize));
    }
  }

  // Info header.
  ByteWriter info;
  if (parts.InfoSize == 12) {
    info.U32(12)
        .U16(static_cast<std::uint16_t>(parts.Width))
        .U16(static_cast<std::uint16_t>(parts.Height))
        .U16(1)
        .U16(static_cast<std::uint16_t>(parts.BitCount));
  } else {
    const std::uint32_t used =
        parts.ColoursUsedField.value_or(static_cast<std::uint32_t>(parts.Colours.size()));
    info.U32(parts.InfoSize)
        .I32(parts.Width)
        .I32(parts.TopDown ? -parts.Height : parts.Height)
        .U16(1)
        .U16(static_cast<std::uint16_t>(parts.BitCount))
        .U32(parts.Compression)
        .U32(static_cast<std::uint32_t>(pixelData.size()))
        .U32(0)
        .U32(0)
        .U32(used)
        .U32(used);
  }
  Bytes infoBytes = info.Take();
  if (parts.InfoSize != 12) {
    infoBytes.resize(parts.InfoSize, 0);
    if (parts.InfoSize >= 4) PutU32(infoBytes, 0, parts.InfoSize);
  }

  const std::size_t pixelOffset = 14 + infoBytes.size() + tableBytes + parts.Gap;
  const std::size_t total = pixelOffset + pixelData.size() + parts.Trailing.size();

  ByteWriter w;
  std::string type = parts.Type;
  type.resize(2, ' ');
  w.Text(type)
      .U32(parts.FileSizeField.value_or(static_cast<std::uint32_t>(total)))
      .U16(0)
      .U16(0)
      .U32(parts.PixelOffsetField.value_or(static_cast<std::uint32_t>(pixelOffset)))
      .Raw(infoBytes);
  for (const Colour& c : parts.Colours) {
    w.U8(c.Blue).U8(c.Green).U8(c.Red);
    if (entrySize == 4) w.U8(c.Reserved);
  }
  w.Fill(parts.Gap, 0xA5).Raw(pixelData).Raw(parts.Trailing);
  return w.Take();
}

Bytes StandardBmp8(std::int32_t width, std::int32_t height, std::span<const std::uint8_t> pixels,
                   const std::vector<Colour>& colours, std::uint8_t pad) {
  BmpParts parts;
  parts.BitCount = 8;
  parts.Width = width;
  parts.Height = height;
  parts.Pixels.assign(pixels.begin(), pixels.end());
  parts.Colours = colours;
  parts.Colours.resize(256);
  parts.PadByte = pad;
  return MakeBmp(parts);
}

Bytes StandardBmp24(std::int32_t width, std::int32_t height, std::span<const std::uint8_t> pixels,
                    std::uint8_t pad) {
  BmpParts parts;
  parts.BitCount = 24;
  parts.Width = width;
  parts.Height = height;
  parts.Pixels.assign(pixels.begin(), pixels.end());
  parts.PadByte = pad;
  return MakeBmp(parts);
}

std::vector<std::size_t> PaddingOffsets(std::size_t pixelOffset, std::int32_t width,
                                        std::int32_t height, int bytesPerPixel) {
  std::vector<std::size_t> out;
  const std::size_t rowBytes =
      static_cast<std::size_t>(width) * static_cast<std::size_t>(bytesPerPixel);
  const std::size_t rowSize = RowSize(width, bytesPerPixel);
  for (std::size_t y = 0; y < static_cast<std::size_t>(height); ++y) {
    for (std::size_t x = rowBytes; x < rowSize; ++x)
      out.push_back(pixelOffset + y * rowSize + x);
  }
  return out;
}

Bytes WithoutPadding(Bytes bytes, const std::vector<std::size_t>& offsets) {
  for (std::size_t off : offsets) {
    if (off < bytes.size()) bytes[off] = 0;
  }
  return bytes;
}

Rle8Writer& Rle8Writer::Run(std::uint8_t count, std::uint8_t value) {
  bytes_.push_back(count);
  bytes_.push_back(value);
  return *this;
}

Rle8Writer& Rle8Writer::Absolute(std::span<const std::uint8_t> pixels) {
  bytes_.push_back(0);
  bytes_.push_back(static_cast<std::uint8_t>(pixels.size()));
  bytes_.insert(bytes_.end(), pixels.begin(), pixels.end());
  if (pixels.size() % 2 != 0) bytes_.push_back(0);
  return *this;
}

Rle8Writer& Rle8Writer::EndOfLine() {
  return Run(0, 0);
}

Rle8Writer& Rle8Writer::Delta(std::uint8_t right, std::uint8_t up) {
  bytes_.insert(bytes_.end(), {0, 2, right, up});
  return *this;
}

Rle8Writer& Rle8Writer::EndOfBitmap() {
  return Run(0, 1);
}

Rle8Writer& Rle8Writer::Raw(std::span<const std::uint8_t> bytes) {
  bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
  return *this;
}

// ---- Files --------------------------------------------------------------------------------

Bytes ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("test cannot read " + path.string());
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("test cannot write " + path.string());
}

TempDir::TempDir() {
  std::string templ = (std::filesystem::temp_directory_path() / "zarn-test-XXXXXX").string();
  if (::mkdtemp(templ.data()) == nullptr) {
    throw std::system_error(errno, std::generic_category(), "mkdtemp");
  }
  path_ = templ;
}

TempDir::~TempDir() {
  std::error_code ec;
  // A test may have left something unwritable behind; make it removable first.
  for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
       !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
    std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
  }
  std::filesystem::remove_all(path_, ec);
}

std::vector<std::string> TempDir::Entries() const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(path_)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

ScopedFileSizeLimit::ScopedFileSizeLimit(std::uint64_t maxBytes) {
  rlimit limit{};
  if (::getrlimit(RLIMIT_FSIZE, &limit) != 0) return;
  if (limit.rlim_max != RLIM_INFINITY && limit.rlim_max < maxBytes) return;
  oldSoft_ = limit.rlim_cur;
  oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
  limit.rlim_cur = maxBytes;
  active_ = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
  if (!active_) std::signal(SIGXFSZ, oldHandler_);
}

ScopedFileSizeLimit::~ScopedFileSizeLimit() {
  if (!active_) return;
  rlimit limit{};
  ::getrlimit(RLIMIT_FSIZE, &limit);
  limit.rlim_cur = oldSoft_;
  ::setrlimit(RLIMIT_FSIZE, &limit);
  std::signal(SIGXFSZ, oldHandler_);
}

bool RunningAsRoot() {
  return ::geteuid() == 0;
}

std::string AsUnprivilegedUser(const std::function<std::string()>& body) {
  int channel[2];
  if (::pipe(channel) != 0) throw std::system_error(errno, std::generic_category(), "pipe");
  const pid_t child = ::fork();
  if (child < 0) throw std::system_error(errno, std::generic_category(), "fork");
  if (child == 0) {
    ::close(channel[0]);
    std::string text;
    if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(kUnprivilegedId) != 0 ||
                             ::setuid(kUnprivilegedId) != 0)) {
      text = "cannot drop to an unprivileged user";
    } else {
      try {
        text = body();
      } catch (const std::exception& e) {
        text = e.what();
      }
    }
    const char* data = text.data();
    std::size_t left = text.size();
    while (left > 0) {
      const ssize_t n = ::write(channel[1], data, left);
      if (n <= 0) break;
      data += n;
      left -= static_cast<std::size_t>(n);
    }
    ::_exit(0);  // no destructors, no leak report: the parent owns everything
  }
  ::close(channel[1]);
  std::string text;
  char buffer[512];
  for (ssize_t n; (n = ::read(channel[0], buffer, sizeof buffer)) != 0;) {
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) break;
    text.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(channel[0]);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (!WIFEXITED(status)) text += " (the child process did not end normally)";
  return text;
}

RefusedTarget MakeRefusedTarget(const std::filesystem::path& folder, const std::string& name) {
  namespace fs = std::filesystem;
  RefusedTarget target;
  target.Victim = folder / ("victim-" + name);
  WriteFileBytes(target.Victim, Bytes{1, 2, 3});
  if (!RunningAsRoot()) {
    fs::permissions(target.Victim, fs::perms::owner_read);
    target.Path = target.Victim;
    target.Text = target.Path.string() + " is write-protected";
    return target;
  }
  const fs::path shared = folder / "shared";
  fs::create_directories(shared);
  fs::permissions(shared, fs::perms::all | fs::perms::sticky_bit);
  target.Path = shared / name;
  fs::create_symlink(target.Victim, target.Path);
  if (::lchown(target.Path.c_str(), kUnprivilegedId, kUnprivilegedId) != 0) {
    throw std::system_error(errno, std::generic_category(), "lchown");
  }
  target.Text = "Cannot create file " + target.Path.string();
  return target;
}

bool SetAppendOnly(const std::filesystem::path& path, bool on) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  int flags = 0;
  bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
  if (done) {
    flags = on ? flags | FS_APPEND_FL : flags & ~FS_APPEND_FL;
    done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
  }
  ::close(fd);
  return done;
}

}  // namespace zarn::test
