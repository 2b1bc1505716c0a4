// Load time and memory of macros of 10 000, 100 000 and 1 000 000 events: each size is
// written once as a file of the program's own format (a recording-like stream of moves with
// a click now and then), then loaded five times; prints the file size, the fastest load
// (wall and CPU), and the resident memory the loaded macro holds.
// Usage: macro_load [FOLDER]   (default /tmp)
#include <malloc.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <string>

#include "macros/RecordedMacro.h"

namespace {

long RssKb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  return -1;
}

double CpuMs() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string folder = argc > 1 ? argv[1] : "/tmp";
  std::printf("| events | file | load, wall (best of 5) | load, CPU | resident memory of the loaded macro | per event |\n");
  std::printf("|---|---|---|---|---|---|\n");
  for (const std::size_t n : {10000u, 100000u, 1000000u}) {
    const std::string path = folder + "/qel-macro-load-" + std::to_string(n) + "-" + std::to_string(getpid()) + ".qelmac";
    {
      TRecordedMacro macro;
      macro.SetName("load test");
      auto& events = macro.Events();
      events.reserve(n);
      for (std::size_t i = 0; i < n; ++i) {
        TMacroMouseEvent e;
        e.DeltaMs = static_cast<std::uint32_t>(i);
        e.X = static_cast<std::int32_t>(100 + i % 1800);
        e.Y = static_cast<std::int32_t>(100 + (i * 7) % 1000);
        if (i % 50 == 49) {
          e.Kind = mekDown;
          e.Button = 0;
        } else if (i % 50 == 0 && i > 0) {
          e.Kind = mekUp;
          e.Button = 0;
        }
        events.push_back(e);
      }
      macro.SetDurationMs(static_cast<std::uint32_t>(n));
      macro.SaveToFile(path);
    }
    malloc_trim(0);
    std::ifstream probe(path, std::ios::binary | std::ios::ate);
    const double fileMb = static_cast<double>(probe.tellg()) / 1e6;
    double bestWall = 1e18, bestCpu = 1e18;
    long heldKb = 0;
    for (int round = 0; round < 5; ++round) {
      malloc_trim(0);
      const long before = RssKb();
      const double c0 = CpuMs();
      const auto w0 = std::chrono::steady_clock::now();
      auto macro = TRecordedMacro::LoadFromFile(path);
      const auto w1 = std::chrono::steady_clock::now();
      const double c1 = CpuMs();
      malloc_trim(0);  // what the load used only while reading is given back
      heldKb = RssKb() - before;
      if (macro->Events().size() != n) {
        std::fprintf(stderr, "loaded %zu events, wrote %zu\n", macro->Events().size(), n);
        return 1;
      }
      bestWall = std::min(bestWall, std::chrono::duration<double, std::milli>(w1 - w0).count());
      bestCpu = std::min(bestCpu, c1 - c0);
    }
    std::remove(path.c_str());
    std::printf("| %zu | %.1f MB | %.1f ms | %.1f ms | %.1f MB | %.0f bytes |\n", n, fileMb, bestWall, bestCpu,
                heldKb / 1024.0, heldKb * 1024.0 / static_cast<double>(n));
  }
  return 0;
}
