#include "engine/file_slots.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "engine/engine.h"
#include "engine/program_end.h"
#include "engine/report.h"
#include "values/ini.h"
#include "values/integer.h"
#include "values/sjis.h"

namespace vendrix {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

platform::StreamMode StreamModeOf(SlotMode mode) {
  switch (mode) {
    case SlotMode::kInput: return platform::StreamMode::kRead;
    case SlotMode::kOutput: return platform::StreamMode::kWrite;
    case SlotMode::kAppend: return platform::StreamMode::kAppend;
  }
  return platform::StreamMode::kRead;
}

bool ParseMode(std::string_view text, SlotMode* mode) {
  if (text == "INPUT") *mode = SlotMode::kInput;
  else if (text == "OUTPUT") *mode = SlotMode::kOutput;
  else if (text == "APPEND") *mode = SlotMode::kAppend;
  else return false;
  return true;
}

// Hands the waiting bytes to the system.  They are gone either way: bytes
// the system refused cannot be written later either.
bool Flush(FileSlot& slot, std::string* reason) {
  if (slot.pending.empty()) return true;
  const bool written = slot.stream->Write(slot.pending, reason);
  slot.pending.clear();
  if (!written) slot.broken = true;
  return written;
}

void FlushOrReport(Engine& engine, FileSlot& slot, std::string_view what) {
  std::string reason;
  if (!Flush(slot, &reason)) ReportFileFailure(engine, what, slot.name, reason);
}

// Writes out, syncs and closes; false with the first failure's reason.
bool CloseStream(FileSlot& slot, std::string* reason) {
  bool done = Flush(slot, reason);
  if (done && slot.mode != SlotMode::kInput) done = slot.stream->Sync(reason);
  std::string closeReason;
  const bool closed = slot.stream->Close(&closeReason);
  if (done && !closed) {
    done = false;
    *reason = std::move(closeReason);
  }
  return done;
}

void ResetSlot(FileSlot& slot) {
  slot.stream.reset();
  slot.name.clear();
  slot.pending.clear();
  slot.begin = slot.end = 0;
  slot.broken = false;
}

// Closes the slot; true when the failure, if any, still needs reporting.
bool CloseAndReset(FileSlot& slot, std::string* reason) {
  const bool reported = slot.broken;
  const bool report = !CloseStream(slot, reason) && !reported;
  ResetSlot(slot);
  return report;
}

bool Refill(FileSlot& slot, std::string* reason) {
  if (slot.readAhead.empty()) slot.readAhead.resize(kFileBufferBytes);
  size_t got = 0;
  if (!slot.stream->Read(slot.readAhead.data(), slot.readAhead.size(), &got, reason)) return false;
  slot.begin = 0;
  slot.end = got;
  return true;
}

// The first CR or LF, or `to`.  memchr (vectorised) beats a byte loop; the
// search goes by windows so that a file of CR-only lines does not make each
// LF search run to the end of the block.
const char* FindLineEnd(const char* from, const char* to) {
  constexpr size_t kWindow = 512;
  while (from != to) {
    const size_t size = std::min(kWindow, static_cast<size_t>(to - from));
    const auto* lf = static_cast<const char*>(std::memchr(from, '\n', size));
    const size_t crSize = lf != nullptr ? static_cast<size_t>(lf - from) : size;
    const auto* cr = static_cast<const char*>(std::memchr(from, '\r', crSize));
    if (cr != nullptr) return cr;
    if (lf != nullptr) return lf;
    from += size;
  }
  return to;
}

void RefillOrReport(Engine& engine, FileSlot& slot) {
  std::string reason;
  if (!Refill(slot, &reason)) ReportFileFailure(engine, "READ", slot.name, reason);
}

// Separators of folders in a name: '/' everywhere, and '\\' and the drive
// colon where the platform separates with '\\'.  Trail bytes never count.
bool IsFolderMark(std::string_view name, size_t pos, char separator) {
  if (sjis::IsLeadByteAt(name, pos)) return false;
  const char c = name[pos];
  return c == '/' || c == separator || (separator == '\\' && c == ':');
}

bool HasFolder(std::string_view name, char separator) {
  for (size_t pos = 0; pos < name.size(); pos = sjis::NextChar(name, pos)) {
    if (IsFolderMark(name, pos, separator)) return true;
  }
  return false;
}

}  // namespace

FileSlots::~FileSlots() {
  for (FileSlot& slot : slots) {
    if (!slot.stream) continue;
    std::string ignored;
    CloseStream(slot, &ignored);
  }
}

void ReportFileFailure(Engine& engine, std::string_view what, std::string_view file, std::string_view reason) {
  std::string message(what);
  message += msg::kFileOperationFailed;
  message += file;
  if (!reason.empty()) {
    message += " (";
    message += reason;
    message += ')';
  }
  Fatal(engine, message);
}

FileSlot& CheckedSlot(Engine& engine, int32_t n, bool mustBeOpen) {
  if (n < 1 || n > kFileSlotCount) {
    Fatal(engine, std::string(msg::kBadFileNumberOpen) + IntegerText(n) + std::string(msg::kBadFileNumberClose));
  }
  FileSlot& slot = engine.fileSlots.slots[static_cast<size_t>(n - 1)];
  if (mustBeOpen && !slot.stream) {
    Fatal(engine, std::string(msg::kFileNumber) + IntegerText(n) + std::string(msg::kFileNotOpen));
  }
  return slot;
}

void OpenSlot(Engine& engine, int32_t n, std::string_view file, std::string_view mode) {
  FileSlot& slot = CheckedSlot(engine, n, false);
  if (slot.stream) Fatal(engine, std::string(msg::kFileNumber) + IntegerText(n) + std::string(msg::kFileAlreadyOpen));
  SlotMode slotMode;
  if (!ParseMode(mode, &slotMode)) Fatal(engine, std::string(mode) + std::string(msg::kBadFileMode));
  platform::Files& files = engine.platform.files;
  if (slotMode == SlotMode::kInput && !files.FileExists(file)) {
    Fatal(engine, std::string(msg::kFileWord) + std::string(file) + std::string(msg::kFileDoesNotExist));
  }
  std::string reason;
  std::unique_ptr<platform::FileStream> stream = files.OpenStream(file, StreamModeOf(slotMode), &reason);
  if (!stream) ReportFileFailure(engine, "OPEN", file, reason);
  ResetSlot(slot);
  slot.stream = std::move(stream);
  slot.name = std::string(file);
  slot.mode = slotMode;
}

void CloseSlot(Engine& engine, FileSlot& slot, std::string_view what) {
  std::string reason;
  const std::string name = slot.name;
  if (CloseAndReset(slot, &reason)) ReportFileFailure(engine, what, name, reason);
}

void ReadSlotLine(Engine& engine, FileSlot& slot, std::string& line) {
  line.clear();
  for (;;) {
    if (slot.begin == slot.end) RefillOrReport(engine, slot);
    if (slot.begin == slot.end) return;  // the end of the file
    const char* data = slot.readAhead.data();
    const char* stop = FindLineEnd(data + slot.begin, data + slot.end);
    const auto length = static_cast<size_t>(stop - (data + slot.begin));
    if (line.size() + length > kMaxLineBytes) ReportFileFailure(engine, "READ", slot.name, msg::kLineTooLong);
    line.append(data + slot.begin, length);
    slot.begin += length;
    if (slot.begin == slot.end) continue;  // the line goes on in the next block
    const bool carriageReturn = data[slot.begin] == '\r';
    ++slot.begin;
    if (carriageReturn) {
      if (slot.begin == slot.end) RefillOrReport(engine, slot);
      if (slot.begin < slot.end && slot.readAhead[slot.begin] == '\n') ++slot.begin;
    }
    return;
  }
}

void WriteSlotLine(Engine& engine, FileSlot& slot, std::string_view line) {
  if (slot.mode == SlotMode::kInput) {
    // Straight to the system, which refuses it and says why.
    std::string bytes(line);
    bytes += kLineEnd;
    std::string reason;
    if (!slot.stream->Write(bytes, &reason)) ReportFileFailure(engine, "WRITE", slot.name, reason);
    return;
  }
  slot.pending.append(line);
  slot.pending.append(kLineEnd);
  if (slot.pending.size() >= kFileBufferBytes) FlushOrReport(engine, slot, "WRITE");
}

bool SlotAtEnd(Engine& engine, FileSlot& slot) {
  if (slot.begin < slot.end) return false;
  std::string reason;
  if (!Refill(slot, &reason)) ReportFileFailure(engine, "eof", slot.name, reason);
  return slot.begin == slot.end;
}

bool CloseAllSlots(Engine& engine) {
  bool allClosed = true;
  for (FileSlot& slot : engine.fileSlots.slots) {
    if (!slot.stream) continue;
    const std::string name = slot.name;
    std::string reason;
    if (!CloseAndReset(slot, &reason)) continue;
    allClosed = false;
    std::string message(msg::kErrPrefix);
    message += "CLOSE";
    message += msg::kFileOperationFailed;
    message += name + " (" + reason + ")";
    engine.platform.dialogs.MessageBox(message, engine.caption, platform::kMbOk | platform::kMbSetForeground);
  }
  return allClosed;
}

void AppendLogLine(Engine& engine, std::string_view file, std::string_view line) {
  std::string reason;
  std::unique_ptr<platform::FileStream> stream =
      engine.platform.files.OpenStream(file, platform::StreamMode::kAppend, &reason);
  if (!stream) ReportFileFailure(engine, "LOG", file, reason);
  std::string bytes(line);
  bytes += kLineEnd;
  if (!stream->Write(bytes, &reason) || !stream->Sync(&reason) || !stream->Close(&reason)) {
    ReportFileFailure(engine, "LOG", file, reason);
  }
}

std::string IniPath(Engine& engine, std::string_view name) {
  platform::Files& files = engine.platform.files;
  if (HasFolder(name, files.PathSeparator())) return std::string(name);
  return files.DefaultIniFolder(engine.programFolder) + std::string(name);
}

std::string MacroIniPath(Engine& engine, std::string_view macroFileName) {
  return IniPath(engine, WithExtension(macroFileName, ".ini", engine.platform.files.PathSeparator()));
}

size_t ExtensionStart(std::string_view name, char separator) {
  size_t dot = std::string_view::npos;
  for (size_t pos = 0; pos < name.size(); pos = sjis::NextChar(name, pos)) {
    if (IsFolderMark(name, pos, separator)) dot = std::string_view::npos;
    if (name[pos] == '.' && !sjis::IsLeadByteAt(name, pos)) dot = pos;
  }
  return dot == std::string_view::npos ? name.size() : dot;
}

std::string WithExtension(std::string_view name, std::string_view extension, char separator) {
  std::string result(name.substr(0, ExtensionStart(name, separator)));
  result += extension;
  return result;
}

void WriteIniValue(Engine& engine, std::string_view what, std::string_view path, std::string_view section,
                   std::string_view key, std::string_view value) {
  platform::Files& files = engine.platform.files;
  const platform::ReadResult current = files.ReadFile(path, kMaxTextFileBytes);
  if (current.status == platform::ReadStatus::kUnreadable) ReportFileFailure(engine, what, path, current.reason);
  if (current.status == platform::ReadStatus::kTooLarge) ReportFileFailure(engine, what, path, msg::kIniTooLarge);
  std::string reason;
  if (!files.SaveFile(path, ini::WriteString(current.bytes, section, key, value), &reason)) {
    ReportFileFailure(engine, what, path, reason);
  }
}

std::string ReadIniValue(Engine& engine, std::string_view path, std::string_view section, std::string_view key) {
  platform::Files& files = engine.platform.files;
  if (files.KindOf(path) != platform::EntryKind::kFile) return {};
  const platform::ReadResult current = files.ReadFile(path, kMaxTextFileBytes);
  if (current.status != platform::ReadStatus::kOk) return {};
  return ini::ReadString(current.bytes, section, key, "");
}

}  // namespace vendrix
