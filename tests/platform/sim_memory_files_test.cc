#include <gtest/gtest.h>

#include "platform/sim/memory_files.h"
#include "platform/sim/memory_host.h"

namespace vendrix::sim {
namespace {

using platform::ReadStatus;

TEST(MemoryFiles, NamesIgnoreAsciiCase) {
  MemoryFiles files;
  files.Add("C:\\Macros\\Test.txt", "abc");
  EXPECT_TRUE(files.FileExists("c:\\MACROS\\test.TXT"));
  EXPECT_EQ(files.Get("C:\\macros\\TEST.txt"), "abc");
  EXPECT_TRUE(files.WriteFile("c:\\macros\\test.txt", "xyz"));
  EXPECT_EQ(files.Get("C:\\Macros\\Test.txt"), "xyz");
}

TEST(MemoryFiles, TrailBytesAreNotLetters) {
  // 0x83 0x61 and 0x83 0x41 are two different katakana; the second byte
  // of each looks like 'a' and 'A'.
  MemoryFiles files;
  files.Add("\x83\x61.txt", "one");
  EXPECT_FALSE(files.FileExists("\x83\x41.txt"));
  EXPECT_EQ(files.Get("\x83\x61.TXT"), "one");
}

TEST(MemoryFiles, FoldersExistThroughTheirFiles) {
  MemoryFiles files;
  files.Add("C:\\Vendrix\\Macros\\a.txt", "");
  EXPECT_TRUE(files.FileExists("c:\\vendrix"));
  EXPECT_TRUE(files.FileExists("C:\\Vendrix\\Macros\\"));
  EXPECT_FALSE(files.FileExists("C:\\Vendrix\\Mac"));
  EXPECT_FALSE(files.FileExists(""));
  EXPECT_EQ(files.PathSeparator(), '\\');
}

TEST(MemoryFiles, ReadStatuses) {
  MemoryFiles files;
  files.Add("big.txt", "0123456789");
  files.Add("locked.txt", "secret");
  files.FailReadsOf("LOCKED.TXT");

  struct Case {
    const char* name;
    size_t maxBytes;
    ReadStatus status;
    const char* bytes;
  };
  const Case cases[] = {
      {"big.txt", 10, ReadStatus::kOk, "0123456789"},
      {"big.txt", 9, ReadStatus::kTooLarge, ""},
      {"missing.txt", 100, ReadStatus::kNotFound, ""},
      {"locked.txt", 100, ReadStatus::kUnreadable, ""},
  };
  for (const Case& c : cases) {
    const platform::ReadResult result = files.ReadFile(c.name, c.maxBytes);
    EXPECT_EQ(result.status, c.status) << c.name << " max " << c.maxBytes;
    EXPECT_EQ(result.bytes, c.bytes) << c.name << " max " << c.maxBytes;
  }
  EXPECT_TRUE(files.FileExists("locked.txt"));
}

TEST(MemoryFiles, FailedWriteLeavesTheFileAlone) {
  MemoryFiles files;
  files.Add("out.txt", "old");
  files.FailWritesOf("out.txt");
  EXPECT_FALSE(files.WriteFile("OUT.txt", "new"));
  EXPECT_EQ(files.Get("out.txt"), "old");
  EXPECT_TRUE(files.WriteFile("other.txt", "new"));
  EXPECT_EQ(files.Get("other.txt"), "new");
}

TEST(MemoryHost, ClaimHoldsTheLock) {
  MemoryHost host;
  host.SetProgramPath("D:\\Tools\\Vendrix.exe");
  EXPECT_EQ(host.ProgramPath(), "D:\\Tools\\Vendrix.exe");
  EXPECT_FALSE(host.ResidentInstanceRunning());
  host.ClaimResidentInstance();
  EXPECT_EQ(host.Claims(), 1);
  EXPECT_TRUE(host.ResidentInstanceRunning());
}

}  // namespace
}  // namespace vendrix::sim
