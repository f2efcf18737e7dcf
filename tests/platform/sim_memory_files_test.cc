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

TEST(MemoryFiles, FoldersExistThroughTheirFilesButAreNoFiles) {
  MemoryFiles files;
  files.Add("C:\\Vendrix\\Macros\\a.txt", "");
  EXPECT_EQ(files.KindOf("c:\\vendrix"), platform::EntryKind::kFolder);
  EXPECT_EQ(files.KindOf("C:\\Vendrix\\Macros\\"), platform::EntryKind::kFolder);
  EXPECT_FALSE(files.FileExists("c:\\vendrix"));
  EXPECT_FALSE(files.FileExists("C:\\Vendrix\\Macros\\"));
  EXPECT_TRUE(files.FileExists("C:\\Vendrix\\Macros\\A.TXT"));
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
  EXPECT_EQ(host.CheckResidentInstance().status, platform::InstanceStatus::kFree);
  EXPECT_EQ(host.ClaimResidentInstance().status, platform::InstanceStatus::kFree);
  EXPECT_EQ(host.Claims(), 1);
  EXPECT_EQ(host.CheckResidentInstance().status, platform::InstanceStatus::kResident);
  EXPECT_EQ(host.ClaimResidentInstance().status, platform::InstanceStatus::kResident) << "only one claim wins";
}

// ---- streams and the operations of the file functions ------------------

using platform::EntryKind;
using platform::StreamMode;

std::string ReadStream(platform::FileStream& stream) {
  std::string all;
  char buffer[4];
  for (int guard = 0; guard < 1000; ++guard) {
    size_t got = 0;
    if (!stream.Read(buffer, sizeof buffer, &got, nullptr) || got == 0) break;
    all.append(buffer, got);
  }
  return all;
}

TEST(MemoryFiles, StreamsWriteStraightIntoTheFile) {
  MemoryFiles files;
  std::string reason;
  auto out = files.OpenStream("C:\\a.txt", StreamMode::kWrite, &reason);
  ASSERT_TRUE(out);
  EXPECT_EQ(files.OpenStreams(), 1);
  EXPECT_TRUE(out->Write("hello ", &reason));
  EXPECT_EQ(files.Get("c:\\A.TXT"), "hello ");
  auto append = files.OpenStream("C:\\a.txt", StreamMode::kAppend, &reason);
  EXPECT_TRUE(append->Write("world", &reason));
  auto in = files.OpenStream("C:\\a.txt", StreamMode::kRead, &reason);
  EXPECT_EQ(ReadStream(*in), "hello world");
  EXPECT_TRUE(out->Close(&reason));
  append.reset();
  EXPECT_EQ(files.OpenStreams(), 1);
  // The wrong direction fails the way Windows words it.
  EXPECT_FALSE(in->Write("x", &reason));
  EXPECT_EQ(reason, kReasonAccessDenied);
  size_t got = 0;
  char byte;
  EXPECT_FALSE(out->Read(&byte, 1, &got, &reason));
}

TEST(MemoryFiles, OpeningFailsWithTheReasonOfEachCase) {
  MemoryFiles files;
  files.Add("C:\\d\\in.txt", "");
  files.Add("C:\\d\\locked.txt", "");
  files.Lock("C:\\d\\locked.txt");
  files.Add("C:\\d\\ro.txt", "");
  files.FailWritesOf("C:\\d\\ro.txt");
  struct Case {
    const char* name;
    StreamMode mode;
    std::string_view reason;
  };
  const Case cases[] = {
      {"C:\\d\\none.txt", StreamMode::kRead, kReasonFileNotFound},
      {"C:\\x\\a.txt", StreamMode::kWrite, kReasonPathNotFound},
      {"C:\\d\\locked.txt", StreamMode::kRead, kReasonInUse},
      {"C:\\d\\ro.txt", StreamMode::kAppend, kReasonAccessDenied},
      {"C:\\d", StreamMode::kWrite, kReasonAccessDenied},
  };
  for (const Case& c : cases) {
    std::string reason;
    EXPECT_FALSE(files.OpenStream(c.name, c.mode, &reason)) << c.name;
    EXPECT_EQ(reason, c.reason) << c.name;
  }
  EXPECT_EQ(files.OpenStreams(), 0);
}

TEST(MemoryFiles, AFullDiskRefusesWhatDoesNotFit) {
  MemoryFiles files;
  files.SetFreeSpace(5);
  std::string reason;
  auto out = files.OpenStream("a.txt", StreamMode::kWrite, &reason);
  EXPECT_TRUE(out->Write("abc", &reason));
  EXPECT_FALSE(out->Write("def", &reason));
  EXPECT_EQ(reason, kReasonDiskFull);
  EXPECT_EQ(files.Get("a.txt"), "abc");
  EXPECT_FALSE(files.SaveFile("b.ini", "xyz", &reason));
  EXPECT_TRUE(files.SaveFile("b.ini", "xy", &reason));
}

TEST(MemoryFiles, FoldersKindsAndSizes) {
  MemoryFiles files;
  files.Add("C:\\d\\a.txt", "12345");
  EXPECT_TRUE(files.CreateFolder("C:\\d\\sub\\"));
  EXPECT_FALSE(files.CreateFolder("C:\\d\\sub"));
  EXPECT_FALSE(files.CreateFolder("C:\\d\\x\\y"));
  EXPECT_TRUE(files.CreateFolder("C:\\top"));  // a drive root always exists
  EXPECT_EQ(files.KindOf("C:\\d\\a.txt"), EntryKind::kFile);
  EXPECT_EQ(files.KindOf("c:\\D\\SUB\\"), EntryKind::kFolder);
  EXPECT_EQ(files.KindOf("C:\\d"), EntryKind::kFolder);
  EXPECT_EQ(files.KindOf("C:\\none"), EntryKind::kMissing);
  EXPECT_EQ(files.FileSize("C:\\d\\a.txt"), 5u);
  EXPECT_EQ(files.FileSize("C:\\d\\sub"), std::nullopt);
  EXPECT_FALSE(files.RemoveFolder("C:\\d"));
  EXPECT_TRUE(files.RemoveFolder("C:\\d\\sub"));
  EXPECT_EQ(files.KindOf("C:\\d\\sub"), EntryKind::kMissing);
}

TEST(MemoryFiles, MovesTakeFoldersWithTheirContents) {
  MemoryFiles files;
  files.Add("C:\\d\\a.txt", "a");
  files.Add("C:\\d\\in\\b.txt", "b");
  files.CreateFolder("C:\\d\\empty");
  files.Add("C:\\e.txt", "e");
  EXPECT_FALSE(files.Move("C:\\d", "C:\\d\\in\\d"));  // into itself
  EXPECT_FALSE(files.Move("C:\\d\\a.txt", "C:\\e.txt"));
  EXPECT_TRUE(files.Move("C:\\d", "C:\\moved"));
  EXPECT_EQ(files.Get("C:\\moved\\in\\b.txt"), "b");
  EXPECT_EQ(files.KindOf("C:\\moved\\empty"), EntryKind::kFolder);
  EXPECT_EQ(files.KindOf("C:\\d"), EntryKind::kMissing);
  EXPECT_TRUE(files.Copy("C:\\moved\\a.txt", "C:\\moved\\c.txt", false));
  EXPECT_FALSE(files.Copy("C:\\moved\\a.txt", "C:\\moved\\c.txt", false));
  EXPECT_FALSE(files.Copy("C:\\moved\\a.txt", "C:\\moved\\a.txt", true));
  files.Lock("C:\\moved\\c.txt");
  EXPECT_FALSE(files.Delete("C:\\moved\\c.txt"));
  EXPECT_TRUE(files.Delete("C:\\moved\\a.txt"));
  EXPECT_EQ(files.DefaultIniFolder("C:\\Vendrix\\"), "C:\\WINDOWS\\");
}

TEST(MemoryHost, EnvironmentAndCurrentFolder) {
  MemoryHost host;
  EXPECT_EQ(host.EnvironmentVariable("PATH"), std::nullopt);
  host.SetEnvironmentVariable("PATH", "C:\\bin");
  EXPECT_EQ(host.EnvironmentVariable("PATH"), "C:\\bin");
  host.SetCurrentFolder("D:\\");
  EXPECT_EQ(host.CurrentFolder(), "D:\\");
}

}  // namespace
}  // namespace vendrix::sim
