// Replacing files safely: a new file appears whole or not at all, and an old one survives
// every failure.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "TestFiles.h"
#include "codec/Errors.h"
#include "codec/files/AtomicFile.h"

namespace zarn {
namespace {

using test::Bytes;

TEST(WriteFileAtomically, CreatesAndReplaces) {
  test::TempDir dir;
  const auto path = dir.File("f.bin");
  WriteFileAtomically(path, Bytes{1, 2, 3});
  EXPECT_EQ(test::ReadFileBytes(path), (Bytes{1, 2, 3}));
  WriteFileAtomically(path, Bytes{});  // a shorter file replaces a longer one entirely
  EXPECT_EQ(test::ReadFileBytes(path), Bytes{});
  WriteFileAtomically(path, test::Pattern(100000));
  EXPECT_EQ(test::ReadFileBytes(path), test::Pattern(100000));
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"f.bin"});
}

TEST(WriteFileAtomically, FailuresLeaveTheOldFileAndNoLitter) {
  test::TempDir dir;
  const auto path = dir.File("f.bin");
  const Bytes old(300, 0x11);
  test::WriteFileBytes(path, old);
  {
    test::ScopedFileSizeLimit limit(4096);
    ASSERT_TRUE(limit.Active());
    try {
      WriteFileAtomically(path, test::Pattern(100000));
      ADD_FAILURE() << "no error";
    } catch (const CodecError& e) {
      // The text names the file that could not be written.
      EXPECT_NE(std::string(e.what()).find(path.string()), std::string::npos) << e.what();
    }
  }
  EXPECT_EQ(test::ReadFileBytes(path), old);
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"f.bin"});
}

TEST(WriteFileAtomically, UncreatableTargets) {
  test::TempDir dir;
  test::WriteFileBytes(dir.File("plain"), Bytes{1});
  const auto underFile = dir.File("plain") / "f.bin";
  try {
    WriteFileAtomically(underFile, Bytes{1});
    ADD_FAILURE() << "no error";
  } catch (const CodecError& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot create file " + underFile.string());
  }
  const auto noFolder = dir.File("none") / "f.bin";
  try {
    WriteFileAtomically(noFolder, Bytes{1});
    ADD_FAILURE() << "no error";
  } catch (const CodecError& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot create file " + noFolder.string());
  }
  EXPECT_EQ(test::ReadFileBytes(dir.File("plain")), Bytes{1});
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"plain"});
}

TEST(WriteFileAtomically, LinksAreFollowedAndSpecialFilesRefused) {
  namespace fs = std::filesystem;
  test::TempDir dir;
  test::WriteFileBytes(dir.File("real.bin"), Bytes{1});
  fs::create_symlink("real.bin", dir.File("link.bin"));
  fs::create_symlink("link.bin", dir.File("chain.bin"));
  fs::create_symlink("new.bin", dir.File("dangling.bin"));
  WriteFileAtomically(dir.File("chain.bin"), Bytes{2});
  WriteFileAtomically(dir.File("dangling.bin"), Bytes{3});
  EXPECT_TRUE(fs::is_symlink(dir.File("chain.bin")));
  EXPECT_TRUE(fs::is_symlink(dir.File("link.bin")));
  EXPECT_TRUE(fs::is_symlink(dir.File("dangling.bin")));
  EXPECT_EQ(test::ReadFileBytes(dir.File("real.bin")), Bytes{2});
  EXPECT_EQ(test::ReadFileBytes(dir.File("new.bin")), Bytes{3});

  // A FIFO is refused without being opened: opening one to write would block.
  ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0600), 0);
  try {
    WriteFileAtomically(dir.File("fifo"), Bytes{1});
    ADD_FAILURE() << "no error";
  } catch (const CodecError& e) {
    EXPECT_EQ(std::string(e.what()), dir.File("fifo").string() + " is not a regular file");
  }

  // A name as long as the file system allows: the temporary's name must fit as well.
  const auto longName = dir.File(std::string(255, 'n'));
  WriteFileAtomically(longName, Bytes{4});
  WriteFileAtomically(longName, Bytes{5});
  EXPECT_EQ(test::ReadFileBytes(longName), Bytes{5});
  EXPECT_EQ(dir.Entries().size(), 7u);
}

TEST(WriteFileAtomically, AReplacedFileKeepsItsMode) {
  test::TempDir dir;
  const auto path = dir.File("private.bin");
  for (const auto mode : {0600, 0640, 0755}) {
    test::WriteFileBytes(path, Bytes{1});
    std::filesystem::permissions(path, static_cast<std::filesystem::perms>(mode));
    WriteFileAtomically(path, Bytes{2});
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, static_cast<unsigned>(mode));
    EXPECT_EQ(test::ReadFileBytes(path), Bytes{2});
  }
}

TEST(WriteFileAtomically, SyncedFlushesFileAndFolderAndAFailedRenameLeavesNoLitter) {
  test::TempDir dir;
  const auto path = dir.File("f.bin");
  detail::TAtomicFileSeam seam;
  detail::SetAtomicFileSeam(&seam);
  WriteFileAtomically(path, Bytes{1}, EDurability::Synced);
  EXPECT_EQ(seam.FileSyncs, 1);
  EXPECT_EQ(seam.FolderSyncs, 1);
  WriteFileAtomically(path, Bytes{2}, EDurability::Buffered);
  EXPECT_EQ(seam.FileSyncs, 1);
  EXPECT_EQ(seam.FolderSyncs, 1);

  seam.RenameError = EXDEV;
  EXPECT_THROW(WriteFileAtomically(path, Bytes{3}), CodecError);
  detail::SetAtomicFileSeam(nullptr);
  EXPECT_EQ(test::ReadFileBytes(path), Bytes{2});
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"f.bin"});
}

}  // namespace
}  // namespace zarn
