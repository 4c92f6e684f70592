#include <gtest/gtest.h>

#include <cstdlib>

#include "core/sha256.h"
#include "testkit.h"

namespace zeltlog {
namespace {

// Files across the padding's edges (55, 56, 63, 64 bytes) and over many
// blocks, hashed against Debian's sha256sum.
TEST(Sha256, OfFilesAsSha256sumHashesThem) {
  testkit::TempDir dir;
  for (const size_t size : {0, 3, 55, 56, 63, 64, 65, 100000}) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = char(i * 131 + size);
    const std::string path = dir.File("file" + std::to_string(size));
    testkit::WriteFile(path, bytes);
    std::string error;
    const std::string digest = Sha256OfFile(path, error);
    const std::string command = "sha256sum " + path + " >" + path + ".sum";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(digest, testkit::ReadFile(path + ".sum").substr(0, 64)) << size;
  }
  std::string error;
  EXPECT_EQ(Sha256OfFile(dir.File("missing"), error), "");
  EXPECT_NE(error, "");
}

}  // namespace
}  // namespace zeltlog
