// What the end-to-end tests of zarn-cli share: a working folder per test, BM files of every
// kind, and the codec's own output to compare the tool's files with.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "CliRunner.h"
#include "TestFiles.h"
#include "codec/BMFormat.h"
#include "codec/Bitmap.h"

namespace zarn::test {

// Named BM files of each kind, built byte by byte.
struct SampleBMs {
  // 8-bit with its palette: images 4 x 2, 3 x 3 and 5 x 1; offsets 5 and -3.
  static BMFileParts Paletted8();
  // 8-bit without palette: images 6 x 2 and 2 x 5.
  static BMFileParts Unpaletted8();
  // 16-bit with one image of 7 x 3.
  static BMFileParts Colour16();
  // 16-bit with images 3 x 2 and 2 x 4.
  static BMFileParts Colour16Multi();
  // A header of 24 bits per pixel with 2 images and nothing after it.
  static BMFileParts Deep();
  // 8-bit with a palette and no image.
  static BMFileParts Empty8();
};

// The palette a BM's trailer or a CMP file's triples stand for.
TBMPalette PaletteOf(const Bytes& triples);
// Image `index` of a BM decoded by the codec, and saved as the viewer's export saves it.
TBitmap DisplayBitmap(const BMFileParts& bm, std::size_t index, const TBMPalette* palette);
Bytes ExportedBmp(const BMFileParts& bm, std::size_t index, const TBMPalette* palette);
// Red, green, blue per pixel, rows top to bottom, of a display bitmap's true picture.
Bytes RgbPixels(const TBitmap& bitmap);

class CliTest : public ::testing::Test {
 protected:
  // Writes a file into the working folder (creating folders on the way) and returns its name.
  std::string Put(const std::string& name, const Bytes& bytes);
  std::string PutBM(const std::string& name, const BMFileParts& bm) {
    return Put(name, MakeBM(bm));
  }
  Bytes Get(const std::string& name) const { return ReadFileBytes(work_.File(name)); }
  bool Exists(const std::string& name) const;
  // Everything in the working folder and below, as relative names, sorted.
  std::vector<std::string> Tree() const;
  CliResult Run(const std::vector<std::string>& args) const { return RunCli(work_.Path(), args); }

  TempDir work_;
};

// Shows stdout and stderr when an expectation on a run fails.
std::string Describe(const CliResult& result);

}  // namespace zarn::test
