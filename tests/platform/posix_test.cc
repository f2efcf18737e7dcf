#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <thread>
#include <cerrno>
#include <utility>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/posix/posix_files.h"
#include "platform/posix/posix_host.h"
#include "platform/posix/utf8.h"

namespace vendrix::posix {
namespace {

namespace fs = std::filesystem;
using platform::ReadStatus;

const std::string kNihongoSjis = "\x93\xfa\x96\x7b\x8c\xea";        // 日本語
const std::string kNihongoUtf8 = "\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e";
const std::string kSoSjis = "\x83\x5c";                              // ソ
const std::string kSoUtf8 = "\xe3\x82\xbd";

// A fresh folder under the system's temporary folder, removed afterwards.
class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (fs::temp_directory_path() / "vendrix-posix-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~TempFolder() {
    std::error_code ignored;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(path_, ignored);
  }
  const std::string& path() const { return path_; }
  std::string operator/(std::string_view name) const { return path_ + "/" + std::string(name); }

 private:
  std::string path_;
};

void PutFile(const std::string& path, std::string_view bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::vector<std::string> Listing(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(Utf8Test, ConvertsBothWaysAndRefusesBadInput) {
  EXPECT_EQ(SjisToUtf8(kNihongoSjis + "a\\" + kSoSjis), kNihongoUtf8 + "a\\" + kSoUtf8);
  EXPECT_EQ(SjisToUtf8("\xb1"), "\xef\xbd\xb1");  // half-width katakana
  EXPECT_EQ(Utf8ToSjis(kSoUtf8 + "~"), kSoSjis + "~");
  EXPECT_EQ(SjisToUtf8(""), "");
  EXPECT_EQ(SjisToUtf8("abc\x81"), std::nullopt);              // cut-off two-byte character
  EXPECT_EQ(Utf8ToSjis("\xff"), std::nullopt);                  // not UTF-8
  EXPECT_EQ(Utf8ToSjis("\xf0\x9f\x98\x80"), std::nullopt);      // no code page 932 form
}

TEST(PosixFilesTest, ReadReportsEachOutcome) {
  TempFolder folder;
  PutFile(folder / "four.txt", "abcd");
  PutFile(folder / "empty.txt", "");
  fs::create_directory(folder / "sub");
  PosixFiles files;

  struct Case {
    std::string name;
    size_t maxBytes;
    ReadStatus status;
    std::string bytes;
  };
  const std::vector<Case> cases = {
      {folder / "four.txt", 4, ReadStatus::kOk, "abcd"},
      {folder / "four.txt", 3, ReadStatus::kTooLarge, ""},
      {folder / "empty.txt", 0, ReadStatus::kOk, ""},
      {folder / "missing.txt", 10, ReadStatus::kNotFound, ""},
      {folder / "nodir/missing.txt", 10, ReadStatus::kNotFound, ""},
      {folder / "four.txt/below", 10, ReadStatus::kNotFound, ""},
      {folder / "sub", 10, ReadStatus::kUnreadable, ""},
  };
  for (const auto& c : cases) {
    const platform::ReadResult result = files.ReadFile(c.name, c.maxBytes);
    EXPECT_EQ(result.status, c.status) << c.name;
    EXPECT_EQ(result.bytes, c.bytes) << c.name;
  }
}

TEST(PosixFilesTest, ReadRefusesAFileWithoutPermission) {
  if (::geteuid() == 0) GTEST_SKIP() << "root reads every file";
  TempFolder folder;
  PutFile(folder / "secret.txt", "x");
  ::chmod((folder / "secret.txt").c_str(), 0);
  EXPECT_EQ(PosixFiles().ReadFile(folder / "secret.txt", 10).status, ReadStatus::kUnreadable);
}

TEST(PosixFilesTest, WriteReplacesContentsAndKeepsTheFileAttributes) {
  TempFolder folder;
  PosixFiles files;
  const std::string name = folder / "out.ini";
  ASSERT_TRUE(files.WriteFile(name, "first version, longer"));
  ::chmod(name.c_str(), 0640);
  ASSERT_TRUE(files.WriteFile(name, "second"));
  EXPECT_EQ(files.ReadFile(name, 100).bytes, "second");
  struct stat info {};
  ASSERT_EQ(::stat(name.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);

  fs::create_symlink("out.ini", folder / "link.ini");
  ASSERT_TRUE(files.WriteFile(folder / "link.ini", "through the link"));
  EXPECT_TRUE(fs::is_symlink(folder / "link.ini"));
  EXPECT_EQ(files.ReadFile(name, 100).bytes, "through the link");
  EXPECT_EQ(Listing(folder.path()), (std::vector<std::string>{"link.ini", "out.ini"}));
}

TEST(PosixFilesTest, FailedWriteLeavesNothingBehind) {
  TempFolder folder;
  PosixFiles files;
  fs::create_directory(folder / "taken");
  PutFile(folder / "taken/inside.txt", "kept");
  EXPECT_FALSE(files.WriteFile(folder / "taken", "x"));
  EXPECT_FALSE(files.WriteFile(folder / "nodir/x.txt", "x"));
  EXPECT_EQ(Listing(folder.path()), std::vector<std::string>{"taken"});
  EXPECT_EQ(files.ReadFile(folder / "taken/inside.txt", 100).bytes, "kept");
}

TEST(PosixFilesTest, JapaneseNamesReachTheDiskAsUtf8) {
  TempFolder folder;
  PosixFiles files;
  const std::string sjisName = folder / (kNihongoSjis + kSoSjis + ".mac");
  ASSERT_TRUE(files.WriteFile(sjisName, "KEY " + kNihongoSjis));
  EXPECT_EQ(Listing(folder.path()), std::vector<std::string>{kNihongoUtf8 + kSoUtf8 + ".mac"});
  EXPECT_TRUE(files.FileExists(sjisName));
  EXPECT_EQ(files.ReadFile(sjisName, 100).bytes, "KEY " + kNihongoSjis);
  EXPECT_EQ(FindFileIgnoringCase(folder.path(), kNihongoSjis + kSoSjis + ".MAC"), sjisName);
}

TEST(PosixFilesTest, ExistenceCoversFilesNotFolders) {
  TempFolder folder;
  PutFile(folder / "a.txt", "");
  PosixFiles files;
  EXPECT_TRUE(files.FileExists(folder / "a.txt"));
  EXPECT_FALSE(files.FileExists(folder.path()));
  EXPECT_EQ(files.KindOf(folder.path()), platform::EntryKind::kFolder);
  EXPECT_FALSE(files.FileExists(folder / "b.txt"));
  EXPECT_EQ(files.PathSeparator(), '/');
}

TEST(FindFileIgnoringCaseTest, PrefersExactThenAnyCase) {
  TempFolder folder;
  for (const char* name : {"Vendrix.INI", "zemlo.ini", "a.txt", "A.TXT"}) PutFile(folder / name, "");
  const std::string withSlash = folder.path() + "/";
  struct Case {
    std::string folder;
    std::string name;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {withSlash, "vendrix.ini", withSlash + "Vendrix.INI"},
      {withSlash, "ZEMLO.INI", withSlash + "zemlo.ini"},
      {withSlash, "a.txt", withSlash + "a.txt"},
      {withSlash, "A.TXT", withSlash + "A.TXT"},
      {withSlash, "A.txt", withSlash + "A.TXT"},  // no exact match: the smallest name
      {withSlash, "missing.ini", withSlash + "missing.ini"},
      {folder.path(), "VENDRIX.ini", withSlash + "Vendrix.INI"},
      {folder / "nodir/", "Vendrix.INI", folder / "nodir/Vendrix.INI"},
  };
  for (const auto& c : cases) EXPECT_EQ(FindFileIgnoringCase(c.folder, c.name), c.expected) << c.name;
}

std::string RunningProgramPath() { return fs::read_symlink("/proc/self/exe").string(); }

TEST(PosixHostTest, ProgramPathIsTheRunningFileOrItsNameInHome) {
  EXPECT_EQ(PosixHost().ProgramPath(), RunningProgramPath());
  TempFolder folder;
  const std::string fileName = fs::path(RunningProgramPath()).filename().string();
  EXPECT_EQ(PosixHost(folder.path()).ProgramPath(), folder / fileName);
  EXPECT_EQ(PosixHost(folder.path() + "/").ProgramPath(), folder / fileName);
  EXPECT_EQ(PosixHost(folder / kNihongoSjis).ProgramPath(), folder / (kNihongoSjis + "/" + fileName));
}

using platform::InstanceStatus;

TEST(PosixHostTest, OnlyOneHolderOfTheResidentLock) {
  TempFolder folder;
  auto first = std::make_unique<PosixHost>(folder.path());
  PosixHost second(folder.path());
  EXPECT_EQ(first->CheckResidentInstance().status, InstanceStatus::kFree);
  EXPECT_FALSE(fs::exists(folder / "vendrix.tsr.lock")) << "a check creates nothing";

  EXPECT_EQ(first->ClaimResidentInstance().status, InstanceStatus::kFree);
  EXPECT_TRUE(first->HoldsResidentLock());
  EXPECT_TRUE(fs::is_regular_file(folder / "vendrix.tsr.lock"));
  EXPECT_EQ(second.CheckResidentInstance().status, InstanceStatus::kResident);
  EXPECT_EQ(first->CheckResidentInstance().status, InstanceStatus::kResident);
  EXPECT_EQ(second.ClaimResidentInstance().status, InstanceStatus::kResident);
  EXPECT_FALSE(second.HoldsResidentLock());

  first.reset();  // the resident instance ends
  EXPECT_EQ(second.CheckResidentInstance().status, InstanceStatus::kFree);
  EXPECT_EQ(second.ClaimResidentInstance().status, InstanceStatus::kFree);
  EXPECT_TRUE(second.HoldsResidentLock());
}

TEST(PosixHostTest, ACheckNeverStandsInTheWayOfAClaim) {
  TempFolder folder;
  PosixHost looker(folder.path());
  PosixHost resident(folder.path());
  ASSERT_EQ(PosixHost(folder.path()).ClaimResidentInstance().status, InstanceStatus::kFree);  // leaves the file
  for (int i = 0; i < 100; ++i) EXPECT_EQ(looker.CheckResidentInstance().status, InstanceStatus::kFree);
  EXPECT_EQ(resident.ClaimResidentInstance().status, InstanceStatus::kFree);
}

// Many claims at once, each with a lock description of its own as separate
// programs have: exactly one wins, whatever the order.
TEST(PosixHostTest, OfSimultaneousClaimsExactlyOneWins) {
  constexpr int kClaims = 16;
  for (int round = 0; round < 20; ++round) {
    TempFolder folder;
    std::vector<std::unique_ptr<PosixHost>> hosts;
    for (int i = 0; i < kClaims; ++i) hosts.push_back(std::make_unique<PosixHost>(folder.path()));
    std::atomic<int> ready{0};
    std::vector<InstanceStatus> results(kClaims);
    std::vector<std::thread> threads;
    for (int i = 0; i < kClaims; ++i) {
      threads.emplace_back([&, i] {
        ready.fetch_add(1);
        while (ready.load() < kClaims) std::this_thread::yield();
        results[static_cast<size_t>(i)] = hosts[static_cast<size_t>(i)]->ClaimResidentInstance().status;
      });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(std::count(results.begin(), results.end(), InstanceStatus::kFree), 1) << "round " << round;
    EXPECT_EQ(std::count(results.begin(), results.end(), InstanceStatus::kResident), kClaims - 1);
  }
}

// Runs a check or claim on another thread: it must never wait on a FIFO.
// Should it block, opening the FIFO for writing sets it free, and the test
// fails instead of hanging.
InstanceStatus WithinTenSeconds(const std::string& lockPath, const std::function<InstanceStatus()>& call) {
  auto result = std::async(std::launch::async, call);
  if (result.wait_for(std::chrono::seconds(10)) == std::future_status::ready) return result.get();
  const int writer = ::open(lockPath.c_str(), O_WRONLY | O_NONBLOCK);
  result.wait();
  if (writer >= 0) ::close(writer);
  ADD_FAILURE() << "blocked on " << lockPath;
  return result.get();
}

// What may lie where the lock belongs: anything but a regular file of this
// user is refused, by checks and claims alike, and nothing is created.
TEST(PosixHostTest, OnlyARegularFileOfThisUserServesAsTheLock) {
  struct Case {
    const char* what;
    std::function<bool(const std::string& lock, const TempFolder& folder)> make;
    InstanceStatus status;
  };
  const Case cases[] = {
      {"symbolic link to a missing file",
       [](const std::string& lock, const TempFolder&) { return ::symlink("target", lock.c_str()) == 0; },
       InstanceStatus::kSymbolicLink},
      {"symbolic link to a file",
       [](const std::string& lock, const TempFolder& folder) {
         PutFile(folder / "real", "");
         return ::symlink((folder / "real").c_str(), lock.c_str()) == 0;
       },
       InstanceStatus::kSymbolicLink},
      {"FIFO", [](const std::string& lock, const TempFolder&) { return ::mkfifo(lock.c_str(), 0600) == 0; },
       InstanceStatus::kNotAFile},
      {"folder", [](const std::string& lock, const TempFolder&) { return ::mkdir(lock.c_str(), 0700) == 0; },
       InstanceStatus::kFolder},
      {"another user's file",
       [](const std::string& lock, const TempFolder&) {
         PutFile(lock, "");
         return ::chown(lock.c_str(), ::geteuid() + 1, static_cast<gid_t>(-1)) == 0;
       },
       InstanceStatus::kOtherOwner},
  };
  for (const Case& c : cases) {
    for (const bool claim : {false, true}) {
      TempFolder folder;
      const std::string lock = folder / "vendrix.tsr.lock";
      if (!c.make(lock, folder)) {
        if (errno == EPERM) continue;  // only root can give a file away
        FAIL() << "cannot make a " << c.what;
      }
      PosixHost host(folder.path());
      const InstanceStatus status = WithinTenSeconds(lock, [&] {
        return (claim ? host.ClaimResidentInstance() : host.CheckResidentInstance()).status;
      });
      EXPECT_EQ(status, c.status) << c.what << (claim ? ", claimed" : ", checked");
      EXPECT_FALSE(host.HoldsResidentLock()) << c.what;
      EXPECT_FALSE(fs::exists(folder / "target")) << "a link's target was created";
    }
  }
}

TEST(PosixHostTest, AClaimThatCannotCreateTheLockSaysWhy) {
  PosixHost host("/proc/self/no-such-folder");
  const platform::InstanceCheck claim = host.ClaimResidentInstance();
  EXPECT_EQ(claim.status, InstanceStatus::kSystemFailure);
  EXPECT_FALSE(claim.reason.empty());
  EXPECT_EQ(claim.lockName, "/proc/self/no-such-folder/vendrix.tsr.lock");
  EXPECT_FALSE(host.HoldsResidentLock());
  EXPECT_EQ(host.CheckResidentInstance().status, InstanceStatus::kFree);  // nobody can have claimed it there
}

// ---- streams and the operations of the file functions ------------------

std::string ReadAllOf(platform::FileStream& stream, size_t block = 3) {
  std::string all;
  std::string buffer(block, '\0');
  for (int guard = 0; guard < 1000; ++guard) {
    size_t got = 0;
    if (!stream.Read(buffer.data(), buffer.size(), &got, nullptr) || got == 0) break;
    all.append(buffer.data(), got);
  }
  return all;
}

TEST(PosixStreamTest, ModesCreateEmptyAppendAndRead) {
  TempFolder folder;
  PosixFiles files;
  const std::string name = folder / (kNihongoSjis + ".txt");
  std::string reason;
  using platform::StreamMode;
  for (const auto& [mode, bytes] : std::vector<std::pair<StreamMode, std::string>>{
           {StreamMode::kAppend, "one"}, {StreamMode::kAppend, "two"}, {StreamMode::kWrite, "three"},
           {StreamMode::kAppend, "four"}}) {
    auto stream = files.OpenStream(name, mode, &reason);
    ASSERT_TRUE(stream) << reason;
    EXPECT_TRUE(stream->Write(bytes, &reason)) << reason;
    EXPECT_TRUE(stream->Sync(&reason)) << reason;
    EXPECT_TRUE(stream->Close(&reason)) << reason;
  }
  auto reader = files.OpenStream(name, StreamMode::kRead, &reason);
  ASSERT_TRUE(reader);
  EXPECT_EQ(ReadAllOf(*reader), "threefour");
  EXPECT_EQ(Listing(folder.path()), std::vector<std::string>{kNihongoUtf8 + ".txt"});
}

TEST(PosixStreamTest, FailuresGiveTheSystemsWords) {
  TempFolder folder;
  PosixFiles files;
  PutFile(folder / "in.txt", "x");
  fs::create_directory(folder / "dir");
  using platform::StreamMode;
  struct Case {
    std::string name;
    StreamMode mode;
    std::string reason;
  };
  const Case cases[] = {
      {folder / "missing.txt", StreamMode::kRead, "No such file or directory"},
      {folder / "none/x.txt", StreamMode::kWrite, "No such file or directory"},
      {folder / "dir", StreamMode::kRead, "Is a directory"},
      {folder / "dir", StreamMode::kAppend, "Is a directory"},
  };
  for (const Case& c : cases) {
    std::string reason;
    EXPECT_FALSE(files.OpenStream(c.name, c.mode, &reason)) << c.name;
    EXPECT_EQ(reason, c.reason) << c.name;
  }
  std::string reason;
  auto input = files.OpenStream(folder / "in.txt", StreamMode::kRead, &reason);
  ASSERT_TRUE(input);
  EXPECT_FALSE(input->Write("y", &reason));
  EXPECT_EQ(reason, "Bad file descriptor");
  auto full = files.OpenStream("/dev/full", StreamMode::kWrite, &reason);
  ASSERT_TRUE(full);
  EXPECT_FALSE(full->Write("y", &reason));
  EXPECT_EQ(reason, "No space left on device");
  EXPECT_TRUE(full->Sync(&reason));  // a device has nothing to put on a disk
  EXPECT_FALSE(files.SaveFile(folder / "none/a.ini", "x", &reason));
  EXPECT_EQ(reason, "No such file or directory");
  EXPECT_EQ(files.ReadFile(folder / "dir", 10).reason, "Is a directory");
}

TEST(PosixFilesTest, KindsAndSizes) {
  TempFolder folder;
  PosixFiles files;
  PutFile(folder / "five.txt", "12345");
  PutFile(folder / "a*b", "literal");
  fs::create_directory(folder / "dir");
  using platform::EntryKind;
  EXPECT_EQ(files.KindOf(folder / "five.txt"), EntryKind::kFile);
  EXPECT_EQ(files.KindOf(folder / "dir"), EntryKind::kFolder);
  EXPECT_EQ(files.KindOf(folder / "dir/"), EntryKind::kFolder);
  EXPECT_EQ(files.KindOf(folder / "five.txt/"), EntryKind::kMissing);
  EXPECT_EQ(files.KindOf(folder / "none"), EntryKind::kMissing);
  EXPECT_EQ(files.KindOf(""), EntryKind::kMissing);
  EXPECT_EQ(files.KindOf(folder / "*.txt"), EntryKind::kMissing);  // no wildcards on Linux
  EXPECT_EQ(files.KindOf(folder / "a*b"), EntryKind::kFile);
  EXPECT_EQ(files.FileSize(folder / "five.txt"), 5u);
  EXPECT_EQ(files.FileSize(folder / "dir"), std::nullopt);
  EXPECT_EQ(files.FileSize(folder / "none"), std::nullopt);
}

// The outcomes of each call are covered through the macro functions
// (functions_files_test.cc); here what those cannot see.
TEST(PosixFilesTest, CopyKeepsPermissionsAndMoveNeverReplaces) {
  TempFolder folder;
  PosixFiles files;
  PutFile(folder / "a", "alpha");
  PutFile(folder / "b", "bravo");
  ::chmod((folder / "a").c_str(), 0600);
  EXPECT_TRUE(files.Copy(folder / "a", folder / "c", false));
  struct stat info {};
  ASSERT_EQ(::stat((folder / "c").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  EXPECT_FALSE(files.Copy(folder / "a", folder / "none/c", true));
  EXPECT_FALSE(files.Move(folder / "a", folder / "b"));
  EXPECT_EQ(files.ReadFile(folder / "b", 100).bytes, "bravo");
  EXPECT_EQ(Listing(folder.path()), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(files.DefaultIniFolder("/opt/vendrix/"), "/opt/vendrix/");
}

TEST(PosixHostTest, EnvironmentAndCurrentFolderInShiftJis) {
  PosixHost host;
  ::setenv("VENDRIX_POSIX_TEST", kNihongoUtf8.c_str(), 1);
  EXPECT_EQ(host.EnvironmentVariable("VENDRIX_POSIX_TEST"), kNihongoSjis);
  ::unsetenv("VENDRIX_POSIX_TEST");
  EXPECT_EQ(host.EnvironmentVariable("VENDRIX_POSIX_TEST"), std::nullopt);
  EXPECT_EQ(host.EnvironmentVariable(""), std::nullopt);
  EXPECT_EQ(host.CurrentFolder(), fs::current_path().string());
  EXPECT_EQ(SystemReason(ENOENT), "No such file or directory");
}

}  // namespace
}  // namespace vendrix::posix
