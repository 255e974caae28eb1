// Rendering and rule loading, each measured beside its reference in the same
// run; the ratios against the targets are printed at the end.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>

#include "common/file_system.h"
#include "common/host_folder.h"
#include "common/module_services.h"
#include "pipeline/template_renderer.h"
#include "rules/rule_store.h"

namespace {

using namespace tavrik;

// Templates served from memory, so that rendering is measured, not the disk.
class MemoryFiles : public FileSystem {
 public:
  std::map<std::string, std::string> files;
  std::unique_ptr<InputFile> openExclusive(const std::string& path) override {
    auto found = files.find(path);
    if (found == files.end()) return nullptr;
    return std::make_unique<Reader>(found->second);
  }
  bool replaceContent(const std::string&, std::string_view) override { return false; }

 private:
  struct Reader : InputFile {
    explicit Reader(const std::string& c) : content(c) {}
    std::size_t read(char* buffer, std::size_t capacity) override {
      std::size_t n = std::min(capacity, content.size() - offset);
      std::memcpy(buffer, content.data() + offset, n);
      offset += n;
      return n;
    }
    std::size_t sizeHint() override { return content.size(); }
    const std::string& content;
    std::size_t offset = 0;
  };
};

// Real files through the C library, for the rule file.
class DiskFiles : public FileSystem {
 public:
  std::unique_ptr<InputFile> openExclusive(const std::string& path) override {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return nullptr;
    return std::make_unique<Reader>(f);
  }
  bool replaceContent(const std::string&, std::string_view) override { return false; }

 private:
  struct Reader : InputFile {
    explicit Reader(FILE* f) : file(f) {}
    ~Reader() override { std::fclose(file); }
    std::size_t read(char* buffer, std::size_t capacity) override {
      return std::fread(buffer, 1, capacity, file);
    }
    std::size_t sizeHint() override {
      long here = std::ftell(file);
      std::fseek(file, 0, SEEK_END);
      long size = std::ftell(file);
      std::fseek(file, here, SEEK_SET);
      return size > 0 ? static_cast<std::size_t>(size) : 0;
    }
    FILE* file;
  };
};

class BenchServices : public ModuleServices {
 public:
  std::string moduleString(unsigned id) override { return id == 6 ? "gen_tavrik.cfg" : ""; }
  std::string hostExecutablePath() override { return "/tmp/tavrik-bench/host.exe"; }
  bool isLeadByte(unsigned char) override { return false; }
  void showErrorMessage(const std::string&) override {}
};

std::string templateOf(std::size_t size, std::size_t placeholderEvery) {
  const char* placeholders[] = {"#ARTIST", "#TITLE", "#ALBUM", "#COMMENT", "#GENRE"};
  std::string text;
  text.reserve(size + 16);
  for (std::size_t i = 0; text.size() < size; ++i) {
    text += placeholders[i % 5];
    while (text.size() % placeholderEvery != 0 && text.size() < size) {
      text += (text.size() % 61 == 0) ? '\n' : 'x';
    }
  }
  text.resize(size);
  return text;
}

const TrackTags kTags{"Cat & Mouse", "Tom", "Greatest <Hits>", "live", "Jazz"};

void renderBench(benchmark::State& state, std::size_t size, std::size_t every) {
  MemoryFiles files;
  files.files["t.html"] = templateOf(size, every);
  RuleList rules;
  for (auto _ : state) {
    std::string text = renderScriptText(kTags, rules, files, "t.html");
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(size));
}

void memcpyBench(benchmark::State& state, std::size_t size) {
  std::string source(size, 'x'), target(size, '\0');
  for (auto _ : state) {
    std::memcpy(target.data(), source.data(), source.size());
    benchmark::DoNotOptimize(target.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(size));
}
void BM_Memcpy_1MiB(benchmark::State& s) { memcpyBench(s, 1 << 20); }
void BM_Memcpy_8MiB(benchmark::State& s) { memcpyBench(s, 8 << 20); }
void BM_Render_1MiB_Every1KiB(benchmark::State& s) { renderBench(s, 1 << 20, 1024); }
void BM_Render_1MiB_Every16B(benchmark::State& s) { renderBench(s, 1 << 20, 16); }
void BM_Render_8MiB_Every1KiB(benchmark::State& s) { renderBench(s, 8 << 20, 1024); }

const char* kRuleFile = "/tmp/tavrik-bench/gen_tavrik.cfg";

void writeRuleFile() {
  std::system("mkdir -p /tmp/tavrik-bench");
  std::ofstream out(kRuleFile, std::ios::binary);
  for (int i = 0; i < 100000; ++i) {
    out << (i % 2 ? "ARTIST" : "GENRE") << '\t' << "Value number " << i << '\t'
        << "C:\\Program Files\\Winamp\\templates\\template" << i << ".html\r\n";
  }
}

// The reference: the file's bytes into memory with the C library alone.
void BM_ReadRuleFile_100k(benchmark::State& state) {
  for (auto _ : state) {
    FILE* file = std::fopen(kRuleFile, "rb");
    std::fseek(file, 0, SEEK_END);
    std::string bytes(static_cast<std::size_t>(std::ftell(file)), '\0');
    std::fseek(file, 0, SEEK_SET);
    std::size_t got = std::fread(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    benchmark::DoNotOptimize(got);
    benchmark::DoNotOptimize(bytes.data());
  }
}
void BM_LoadRules_100k(benchmark::State& state) {
  DiskFiles files;
  BenchServices services;
  for (auto _ : state) {
    RuleStore store(files, services);
    auto rules = std::make_unique<RuleList>();
    if (!store.loadRules(*rules) || rules->count() != 100000) state.SkipWithError("load failed");
    benchmark::DoNotOptimize(rules->count());
    // Freeing the list is not part of loading it.
    state.PauseTiming();
    rules.reset();
    state.ResumeTiming();
  }
}

BENCHMARK(BM_Memcpy_1MiB);
BENCHMARK(BM_Memcpy_8MiB);
BENCHMARK(BM_Render_1MiB_Every1KiB);
BENCHMARK(BM_Render_1MiB_Every16B);
BENCHMARK(BM_Render_8MiB_Every1KiB);
BENCHMARK(BM_ReadRuleFile_100k);
BENCHMARK(BM_LoadRules_100k);

// Keeps every run's time per iteration so that the ratios can be printed.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> nanoseconds;
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      nanoseconds[run.benchmark_name()] = run.GetAdjustedRealTime();
    }
    ConsoleReporter::ReportRuns(runs);
  }
};

void printRatio(RatioReporter& r, const char* what, const char* a, const char* b, double target) {
  if (!r.nanoseconds.count(a) || !r.nanoseconds.count(b)) return;
  double ratio = r.nanoseconds[a] / r.nanoseconds[b];
  if (target <= 0) {
    std::printf("%-52s %8.2fx  (for comparison)\n", what, ratio);
    return;
  }
  std::printf("%-52s %8.2fx  (target <= %.0fx: %s)\n", what, ratio, target,
              ratio <= target ? "met" : "MISSED");
}

}  // namespace

int main(int argc, char** argv) {
  // Keep freed memory in the process, as the Windows heap does, so that the
  // numbers measure the work and not the kernel handing out fresh pages for
  // every megabyte-sized text.
  mallopt(M_MMAP_THRESHOLD, 256 << 20);
  mallopt(M_TRIM_THRESHOLD, 512 << 20);
  writeRuleFile();
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\n");
  printRatio(reporter, "render 1 MiB, placeholder every 1 KiB / memcpy 1 MiB",
             "BM_Render_1MiB_Every1KiB", "BM_Memcpy_1MiB", 20);
  printRatio(reporter, "render 1 MiB, placeholder every 16 B / memcpy 1 MiB",
             "BM_Render_1MiB_Every16B", "BM_Memcpy_1MiB", 20);
  printRatio(reporter, "render 8 MiB / render 1 MiB", "BM_Render_8MiB_Every1KiB",
             "BM_Render_1MiB_Every1KiB", 9);
  // For comparison, not a target: 8 MiB no longer fit the processor's cache.
  printRatio(reporter, "memcpy 8 MiB / memcpy 1 MiB (the cache's share)", "BM_Memcpy_8MiB",
             "BM_Memcpy_1MiB", 0);
  printRatio(reporter, "load 100,000 rules / read the file into memory", "BM_LoadRules_100k",
             "BM_ReadRuleFile_100k", 5);
  std::remove(kRuleFile);
  return 0;
}
