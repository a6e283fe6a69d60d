// Replacing files safely: a new file appears whole or not at all, and an old one survives
// every failure.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestFiles.h"
#include "codec/AtomicFile.h"
#include "codec/Errors.h"

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

}  // namespace
}  // namespace zarn
