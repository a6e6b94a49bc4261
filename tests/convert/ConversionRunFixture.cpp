#include "ConversionRunFixture.h"

#include "media/CMediaTranscoder.h"
#include "platform/PrivateTempFolder.h"
#include "platform/ProgramFolder.h"
#include "support/EventLoop.h"
#include "support/ProcessStat.h"
#include "support/TestMedia.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// A safety net against a hang, not a speed goal; sanitizer builds are slow.
constexpr auto kPatience = std::chrono::minutes(3);

double WholeSecondsOf(const std::string& path) {
  CMediaTranscoder probe(nullptr, nullptr, nullptr);
  if (probe.OpenInput(path) != 0) return 0;
  return std::max(0, probe.GetDurationSeconds());
}

}  // namespace

ConversionRunFixture::ConversionRunFixture() {
  SetProgramFolderOverride(TOLVAR_PROGRAM_FOLDER);
  SetTempBaseOverride(privateBase_.Path());
  fs::create_directories(work_ / "sources");
  settings_ = Settings{work_ / "out", kFormatMp3, 128000, 44100, 2};
}

ConversionRunFixture::~ConversionRunFixture() {
  SetTempBaseOverride("");
  SetProgramFolderOverride("");
}

std::string ConversionRunFixture::Source(const std::string& fixture, const std::string& name) {
  const std::string path = work_ / ("sources/" + name);
  fs::create_symlink(TestMedia::Path(fixture), path);
  return path;
}

std::string ConversionRunFixture::BrokenSource(const std::string& name) {
  const std::string path = work_ / ("sources/" + name);
  std::ofstream(path) << "this is no video\n";
  return path;
}

ConversionRunInput ConversionRunFixture::InputFor(const std::vector<std::string>& sources, bool enhancedEngine) {
  ConversionRunInput input;
  for (const std::string& source : sources) {
    const std::string rowTitle = " " + fs::path(source).filename().string();
    Task task;
    task.sourcePath = source;
    task.title = rowTitle.substr(0, rowTitle.rfind('.'));
    task.duration = WholeSecondsOf(source);
    task.clipLength = task.duration;
    input.tasks.push_back(task);
    input.rowTitles.push_back(rowTitle);
    input.outputNames.push_back({"", FormatExtension(settings_.formatCode)});
  }
  input.enhancedEngine = enhancedEngine;
  input.saveSettings = [this] {
    ++saveCalls_;
    return settings_;
  };
  return input;
}

std::vector<NoticeRequest> ConversionRunFixture::NoticesCaptioned(const std::string& caption) const {
  std::vector<NoticeRequest> notices;
  for (const NoticeRequest& request : notice_.Requests()) {
    if (request.caption == caption) notices.push_back(request);
  }
  return notices;
}

std::vector<NoticeRequest> ConversionRunFixture::ClosingReports() const {
  std::vector<NoticeRequest> reports = NoticesCaptioned("Congratulations!");
  for (const NoticeRequest& failure : NoticesCaptioned("Failure")) {
    if (failure.text.find("could not be converted") != std::string::npos) reports.push_back(failure);
  }
  return reports;
}

bool ConversionRunFixture::ProcessEventsUntil(const std::function<bool()>& done) {
  return ::ProcessEventsUntil(done, kPatience);
}

std::vector<pid_t> ConversionRunFixture::ChildProcesses() {
  std::vector<pid_t> children;
  for (const auto& [pid, process] : AllProcesses()) {
    if (process.parent == getpid()) children.push_back(pid);
  }
  return children;
}

size_t ConversionRunFixture::ThreadCount() {
  return static_cast<size_t>(std::distance(fs::directory_iterator("/proc/self/task"), {}));
}
