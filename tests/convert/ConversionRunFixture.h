#pragma once

#include "convert/ConversionRunInput.h"
#include "platform/RecordingNotice.h"
#include "platform/RecordingShellOpen.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>
#include <sys/types.h>

// A conversion run's surroundings, each test its own: the build's program
// folder (with zivirad.dat), a private temporary folder to unpack the
// converter into, sources and outputs in a work folder, recorded message
// boxes and shell opens, and the settings the Start command stores.
class ConversionRunFixture : public ::testing::Test {
 protected:
  ConversionRunFixture();
  ~ConversionRunFixture() override;

  // A generated fixture under a name of the test's choosing (a link to it).
  std::string Source(const std::string& fixture, const std::string& name);
  // A file of that name that no engine can read.
  std::string BrokenSource(const std::string& name);
  // The tasks as the task list adds them: whole files, titled after their
  // names; the settings stored at Start are `settings`.
  ConversionRunInput InputFor(const std::vector<std::string>& sources, bool enhancedEngine);
  std::vector<NoticeRequest> NoticesCaptioned(const std::string& caption) const;
  // The box that ends a run that was not stopped: "Congratulations!", or
  // the list of files that failed.
  std::vector<NoticeRequest> ClosingReports() const;

  // Turns the event loop until `done`, with a generous guard against a hang.
  static bool ProcessEventsUntil(const std::function<bool()>& done);
  // Processes this one started that have not been reaped.
  static std::vector<pid_t> ChildProcesses();
  static size_t ThreadCount();

  TempFolder privateBase_;
  TempFolder work_;
  RecordingNotice notice_;
  RecordingShellOpen shellOpen_;
  Settings settings_;
  int saveCalls_ = 0;
};
