// A program that saves a file through the plug-in's own save, for a test that
// kills it part-way:
//   interrupted_save PATH pause STEP EVENT  sets EVENT before the save's STEP-th
//                                           file call (from 0) and waits there
//   interrupted_save PATH loop              saves content A and B in turn, forever
#include <windows.h>

#include <cstdlib>
#include <string>

#include "common/files_win32.h"
#include "common/replace_content.h"
#include "common/win32_handles.h"
#include "common/win32_text.h"
#include "interrupted_save.h"

namespace tavrik {
namespace {

// The real file calls, numbered; the chosen one never comes.
class PausingFiles final : public Files {
 public:
  PausingFiles(int pauseAt, HANDLE paused) : pauseAt_(pauseAt), paused_(paused) {}

  std::unique_ptr<InputFile> openExclusive(const std::string& path) override {
    step();
    return real_.openExclusive(path);
  }
  std::unique_ptr<InputFile> openExclusive(const std::u16string& path) override {
    step();
    return real_.openExclusive(path);
  }
  bool exists(const std::string& path) override {
    step();
    return real_.exists(path);
  }
  bool exists(const std::u16string& path) override {
    step();
    return real_.exists(path);
  }
  bool createFolder(const std::u16string& path) override {
    step();
    return real_.createFolder(path);
  }
  bool replaceable(const std::string& path) override {
    step();
    return real_.replaceable(path);
  }
  bool replaceable(const std::u16string& path) override {
    step();
    return real_.replaceable(path);
  }
  std::unique_ptr<NewFile> createNew(const std::string& path, bool& nameTaken) override {
    step();
    return pausing(real_.createNew(path, nameTaken));
  }
  std::unique_ptr<NewFile> createNew(const std::u16string& path, bool& nameTaken) override {
    step();
    return pausing(real_.createNew(path, nameTaken));
  }
  ReplaceOutcome replace(const std::string& target, const std::string& replacement) override {
    step();
    return real_.replace(target, replacement);
  }
  ReplaceOutcome replace(const std::u16string& target, const std::u16string& replacement) override {
    step();
    return real_.replace(target, replacement);
  }
  bool remove(const std::string& path) override {
    step();
    return real_.remove(path);
  }
  bool remove(const std::u16string& path) override {
    step();
    return real_.remove(path);
  }
  std::uint32_t lastError() const override { return real_.lastError(); }

 private:
  class PausingFile final : public NewFile {
   public:
    PausingFile(PausingFiles& owner, std::unique_ptr<NewFile> file) : owner_(owner), file_(std::move(file)) {}
    std::size_t write(const char* bytes, std::size_t count) override {
      owner_.step();
      return file_->write(bytes, count);
    }
    bool flush() override {
      owner_.step();
      return file_->flush();
    }
    bool close() override {
      owner_.step();
      return file_->close();
    }

   private:
    PausingFiles& owner_;
    std::unique_ptr<NewFile> file_;
  };

  // A failed creation's error stays where the save asks for it.
  std::unique_ptr<NewFile> pausing(std::unique_ptr<NewFile> file) {
    if (!file) return nullptr;
    return std::make_unique<PausingFile>(*this, std::move(file));
  }

  void step() {
    if (steps_++ != pauseAt_) return;
    SetEvent(paused_);
    Sleep(INFINITE);
  }

  Win32Files real_;
  int pauseAt_;
  HANDLE paused_;
  int steps_ = 0;
};

}  // namespace
}  // namespace tavrik

int main(int argc, char** argv) {
  using namespace tavrik;
  if (argc == 3 && std::string(argv[2]) == "loop") {
    Win32Files files;
    for (char mark = 'A';; mark = mark == 'A' ? 'B' : 'A') {
      replaceFileContent(files, argv[1], testing::interruptedSaveContent(mark), isAnsiLeadByte);
    }
  }
  if (argc != 5 || std::string(argv[2]) != "pause") return 2;
  UniqueKernelHandle paused(OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[4]));
  if (!paused) return 3;
  PausingFiles files(std::atoi(argv[3]), paused.get());
  return replaceFileContent(files, argv[1], testing::interruptedSaveContent('N'), isAnsiLeadByte) ? 0 : 1;
}
