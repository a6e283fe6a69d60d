// Replacing a file safely: the bytes go to a temporary file beside the file that is replaced,
// which is renamed over it only once every byte is written.
//
// Rules for the target:
// - A symbolic link is followed (see FinalTarget in FilePaths.h): the file it finally points to
//   is replaced, and the link stays a link. A dangling link gets its target created.
// - A folder is refused with "Cannot create file <path>"; any other file that is not a regular
//   file (a FIFO, a device, a socket) with "<path> is not a regular file", without opening it.
// - A file the user may not write to is refused with "<path> is write-protected" (root may
//   replace it). A file or folder whose entries the system keeps (append-only or immutable),
//   and another user's file in a sticky folder, are refused before anything is written.
// - The temporary file is created with the mode the result will have: a replaced file's mode
//   (its owner and group are kept as far as the user may set them; the group's and the set-id
//   bits are dropped when the group cannot be kept), else the default for a new file. While it
//   is written, the group has no access to it. A private file is never readable by others, not
//   even for a moment.
// - Any failure leaves the target as it was and no temporary file behind; should the
//   temporary be impossible to remove, the message says so and names it. The one exception:
//   in the synced mode a folder that cannot be flushed after the rename is reported too, and
//   the target then already holds the new bytes.
// - The rename makes a new file: another hard link of the replaced file keeps the old bytes,
//   and extended attributes are not carried over.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>

namespace zarn {

// What a finished write promises.
// - Synced: the file's bytes are flushed to the disk before the rename, and the folder is
//   flushed after it, so once the call returns the new file, under its name, survives a crash
//   of the machine or a power cut.
// - Buffered: the bytes and the rename are left to the system to write out when it will. A
//   crash of the program never leaves a part-written file; a crash of the machine soon after
//   can leave the old file, or (on some file systems) an empty one. For outputs that can simply
//   be made again, where the flush would cost more than the work itself.
enum class EDurability { Synced, Buffered };

// Throws FileError "Cannot create file <path>" when the file cannot be created, CodecError
// "<path> is not a regular file" for a target of another kind, "<path> is write-protected", or
// a text naming the path and the system's reason when a write or the rename fails.
void WriteFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                         EDurability durability = EDurability::Synced);
// The same for a file made of several pieces written one after another.
void WriteFileAtomically(const std::filesystem::path& path,
                         std::span<const std::span<const std::uint8_t>> pieces,
                         EDurability durability = EDurability::Synced);

namespace detail {
// A seam for tests: while one is installed, each function that is set stands in for the
// system's: the flushes to the disk (0, or -1 with errno set, as fsync), and the random part of
// the temporary's name. A rename or removal error that is not 0 fails the rename, or leaves
// the temporary where it is.
struct TAtomicFileSeam {
  std::function<int(int fd)> SyncFile;
  std::function<int(int fd)> SyncFolder;
  std::function<std::uint64_t()> Random;
  int RenameError = 0;
  int RemoveError = 0;
};
// Installs `seam` (nullptr removes it); not for use while other threads write files.
void SetAtomicFileSeam(TAtomicFileSeam* seam);
}  // namespace detail

}  // namespace zarn
