// Functions on files, folders, INI files and the environment.
//
// Most are one platform call whose success becomes "True" or "False"; a
// failure never reports anything.  "eof", "loadini" and "comparefile" have
// fatal errors of their own.
#include <cstdint>
#include <optional>
#include <string>

#include "builtins/functions.h"
#include "engine/engine.h"
#include "engine/expression.h"
#include "engine/file_slots.h"
#include "engine/report.h"
#include "values/integer.h"
#include "values/sjis.h"

namespace vendrix {
namespace {

constexpr std::string_view kLoadIniSection = "saveini";
// Both files are read in blocks this large; the answer is the one a
// byte-by-byte comparison gives.
constexpr size_t kCompareBlockBytes = 1 << 20;

std::string Truth(bool value) { return std::string(TruthText(value)); }

platform::Files& FilesOf(Engine& engine) { return engine.platform.files; }

bool IsFile(Engine& engine, std::string_view name) {
  return FilesOf(engine).KindOf(name) == platform::EntryKind::kFile;
}

// Ends with the separator, as a character, not as the trail byte of one.
bool EndsWithSeparator(std::string_view name, char separator) {
  size_t last = std::string_view::npos;
  for (size_t pos = 0; pos < name.size(); pos = sjis::NextChar(name, pos)) last = pos;
  return last != std::string_view::npos && !sjis::IsLeadByteAt(name, last) &&
         (name[last] == separator || name[last] == '/');
}

void RequireFile(Engine& engine, std::string_view name) {
  if (IsFile(engine, name)) return;
  Fatal(engine, std::string(msg::kCompareFileMissing) + std::string(name));
}

// Reads until `size` bytes are in or the file ends; false on a failure.
bool ReadBlock(platform::FileStream& stream, std::string& block, size_t size) {
  block.resize(size);
  size_t filled = 0;
  while (filled < size) {
    size_t got = 0;
    if (!stream.Read(block.data() + filled, size - filled, &got, nullptr)) return false;
    if (got == 0) break;
    filled += got;
  }
  block.resize(filled);
  return true;
}

bool SameContents(platform::FileStream& first, platform::FileStream& second) {
  std::string a;
  std::string b;
  for (;;) {
    if (!ReadBlock(first, a, kCompareBlockBytes) || !ReadBlock(second, b, kCompareBlockBytes)) return false;
    if (a != b) return false;
    if (a.empty()) return true;
  }
}

}  // namespace

// The macro's own argument is evaluated once more; outside text never is.
std::string FnEof(Engine& engine, const CallArgs& args) {
  const bool outside = args.origins[0] == TextOrigin::kOutside;
  const int32_t n = IntegerValue(outside ? args[0] : EvaluateText(engine, args[0]), 0);
  return Truth(SlotAtEnd(engine, CheckedSlot(engine, n, true)));
}

std::string FnFileExists(Engine& engine, const CallArgs& args) { return Truth(IsFile(engine, args[0])); }

std::string FnCopyFile(Engine& engine, const CallArgs& args) {
  const bool overwrite = sjis::JUpperAscii(args[2]) == "TRUE";
  return Truth(FilesOf(engine).Copy(args[0], args[1], overwrite));
}

std::string FnDeleteFile(Engine& engine, const CallArgs& args) { return Truth(FilesOf(engine).Delete(args[0])); }

std::string FnMoveFile(Engine& engine, const CallArgs& args) { return Truth(FilesOf(engine).Move(args[0], args[1])); }

std::string FnRenameFile(Engine& engine, const CallArgs& args) { return FnMoveFile(engine, args); }

std::string FnCreateDir(Engine& engine, const CallArgs& args) {
  return Truth(FilesOf(engine).CreateFolder(args[0]));
}

std::string FnDeleteDir(Engine& engine, const CallArgs& args) {
  return Truth(FilesOf(engine).RemoveFolder(args[0]));
}

std::string FnDirExists(Engine& engine, const CallArgs& args) {
  platform::Files& files = FilesOf(engine);
  std::string name = args[0];
  if (!EndsWithSeparator(name, files.PathSeparator())) name += files.PathSeparator();
  return Truth(files.KindOf(name) == platform::EntryKind::kFolder);
}

std::string FnGetFileSize(Engine& engine, const CallArgs& args) {
  if (!IsFile(engine, args[0])) return std::string(kFalse);
  const std::optional<uint64_t> size = FilesOf(engine).FileSize(args[0]);
  if (!size) return std::string(kFalse);
  // The low 32 bits, read as a signed number.
  return IntegerText(static_cast<int32_t>(static_cast<uint32_t>(*size)));
}

std::string FnGetEnv(Engine& engine, const CallArgs& args) {
  const std::optional<std::string> value = engine.platform.host.EnvironmentVariable(args[0]);
  if (!value || value->empty()) return std::string(kFalse);
  return *value;
}

std::string FnGetCurrentDir(Engine& engine, const CallArgs&) { return engine.platform.host.CurrentFolder(); }

std::string FnGetExeDir(Engine& engine, const CallArgs&) { return engine.programFolder; }

std::string FnReadIni(Engine& engine, const CallArgs& args) {
  return ReadIniValue(engine, IniPath(engine, args[0]), args[1], args[2]);
}

std::string FnLoadIni(Engine& engine, const CallArgs& args) {
  const std::string& macro = engine.run.macroFileName;
  if (macro.empty()) Fatal(engine, std::string(msg::kNoMacroFileName) + "loadini");
  return ReadIniValue(engine, MacroIniPath(engine, macro), kLoadIniSection, args[0]);
}

std::string FnCompareFile(Engine& engine, const CallArgs& args) {
  RequireFile(engine, args[0]);
  RequireFile(engine, args[1]);
  platform::Files& files = FilesOf(engine);
  const std::optional<uint64_t> firstSize = files.FileSize(args[0]);
  const std::optional<uint64_t> secondSize = files.FileSize(args[1]);
  // Sizes as the directory gives them: the low 32 bits.
  if (!firstSize || !secondSize || static_cast<uint32_t>(*firstSize) != static_cast<uint32_t>(*secondSize)) {
    return std::string(kFalse);
  }
  const auto first = files.OpenStream(args[0], platform::StreamMode::kRead, nullptr);
  const auto second = files.OpenStream(args[1], platform::StreamMode::kRead, nullptr);
  return Truth(first && second && SameContents(*first, *second));
}

}  // namespace vendrix
