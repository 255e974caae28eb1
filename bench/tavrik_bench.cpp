// Rendering and rule loading at growing sizes: the times show how each grows
// with the size of the template or the rule file.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <cstdio>
#include <fstream>

#include "common/code_page.h"
#include "common/files.h"
#include "common/host_folder.h"
#include "common/module_services.h"
#include "pipeline/template_renderer.h"
#include "rules/rule_store.h"
#include "latin1_code_page.h"
#include "memory_disk.h"

namespace {

using namespace tavrik;

// Real files through the C library, for the rule file; everything else from
// the test disk in memory.
class DiskFiles : public testing::MemoryDisk {
 public:
  using MemoryDisk::openExclusive;
  std::unique_ptr<InputFile> openExclusive(const std::string& path) override {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return nullptr;
    return std::make_unique<Reader>(f);
  }

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
  std::u16string hostSettingsFolderWide() override { return {}; }
  std::string hostSettingsFolder() override { return {}; }
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

// `mark` in front of the template: none for ANSI, or a byte-order mark,
// which makes the whole rendering run on UTF-16.
void renderBench(benchmark::State& state, std::size_t size, std::size_t every, const std::string& mark = "") {
  // Templates served from memory, so that rendering is measured, not the disk.
  testing::MemoryDisk files;
  files.keepRecords = false;
  files.ansi.files["t.html"] = mark + templateOf(size, every);
  RuleList rules;
  testing::Latin1CodePage codePage;
  TemplateRenderer renderer(files, codePage, "t.html");
  for (auto _ : state) {
    AnsiOrWide text = renderer.renderScriptText(kTags, rules);
    benchmark::DoNotOptimize(&text);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(size));
}

void BM_Render_4KiB_Every64B(benchmark::State& s) { renderBench(s, 4 << 10, 64); }
void BM_Render_1MiB_Every1KiB(benchmark::State& s) { renderBench(s, 1 << 20, 1024); }
void BM_Render_1MiB_Every16B(benchmark::State& s) { renderBench(s, 1 << 20, 16); }
void BM_Render_8MiB_Every1KiB(benchmark::State& s) { renderBench(s, 8 << 20, 1024); }
void BM_Render_1MiB_Every1KiB_Utf8(benchmark::State& s) { renderBench(s, 1 << 20, 1024, "\xEF\xBB\xBF"); }

const char* kRuleFile = "/tmp/tavrik-bench/gen_tavrik.cfg";

void writeRuleFile(int rules) {
  std::system("mkdir -p /tmp/tavrik-bench");
  std::ofstream out(kRuleFile, std::ios::binary | std::ios::trunc);
  for (int i = 0; i < rules; ++i) {
    out << (i % 2 ? "ARTIST" : "GENRE") << '\t' << "Value number " << i << '\t'
        << "C:\\Program Files\\Winamp\\templates\\template" << i << ".html\r\n";
  }
}

void loadRulesBench(benchmark::State& state, int count) {
  writeRuleFile(count);
  DiskFiles files;
  BenchServices services;
  testing::Latin1CodePage codePage;
  for (auto _ : state) {
    RuleStore store(files, services, codePage);
    auto rules = std::make_unique<RuleList>();
    if (!store.loadRules(*rules) || rules->count() != static_cast<std::size_t>(count)) {
      state.SkipWithError("load failed");
    }
    benchmark::DoNotOptimize(rules->count());
    // Freeing the list is not part of loading it.
    state.PauseTiming();
    rules.reset();
    state.ResumeTiming();
  }
}
void BM_LoadRules_100(benchmark::State& s) { loadRulesBench(s, 100); }
void BM_LoadRules_10k(benchmark::State& s) { loadRulesBench(s, 10000); }
void BM_LoadRules_100k(benchmark::State& s) { loadRulesBench(s, 100000); }

BENCHMARK(BM_Render_4KiB_Every64B);
BENCHMARK(BM_Render_1MiB_Every1KiB);
BENCHMARK(BM_Render_1MiB_Every16B);
BENCHMARK(BM_Render_8MiB_Every1KiB);
BENCHMARK(BM_Render_1MiB_Every1KiB_Utf8);
BENCHMARK(BM_LoadRules_100);
BENCHMARK(BM_LoadRules_10k);
BENCHMARK(BM_LoadRules_100k);

}  // namespace

int main(int argc, char** argv) {
  // Keep freed memory in the process, as the Windows heap does, so that the
  // numbers measure the work and not the kernel handing out fresh pages for
  // every megabyte-sized text.
  mallopt(M_MMAP_THRESHOLD, 256 << 20);
  mallopt(M_TRIM_THRESHOLD, 512 << 20);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  std::remove(kRuleFile);
  return 0;
}
