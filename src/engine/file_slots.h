// The three numbered text files of OPEN, READ, WRITE and CLOSE, and the
// file helpers the file statements and functions share.
//
// Slots belong to the program, not to a run: a file left open stays open
// into the next run until CLOSE or the end of the program.  Each slot
// buffers in memory, so a line costs no system call: an input slot reads
// ahead in 64 KiB blocks, an output slot writes out whenever 64 KiB are
// waiting, and at CLOSE and at the end of the program (CloseAllSlots).
//
// Lines end at CR LF, CR or LF; lines written end with CR LF; bytes pass
// through unchanged.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace vendrix {

class Engine;

inline constexpr int kFileSlotCount = 3;
inline constexpr size_t kFileBufferBytes = 64 * 1024;
// A longer line is an error rather than a reason to run out of memory.
inline constexpr size_t kMaxLineBytes = 64u << 20;

enum class SlotMode { kInput, kOutput, kAppend };

struct FileSlot {
  std::unique_ptr<platform::FileStream> stream;  // null while the slot is closed
  std::string name;
  SlotMode mode = SlotMode::kInput;
  // Input: bytes read ahead, unread from `begin` to `end`.
  std::vector<char> readAhead;
  size_t begin = 0;
  size_t end = 0;
  // Output: bytes not yet handed to the system.
  std::string pending;
  // A write failed and was reported: nothing more is reported at closing.
  bool broken = false;
  std::string line;  // the last line read, kept for its capacity
};

struct FileSlots {
  FileSlots() = default;
  // Writes out what is still waiting, quietly: the orderly end of the
  // program (CloseAllSlots) has reported anything that failed.
  ~FileSlots();
  FileSlots(const FileSlots&) = delete;
  FileSlots& operator=(const FileSlots&) = delete;

  std::array<FileSlot, kFileSlotCount> slots;
};

// Reports (fatal) "<what> できません : <file> (<reason>)".
[[noreturn]] void ReportFileFailure(Engine& engine, std::string_view what, std::string_view file,
                                    std::string_view reason);

// Slot n (1 to 3); a number out of range, or a closed slot when
// `mustBeOpen`, is reported (fatal).
FileSlot& CheckedSlot(Engine& engine, int32_t n, bool mustBeOpen);

// OPEN: `mode` as written (upper-cased).  Reports every failure.
void OpenSlot(Engine& engine, int32_t n, std::string_view file, std::string_view mode);
// Writes out, puts on the disk and closes; the slot is closed afterwards
// even when that fails (reported under `what`).
void CloseSlot(Engine& engine, FileSlot& slot, std::string_view what);
// The next line; the empty text at the end of the file.
void ReadSlotLine(Engine& engine, FileSlot& slot, std::string& line);
void WriteSlotLine(Engine& engine, FileSlot& slot, std::string_view line);
// True when no further line can be read.
bool SlotAtEnd(Engine& engine, FileSlot& slot);

// The end of the program: every open slot written out and closed.  A
// failure is shown in a message box (the program is ending anyway); true
// when nothing failed.
bool CloseAllSlots(Engine& engine);

// LOG: one line appended, on the disk before this returns.
void AppendLogLine(Engine& engine, std::string_view file, std::string_view line);

// An INI file's path: a name without a folder lies in the platform's
// default INI folder.
std::string IniPath(Engine& engine, std::string_view name);
// The macro's own INI file: its name with the extension replaced by ".ini"
// (or ".ini" appended), as an INI path.
std::string MacroIniPath(Engine& engine, std::string_view macroFileName);

// Where a file name's extension (its last '.' after the last folder mark)
// starts; the name's length when it has none.
size_t ExtensionStart(std::string_view name, char separator);
// The name with its extension, if any, replaced by `extension` (".bmp").
std::string WithExtension(std::string_view name, std::string_view extension, char separator);
// WRITEINI and SAVEINI: the file replaced as a whole (temporary file, then
// rename), so a failure never leaves half a file.  Reports failures.
void WriteIniValue(Engine& engine, std::string_view what, std::string_view path, std::string_view section,
                   std::string_view key, std::string_view value);
// The value, or the empty text when the file or key is missing or the file
// cannot be read.
std::string ReadIniValue(Engine& engine, std::string_view path, std::string_view section, std::string_view key);

}  // namespace vendrix
