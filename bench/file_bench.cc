// Throughput of the file statements against the system's own tools, in one
// run on the same files:
//   BM_MacroCopy      a 100 MB text file copied line by line by a macro
//                     (READ, WRITE, eof, GOTO), on the real file system
//   BM_Cp             cp of the same file
//   BM_CompareFile    (comparefile a b) of two equal 100 MB files
//   BM_Cmp            cmp -s of the same two files
// Each reports bytes_per_second (MB/s of the 100 MB file).  The files live
// in $VENDRIX_BENCH_DIR, or the system's temporary folder, and are made
// once per run.  The argument of the copy benchmarks is the line length.
//
// Run:   build/linux/bench/vendrix_file_bench
// Target: the macro copy and comparefile at half the rate of cp and cmp or
// better.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>

#include "builtins/builtins.h"
#include "engine/engine.h"
#include "engine/expression.h"
#include "engine/program_end.h"
#include "engine/run.h"
#include "platform/posix/posix_files.h"
#include "platform/posix/posix_host.h"
#include "platform/sim/sim_desktop.h"

namespace vendrix::bench {
namespace {

namespace fs = std::filesystem;

constexpr uint64_t kFileBytes = 100u * 1000 * 1000;

// A fresh engine over the simulated desktop and the real files; no trace.
struct World {
  World()
      : platform{desktop.PlatformWith(files, host)},
        engine(NewEngine(platform)) {}

  int Run(const std::string& macro) {
    try {
      RunMacro(*engine, macro);
      return 0;
    } catch (const ProgramEnd& end) {
      return end.exitCode;
    }
  }

  sim::SimDesktop desktop;
  posix::PosixFiles files;
  posix::PosixHost host;
  platform::Platform platform;
  std::unique_ptr<Engine> engine;
};

std::string BenchFolder() {
  const char* chosen = std::getenv("VENDRIX_BENCH_DIR");
  const fs::path folder = (chosen != nullptr ? fs::path(chosen) : fs::temp_directory_path()) / "vendrix-file-bench";
  fs::create_directories(folder);
  return folder.string();
}

const std::string& Folder() {
  static const std::string folder = BenchFolder();  // made once per run
  return folder;
}

// Lines of `length` bytes (CR LF included) of ASCII and Shift-JIS text.
std::string MakeTextFile(size_t length) {
  const std::string name = Folder() + "/text-" + std::to_string(length) + ".txt";
  if (fs::exists(name) && fs::file_size(name) == kFileBytes) return name;
  const std::string pattern = "Vendrix \x93\xfa\x96\x7b\x8c\xea line of text 0123456789 ";
  std::string line;
  while (line.size() + 2 < length) line += pattern[line.size() % pattern.size()];
  line += "\r\n";
  std::ofstream out(name, std::ios::binary | std::ios::trunc);
  uint64_t written = 0;
  while (written + line.size() < kFileBytes) {
    out << line;
    written += line.size();
  }
  out << std::string(kFileBytes - written, 'z');  // a last line, at least one byte, without line end
  return name;
}

std::string WriteMacro(const std::string& in, const std::string& out) {
  const std::string name = Folder() + "/copy.mac";
  std::ofstream macro(name, std::ios::binary | std::ios::trunc);
  macro << "DIM %line\r\nOPEN " << in << " INPUT 1\r\nOPEN " << out << " OUTPUT 2\r\n:loop\r\n"
        << "IF (eof 1) GOTO :done\r\nREAD 1 %line\r\nWRITE 2 %line\r\nGOTO :loop\r\n:done\r\n"
        << "CLOSE 1\r\nCLOSE 2\r\n";
  return name;
}

bool RunShell(const std::string& command) { return std::system(command.c_str()) == 0; }

void BM_MacroCopy(benchmark::State& state) {
  const std::string in = MakeTextFile(static_cast<size_t>(state.range(0)));
  const std::string out = Folder() + "/macro-copy.txt";
  const std::string macro = WriteMacro(in, out);
  for (auto _ : state) {
    World world;
    if (world.Run(macro) != 0) {
      state.SkipWithError("the copy macro failed");
      return;
    }
  }
  // Only the last line gains a CR LF.
  if (fs::file_size(out) != kFileBytes + 2) state.SkipWithError("the copy has the wrong size");
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kFileBytes));
}
BENCHMARK(BM_MacroCopy)->Arg(80)->Arg(1000)->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Cp(benchmark::State& state) {
  const std::string in = MakeTextFile(static_cast<size_t>(state.range(0)));
  const std::string command = "cp '" + in + "' '" + Folder() + "/cp-copy.txt'";
  for (auto _ : state) {
    if (!RunShell(command)) {
      state.SkipWithError("cp failed");
      return;
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kFileBytes));
}
BENCHMARK(BM_Cp)->Arg(80)->Arg(1000)->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(3);

// Two equal files: the text file and a copy of it.
std::string EqualPair() {
  const std::string first = MakeTextFile(80);
  const std::string second = Folder() + "/text-80-copy.txt";
  if (!fs::exists(second) || fs::file_size(second) != kFileBytes) fs::copy_file(first, second, fs::copy_options::overwrite_existing);
  return "(comparefile " + first + " " + second + ")";
}

void BM_CompareFile(benchmark::State& state) {
  const std::string call = EqualPair();
  World world;
  for (auto _ : state) {
    if (EvaluateText(*world.engine, call) != "True") {
      state.SkipWithError("comparefile did not find the files equal");
      return;
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kFileBytes));
}
BENCHMARK(BM_CompareFile)->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_Cmp(benchmark::State& state) {
  EqualPair();
  const std::string command = "cmp -s '" + MakeTextFile(80) + "' '" + Folder() + "/text-80-copy.txt'";
  for (auto _ : state) {
    if (!RunShell(command)) {
      state.SkipWithError("cmp found the files different");
      return;
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kFileBytes));
}
BENCHMARK(BM_Cmp)->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
}  // namespace vendrix::bench

BENCHMARK_MAIN();
