// Replacing files safely: a new file appears whole or not at all, and an old one survives
// every failure.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "TestFiles.h"
#include "codec/Errors.h"
#include "codec/files/AtomicFile.h"
#include "codec/files/FilePaths.h"

namespace zarn {
namespace {

namespace fs = std::filesystem;
using test::Bytes;

// The text of the error that writing `bytes` to `path` throws; empty when it succeeds.
std::string WriteError(const fs::path& path, const Bytes& bytes = {9}) {
  try {
    WriteFileAtomically(path, bytes);
  } catch (const CodecError& e) {
    return e.what();
  }
  return {};
}

std::vector<std::string> Names(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

struct stat StatOf(const fs::path& path) {
  struct stat info {};
  EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
  return info;
}

// While alive, the writer's seam is installed.
struct ScopedSeam : detail::TAtomicFileSeam {
  ScopedSeam() { detail::SetAtomicFileSeam(this); }
  ~ScopedSeam() { detail::SetAtomicFileSeam(nullptr); }
  ScopedSeam(const ScopedSeam&) = delete;
  ScopedSeam& operator=(const ScopedSeam&) = delete;
};

TEST(WriteFileAtomically, CreatesAndReplaces) {
  test::TempDir dir;
  const auto path = dir.File("f.bin");
  WriteFileAtomically(path, Bytes{1, 2, 3});
  EXPECT_EQ(test::ReadFileBytes(path), (Bytes{1, 2, 3}));
  WriteFileAtomically(path, Bytes{});  // a shorter file replaces a longer one entirely
  EXPECT_EQ(test::ReadFileBytes(path), Bytes{});
  // The replacement is a new file: another name of the old one keeps the old bytes.
  fs::create_hard_link(path, dir.File("other-name.bin"));
  WriteFileAtomically(path, test::Pattern(100000));
  EXPECT_EQ(test::ReadFileBytes(path), test::Pattern(100000));
  EXPECT_EQ(test::ReadFileBytes(dir.File("other-name.bin")), Bytes{});
  EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"f.bin", "other-name.bin"}));
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

  // A loop is refused and left as it is; a chain of 40 links is followed, as the system does,
  // and one of 41 refused.
  fs::create_symlink("loop-b", dir.File("loop-a"));
  fs::create_symlink("loop-a", dir.File("loop-b"));
  EXPECT_EQ(WriteError(dir.File("loop-a")), "Cannot create file " + dir.File("loop-a").string());
  EXPECT_EQ(fs::read_symlink(dir.File("loop-a")), "loop-b");
  EXPECT_EQ(fs::read_symlink(dir.File("loop-b")), "loop-a");
  const fs::path chain = dir.File("chain");
  fs::create_directory(chain);
  for (int i = 1; i <= 41; ++i)
    fs::create_symlink(std::to_string(i - 1), chain / std::to_string(i));
  EXPECT_EQ(WriteError(chain / "40", {6}), "");
  EXPECT_EQ(test::ReadFileBytes(chain / "0"), Bytes{6});
  EXPECT_EQ(WriteError(chain / "41"), "Cannot create file " + (chain / "41").string());

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
  EXPECT_EQ(dir.Entries().size(), 10u);
}

TEST(WriteFileAtomically, ModesOwnersAndGroups) {
  test::TempDir dir;
  const auto path = dir.File("f.bin");
  const mode_t umask = ::umask(022);
  WriteFileAtomically(path, Bytes{1});
  ::umask(umask);
  EXPECT_EQ(StatOf(path).st_mode & 07777, 0644u) << "a new file, under umask 022";
  for (const auto mode : {0600, 0640, 0755, 02755, 04755}) {
    ASSERT_EQ(::chmod(path.c_str(), static_cast<mode_t>(mode)), 0);
    WriteFileAtomically(path, Bytes{2});
    EXPECT_EQ(StatOf(path).st_mode & 07777, static_cast<unsigned>(mode));
    EXPECT_EQ(test::ReadFileBytes(path), Bytes{2});
  }
  if (!test::RunningAsRoot()) GTEST_SKIP() << "only root can give files to other users";

  // Root keeps another user's file theirs.
  ASSERT_EQ(::chown(path.c_str(), test::kUnprivilegedId, test::kUnprivilegedId), 0);
  WriteFileAtomically(path, Bytes{3});
  EXPECT_EQ(StatOf(path).st_uid, test::kUnprivilegedId);
  EXPECT_EQ(StatOf(path).st_gid, test::kUnprivilegedId);

  // A user who cannot give the new file the old one's group (root's) gives the group no access.
  fs::permissions(dir.Path(), fs::perms::all);
  ASSERT_EQ(::chown(path.c_str(), test::kUnprivilegedId, 0), 0);
  ASSERT_EQ(::chmod(path.c_str(), 02664), 0);
  EXPECT_EQ(test::AsUnprivilegedUser([&] { return WriteError(path, {4}); }), "");
  EXPECT_EQ(StatOf(path).st_mode & 07777, 0604u);
  EXPECT_EQ(StatOf(path).st_gid, test::kUnprivilegedId);
  EXPECT_EQ(test::ReadFileBytes(path), Bytes{4});
}

// Write-protected files are refused unless root writes them; files the system would not let
// go are refused before anything is written.
TEST(WriteFileAtomically, ProtectedTargetsAreRefusedAndLeftAsTheyWere) {
  test::TempDir dir;
  fs::permissions(dir.Path(), fs::perms::all);
  const auto own = dir.File("own.bin");
  test::WriteFileBytes(own, Bytes{1});
  ASSERT_EQ(::chmod(own.c_str(), 0444), 0);
  const fs::path shared = dir.File("shared");
  fs::create_directory(shared);
  fs::permissions(shared, fs::perms::all | fs::perms::sticky_bit);
  const auto others = shared / "others.bin";
  const auto writable = shared / "writable.bin";
  test::WriteFileBytes(others, Bytes{2});
  test::WriteFileBytes(writable, Bytes{3});
  ASSERT_EQ(::chmod(writable.c_str(), 0666), 0);
  if (test::RunningAsRoot()) {
    ASSERT_EQ(::chown(own.c_str(), test::kUnprivilegedId, test::kUnprivilegedId), 0);
    const std::string text = test::AsUnprivilegedUser(
        [&] { return WriteError(own) + "\n" + WriteError(others) + "\n" + WriteError(writable); });
    EXPECT_EQ(text, own.string() + " is write-protected\n" + others.string() +
                        " is write-protected\nCannot replace file " + writable.string() +
                        ": Operation not permitted");
    EXPECT_EQ(test::ReadFileBytes(own), Bytes{1});
    EXPECT_EQ(test::ReadFileBytes(others), Bytes{2});
    EXPECT_EQ(test::ReadFileBytes(writable), Bytes{3});
  } else {
    EXPECT_EQ(WriteError(own), own.string() + " is write-protected");
  }
  EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"own.bin", "shared"}));
  EXPECT_EQ(Names(shared).size(), 2u);
  if (test::RunningAsRoot()) {
    WriteFileAtomically(own, Bytes{5});  // root may, as with cp
    EXPECT_EQ(test::ReadFileBytes(own), Bytes{5});
  }

  const fs::path fixed = dir.File("fixed");
  fs::create_directory(fixed);
  test::WriteFileBytes(fixed / "old.bin", Bytes{6});
  if (!test::SetAppendOnly(fixed, true)) GTEST_SKIP() << "no append-only attribute here";
  const std::string replaceText = WriteError(fixed / "old.bin");
  const std::string createText = WriteError(fixed / "new.bin");
  const auto entries = Names(fixed);
  test::SetAppendOnly(fixed, false);
  EXPECT_EQ(replaceText,
            "Cannot replace file " + (fixed / "old.bin").string() + ": Operation not permitted");
  EXPECT_EQ(createText, "Cannot create file " + (fixed / "new.bin").string());
  EXPECT_EQ(entries, std::vector<std::string>{"old.bin"});
  EXPECT_EQ(test::ReadFileBytes(fixed / "old.bin"), Bytes{6});
}

// In a sticky folder that everyone may write to, only links of the user or of the folder's
// owner are followed: another user's link could point the output at any file.
TEST(WriteFileAtomically, LinksOfOtherUsersInStickyFoldersAreNotFollowed) {
  if (!test::RunningAsRoot()) GTEST_SKIP() << "only root can make links of other users";
  test::TempDir dir;
  const fs::path sticky = dir.File("sticky");
  fs::create_directory(sticky);
  fs::permissions(sticky, fs::perms::all | fs::perms::sticky_bit);
  const auto victim = dir.File("victim.bin");
  test::WriteFileBytes(victim, Bytes{1});
  fs::create_symlink(victim, sticky / "theirs");
  fs::create_symlink(victim, sticky / "mine");
  ASSERT_EQ(::lchown((sticky / "theirs").c_str(), test::kUnprivilegedId, test::kUnprivilegedId), 0);
  EXPECT_EQ(WriteError(sticky / "theirs"), "Cannot create file " + (sticky / "theirs").string());
  EXPECT_EQ(test::ReadFileBytes(victim), Bytes{1});
  EXPECT_EQ(WriteError(sticky / "mine", {2}), "");
  EXPECT_EQ(test::ReadFileBytes(victim), Bytes{2});
  // The folder's owner's links are followed too.
  ASSERT_EQ(::chown(sticky.c_str(), test::kUnprivilegedId, test::kUnprivilegedId), 0);
  EXPECT_EQ(WriteError(sticky / "theirs", {3}), "");
  EXPECT_EQ(test::ReadFileBytes(victim), Bytes{3});
}

TEST(WriteFileAtomically, SyncedFlushesFileAndFolderAndPassesTheirFailuresOn) {
  test::TempDir dir;
  const auto path = dir.File("f.bin");
  ScopedSeam seam;
  int fileSyncs = 0;
  int folderSyncs = 0;
  int fileError = 0;
  int folderError = 0;
  auto sync = [](int& count, const int& error) {
    return [&count, &error](int fd) {
      ++count;
      if (error == 0) return ::fsync(fd);
      errno = error;
      return -1;
    };
  };
  seam.SyncFile = sync(fileSyncs, fileError);
  seam.SyncFolder = sync(folderSyncs, folderError);
  WriteFileAtomically(path, Bytes{1}, EDurability::Synced);
  EXPECT_EQ(fileSyncs, 1);
  EXPECT_EQ(folderSyncs, 1);
  WriteFileAtomically(path, Bytes{2}, EDurability::Buffered);
  EXPECT_EQ(fileSyncs, 1);
  EXPECT_EQ(folderSyncs, 1);

  fileError = EIO;
  EXPECT_EQ(WriteError(path, {3}), "Cannot write file " + path.string() + ": Input/output error");
  EXPECT_EQ(test::ReadFileBytes(path), Bytes{2});
  fileError = 0;
  folderError = EIO;  // after the rename: the new bytes are there, but not known to last
  EXPECT_EQ(WriteError(path, {4}), "Cannot write file " + path.string() + ": Input/output error");
  EXPECT_EQ(test::ReadFileBytes(path), Bytes{4});
  folderError = EINVAL;  // a folder that cannot be flushed needs no flush
  EXPECT_EQ(WriteError(path, {5}), "");
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"f.bin"});
}

TEST(WriteFileAtomically, FailuresAfterTheTemporaryIsMade) {
  test::TempDir dir;
  const auto path = dir.File("f.bin");
  test::WriteFileBytes(path, Bytes{1});
  ASSERT_EQ(::chmod(path.c_str(), 0664), 0);
  ScopedSeam seam;
  std::uint64_t next = 1;
  seam.Random = [&] { return next++; };
  // Names taken already are passed over.
  test::WriteFileBytes(dir.File(".f.bin.0000000000000001.tmp"), Bytes{7});
  test::WriteFileBytes(dir.File(".f.bin.0000000000000002.tmp"), Bytes{7});
  WriteFileAtomically(path, Bytes{2});
  EXPECT_EQ(test::ReadFileBytes(path), Bytes{2});
  EXPECT_EQ(dir.Entries().size(), 3u);
  // ... but not for ever.
  seam.Random = [] { return std::uint64_t{1}; };
  EXPECT_EQ(WriteError(path), "Cannot create file " + path.string());

  // A failed rename leaves no temporary; one that cannot be removed is named in the message.
  seam.Random = [] { return std::uint64_t{0x2a}; };
  seam.RenameError = EXDEV;
  EXPECT_EQ(WriteError(path), "Cannot replace file " + path.string() + ": " + SystemReason(EXDEV));
  EXPECT_EQ(dir.Entries().size(), 3u);
  seam.RenameError = 0;
  seam.RemoveError = EPERM;
  const auto left = dir.File(".f.bin.000000000000002a.tmp");
  {
    test::ScopedFileSizeLimit limit(4);
    ASSERT_TRUE(limit.Active());
    EXPECT_EQ(WriteError(path, test::Pattern(100)), "Cannot write file " + path.string() +
                                                        ": File too large; the temporary file " +
                                                        left.string() + " could not be removed");
  }
  EXPECT_EQ(test::ReadFileBytes(path), Bytes{2});
  // While it was written, the group had no access to it.
  EXPECT_EQ(StatOf(left).st_mode & 07777, 0604u);
}

TEST(FileIdentity, OneInodeNumberOnTwoDevicesIsTwoFiles) {
  const auto proc = IdentityOf("/proc");
  const auto sys = IdentityOf("/sys");
  if (!proc || !sys || proc->Inode != sys->Inode) GTEST_SKIP() << "no such pair of files here";
  EXPECT_NE(proc, sys);
}

}  // namespace
}  // namespace zarn
