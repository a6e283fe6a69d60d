// Replacing a file safely: the bytes go to a temporary file in the target's folder, which is
// renamed over the target only once every byte is written and flushed.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>

namespace zarn {

// How far a finished file is pushed before it replaces the target. Synced flushes it to the
// disk first, so even a crash of the machine cannot leave an empty file behind; Buffered leaves
// that to the system (for outputs that can simply be made again, where the flush would cost
// more than the work itself). Either way a failure leaves the old file as it was.
enum class EDurability { Synced, Buffered };

// Throws CodecError "Cannot create file <path>" when the file cannot be created, or a text
// naming the path and the system's reason when a write fails; the target is then unchanged
// and no temporary file is left behind.
void WriteFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                         EDurability durability = EDurability::Synced);
// The same for a file made of several pieces written one after another.
void WriteFileAtomically(const std::filesystem::path& path,
                         std::span<const std::span<const std::uint8_t>> pieces,
                         EDurability durability = EDurability::Synced);

}  // namespace zarn
