// Replacing a file safely: the bytes go to a temporary file in the target's folder, which is
// renamed over the target only once every byte is written and flushed.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>

namespace zarn {

// Throws CodecError "Cannot create file <path>" when the file cannot be created, or a text
// naming the path and the system's reason when a write fails; the target is then unchanged
// and no temporary file is left behind.
void WriteFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

}  // namespace zarn
