// Functions on files, folders, INI files and the environment.
//
// Most are one platform call whose success becomes "True" or "False"; a
// failure never reports anything.  "eof", "loadini" and "comparefile" have
// fatal errors of their own.
#include <cstdint>
#include <optional>
#include <string>

#include "builtins/functions.h"
#include "engine/interpreter.h"
#include "engine/expression.h"
#include "engine/file_slots.h"
#include "values/integer.h"
#include "values/sjis.h"

namespace vendrix {
namespace {

constexpr std::string_view kLoadIniSection = "saveini";
// Both files are read in blocks this large; the answer is the one a
// byte-by-byte comparison gives.
constexpr size_t kCompareBlockBytes = 1 << 20;

std::string Truth(bool value) { return std::string(TruthText(value)); }

platform::Files& FilesOf(Interpreter& interp) { return interp.Platform().files; }

bool IsFile(Interpreter& interp, std::string_view name) {
  return FilesOf(interp).KindOf(name) == platform::EntryKind::kFile;
}

// Ends with the separator, as a character, not as the trail byte of one.
bool EndsWithSeparator(std::string_view name, char separator) {
  size_t last = std::string_view::npos;
  for (size_t pos = 0; pos < name.size(); pos = sjis::NextChar(name, pos)) last = pos;
  return last != std::string_view::npos && !sjis::IsLeadByteAt(name, last) &&
         (name[last] == separator || name[last] == '/');
}

void RequireFile(Interpreter& interp, std::string_view name) {
  if (IsFile(interp, name)) return;
  interp.Fatal(std::string(msg::kCompareFileMissing) + std::string(name));
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
std::string FnEof(Interpreter& interp, const CallArgs& args) {
  const bool outside = args.origins[0] == TextOrigin::kOutside;
  const int32_t n = IntegerValue(outside ? args[0] : interp.EvaluateText(args[0]), 0);
  return Truth(interp.AtEnd(interp.CheckedFileSlot(n, true)));
}

std::string FnFileExists(Interpreter& interp, const CallArgs& args) { return Truth(IsFile(interp, args[0])); }

std::string FnCopyFile(Interpreter& interp, const CallArgs& args) {
  const bool overwrite = sjis::JUpperAscii(args[2]) == "TRUE";
  return Truth(FilesOf(interp).Copy(args[0], args[1], overwrite));
}

std::string FnDeleteFile(Interpreter& interp, const CallArgs& args) { return Truth(FilesOf(interp).Delete(args[0])); }

std::string FnMoveFile(Interpreter& interp, const CallArgs& args) {
  return Truth(FilesOf(interp).Move(args[0], args[1]));
}

std::string FnRenameFile(Interpreter& interp, const CallArgs& args) { return FnMoveFile(interp, args); }

std::string FnCreateDir(Interpreter& interp, const CallArgs& args) {
  return Truth(FilesOf(interp).CreateFolder(args[0]));
}

std::string FnDeleteDir(Interpreter& interp, const CallArgs& args) {
  return Truth(FilesOf(interp).RemoveFolder(args[0]));
}

std::string FnDirExists(Interpreter& interp, const CallArgs& args) {
  platform::Files& files = FilesOf(interp);
  std::string name = args[0];
  if (!EndsWithSeparator(name, files.PathSeparator())) name += files.PathSeparator();
  return Truth(files.KindOf(name) == platform::EntryKind::kFolder);
}

std::string FnGetFileSize(Interpreter& interp, const CallArgs& args) {
  if (!IsFile(interp, args[0])) return std::string(kFalse);
  const std::optional<uint64_t> size = FilesOf(interp).FileSize(args[0]);
  if (!size) return std::string(kFalse);
  // The low 32 bits, read as a signed number.
  return IntegerText(static_cast<int32_t>(static_cast<uint32_t>(*size)));
}

std::string FnGetEnv(Interpreter& interp, const CallArgs& args) {
  const std::optional<std::string> value = interp.Platform().host.EnvironmentVariable(args[0]);
  if (!value || value->empty()) return std::string(kFalse);
  return *value;
}

std::string FnGetCurrentDir(Interpreter& interp, const CallArgs&) { return interp.Platform().host.CurrentFolder(); }

std::string FnGetExeDir(Interpreter& interp, const CallArgs&) { return interp.ProgramFolder(); }

std::string FnReadIni(Interpreter& interp, const CallArgs& args) {
  return interp.ReadIni(interp.IniPathOf(args[0]), args[1], args[2]);
}

std::string FnLoadIni(Interpreter& interp, const CallArgs& args) {
  const std::string& macro = interp.MacroFileName();
  if (macro.empty()) interp.Fatal(std::string(msg::kNoMacroFileName) + "loadini");
  return interp.ReadIni(interp.MacroIniPathOf(macro), kLoadIniSection, args[0]);
}

std::string FnCompareFile(Interpreter& interp, const CallArgs& args) {
  RequireFile(interp, args[0]);
  RequireFile(interp, args[1]);
  platform::Files& files = FilesOf(interp);
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
