#include "ConversionRunFixture.h"
#include "RunRecording.h"
#include "convert/CConversionRun.h"
#include "convert/ConverterUnpacking.h"
#include "media/DecoderRegistration.h"
#include "platform/ProgramFolder.h"
#include "support/ExpectAudio.h"
#include "support/ExpectWavSizes.h"
#include "support/Ffprobe.h"
#include "support/QtTestApplication.h"
#include "support/ReadWholeFile.h"
#include "support/TestMedia.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>

namespace fs = std::filesystem;

namespace {

// The run reports through the event loop of its thread.
[[maybe_unused]] const auto* const qtApplication =
    ::testing::AddGlobalTestEnvironment(new QtTestApplication<QCoreApplication>(InitMediaLibraries));

// A source long enough to be stopped or closed halfway.
constexpr char kLongSource[] = "m4a-aac-stereo-300s.m4a";
constexpr char kHoursLongSource[] = "m4a-aac-stereo-3h.m4a";

}  // namespace

class ConversionRunTest : public ConversionRunFixture {
 protected:
  // Start, the window opening, and the run to its end.
  void RunToTheEnd(CConversionRun& run, RunRecording& recording) {
    ASSERT_TRUE(run.Prepare());
    run.Begin();
    ASSERT_TRUE(ProcessEventsUntil([&] { return recording.closeRequests > 0; })) << "the run never ended";
  }

  // Until the run works on the source of that row title.
  void WaitUntilConverting(const RunRecording& recording, const std::string& rowTitle, bool enhancedEngine) {
    const std::string caption = "Converting  " + rowTitle + " ...";
    const std::string line = "Extracting Audio From " + rowTitle;
    ASSERT_TRUE(ProcessEventsUntil([&] {
      return enhancedEngine ? std::find(recording.captions.begin(), recording.captions.end(), caption) !=
                                  recording.captions.end()
                            : recording.HasCurrentLineStartingWith(line);
    })) << rowTitle
        << " never started";
  }
};

TEST_F(ConversionRunTest, WithoutTasksOnlyWarns) {
  CConversionRun run(InputFor({}, false));
  EXPECT_FALSE(run.Prepare());
  const auto requests = notice_.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].text, "No source file is ready! Please add a source file.");
  EXPECT_EQ(requests[0].caption, "WARNING");
  EXPECT_EQ(requests[0].icon, NoticeIcon::Warning);
  EXPECT_EQ(saveCalls_, 0);
  EXPECT_FALSE(fs::exists(settings_.outputFolder));
}

// The settings are stored before anything else happens, then the output
// folder is made and the converter unpacked.
TEST_F(ConversionRunTest, StartStoresTheSettingsFirst) {
  auto input = InputFor({Source("avi-mpeg4-mp3-6s.avi", "clip.avi")}, false);
  bool folderBeforeSaving = true;
  bool converterBeforeSaving = true;
  const auto save = input.saveSettings;
  input.saveSettings = [&] {
    folderBeforeSaving = fs::exists(settings_.outputFolder);
    converterBeforeSaving = fs::exists(*ConverterPath());
    return save();
  };
  CConversionRun run(input);
  ASSERT_TRUE(run.Prepare());
  EXPECT_EQ(saveCalls_, 1);
  EXPECT_FALSE(folderBeforeSaving);
  EXPECT_FALSE(converterBeforeSaving);
  EXPECT_TRUE(fs::is_directory(settings_.outputFolder));
  EXPECT_TRUE(fs::exists(*ConverterPath()));
  EXPECT_EQ(run.RunSettings().outputFolder, settings_.outputFolder);
  EXPECT_TRUE(notice_.Requests().empty());
}

// One task with each engine and format: the run goes straight to its end,
// says so in the window and in the "Congratulations!" box, and opens the
// output folder.
struct OneTaskCase {
  const char* name;
  bool enhancedEngine;
  int formatCode;
  int sampleRate;
  int channels;
  const char* codec;
  const char* congratulation;
  std::vector<std::string> lastLines;  // current, then total
  const char* lastCaption;
};

class OneTask : public ConversionRunTest, public ::testing::WithParamInterface<OneTaskCase> {};

TEST_P(OneTask, EndsWithCongratulations) {
  const OneTaskCase& c = GetParam();
  settings_.formatCode = c.formatCode;
  settings_.sampleRate = c.sampleRate;
  settings_.channelCount = c.channels;
  CConversionRun run(InputFor({Source("avi-mpeg4-mp3-6s.avi", "holiday.avi")}, c.enhancedEngine));
  RunRecording recording(run);
  RunToTheEnd(run, recording);

  EXPECT_EQ(saveCalls_, 1);
  EXPECT_EQ(recording.closeRequests, 1);
  const auto requests = notice_.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].text, c.congratulation + settings_.outputFolder);
  EXPECT_EQ(requests[0].caption, "Congratulations!");
  EXPECT_EQ(requests[0].icon, NoticeIcon::Information);
  EXPECT_EQ(shellOpen_.Targets(), std::vector<std::string>{settings_.outputFolder});

  EXPECT_EQ(recording.currentLines.front(), "Current Task: Initializing...");
  EXPECT_EQ(recording.totalLines.front(), "Total Progress: 0 Task Completed / Total 1 Task(s)");
  EXPECT_EQ(run.CurrentLine().toStdString(), c.lastLines[0]);
  EXPECT_EQ(run.TotalLine().toStdString(), c.lastLines[1]);
  EXPECT_EQ(run.Caption().toStdString(), c.lastCaption);
  EXPECT_EQ(run.CurrentBar(), 100);
  EXPECT_EQ(run.TotalBar(), 100);
  if (c.enhancedEngine) {
    EXPECT_TRUE(recording.HasCurrentLineStartingWith("OutputSize:")) << "no progress of the converter shown";
    EXPECT_EQ(recording.captions.front(), "Converting   holiday.avi ...");
  } else {
    EXPECT_TRUE(recording.HasCurrentLineStartingWith("Extracting Audio From  holiday.avi  :  100% Completed"));
  }

  ASSERT_EQ(run.Results().size(), 1u);
  const TaskResult& result = run.Results()[0];
  EXPECT_EQ(result.end, TaskEnd::Converted) << result.failure;
  EXPECT_EQ(result.sourcePath, work_ / "sources/holiday.avi");
  ExpectAudioOutput(result.outputPath, c.codec, c.sampleRate, c.channels, *DecodedAudioSeconds(result.sourcePath), 440);
  EXPECT_EQ(fs::path(result.outputPath).parent_path(), fs::path(settings_.outputFolder));
}

const std::vector<std::string> kInProcessEnd = {"All Done", "All Done"};
const std::vector<std::string> kConverterEnd = {"Finished", "All Tasks Finished"};

INSTANTIATE_TEST_SUITE_P(
    Engines, OneTask,
    ::testing::Values(
        OneTaskCase{"InProcessMp3", false, kFormatMp3, 44100, 2, "mp3", "Successfully Extract Audio and Save to ",
                    kInProcessEnd, "Converting ..."},
        OneTaskCase{"InProcessWav", false, kFormatWav, 22050, 1, "pcm_s16le", "Successfully Extract Audio and Save to ",
                    kInProcessEnd, "Converting ..."},
        OneTaskCase{"ConverterMp3", true, kFormatMp3, 32000, 1, "mp3", "Successfully Converting Files and Save to ",
                    kConverterEnd, "Finished"},
        OneTaskCase{"ConverterAc3", true, kFormatAc3, 48000, 2, "ac3", "Successfully Converting Files and Save to ",
                    kConverterEnd, "Finished"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ConversionRunTest, ThreeTasksThroughTheConverterNameEachInTheCaption) {
  CConversionRun run(InputFor({Source("avi-mpeg4-mp3-6s.avi", "first.avi"), Source("flv-flv1-mp3-5s.flv", "second.flv"),
                               Source("mov-h264-aac-9s.mov", "third.mov")},
                              true));
  RunRecording recording(run);
  RunToTheEnd(run, recording);

  const std::vector<std::string> expected = {"Converting   first.avi ...",  "The current task is 1",
                                             "Converting   second.flv ...", "The current task is 2",
                                             "Converting   third.mov ...",  "Finished"};
  EXPECT_EQ(recording.captions, expected);
  EXPECT_EQ(recording.closeRequests, 1);
  EXPECT_EQ(NoticesCaptioned("Congratulations!").size(), 1u);
  const double frequencies[] = {440, 440, 1000};
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(run.Results()[i].end, TaskEnd::Converted) << run.Results()[i].failure;
    ExpectAudioOutput(run.Results()[i].outputPath, "mp3", 44100, 2, *DecodedAudioSeconds(run.Results()[i].sourcePath),
                      frequencies[i]);
  }
  EXPECT_TRUE(std::any_of(recording.totalLines.begin(), recording.totalLines.end(), [](const std::string& line) {
    return line.starts_with("Current Task 3.  Total tasks: 3 ---  ");
  })) << "no progress of the third task shown";
}

// Long names are cut in the in-process line.
TEST_F(ConversionRunTest, LongNameIsCutInTheProgressLine) {
  const std::string name = std::string(36, 'n') + ".avi";  // 41 characters with the row's leading blank
  CConversionRun run(InputFor({Source("avi-mpeg4-mp3-6s.avi", name)}, false));
  RunRecording recording(run);
  RunToTheEnd(run, recording);
  EXPECT_TRUE(recording.HasCurrentLineStartingWith("Extracting Audio From  " + std::string(36, 'n') + ".av...  :  "));
  EXPECT_FALSE(recording.HasCurrentLineStartingWith("Extracting Audio From  " + name));
  EXPECT_EQ(run.Results()[0].end, TaskEnd::Converted);
}

// A task that fails does not stop the run, and is not reported as a success.
TEST_F(ConversionRunTest, FailedTasksAreReportedAndTheRunGoesOn) {
  CConversionRun run(InputFor({BrokenSource("broken.avi"), Source("mp4-video-only-2s.mp4", "silent.mp4"),
                               Source("avi-mpeg4-mp3-6s.avi", "good.avi")},
                              false));
  RunRecording recording(run);
  RunToTheEnd(run, recording);

  const auto& results = run.Results();
  EXPECT_EQ(results[0].end, TaskEnd::Failed);
  EXPECT_FALSE(results[0].failure.empty());
  EXPECT_EQ(results[1].end, TaskEnd::Failed);
  EXPECT_EQ(results[1].failure, "The output file could not be written.");
  EXPECT_EQ(results[2].end, TaskEnd::Converted) << results[2].failure;
  ExpectAudioOutput(results[2].outputPath, "mp3", 44100, 2, *DecodedAudioSeconds(results[2].sourcePath), 440);

  // The in-process output that cannot be started: the transcoder's own box, then the run's.
  const auto errors = NoticesCaptioned("Error");
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].text, "Failed to create Output File !");
  EXPECT_TRUE(NoticesCaptioned("Congratulations!").empty());
  const auto failures = NoticesCaptioned("Failure");
  ASSERT_EQ(failures.size(), 2u);
  EXPECT_EQ(failures[0].text, "maybe audio/video parameters are wrong,will be fixed in next major version");
  EXPECT_EQ(failures[1].text, "2 of 3 files could not be converted:\n\nbroken.avi: " + results[0].failure +
                                  "\nsilent.mp4: The output file could not be written.\n\n"
                                  "The other files were saved to " +
                                  settings_.outputFolder);
  EXPECT_EQ(failures[1].icon, NoticeIcon::Error);
  EXPECT_EQ(shellOpen_.Targets(), std::vector<std::string>{settings_.outputFolder});
}

// Sources without video: the box that says so comes once a run, and the
// run goes on past it for every file.
TEST_F(ConversionRunTest, SourcesWithoutVideoAreToldOnce) {
  CConversionRun run(InputFor({Source("audio-only-aac-7s.m4a", "one.m4a"), Source("avi-mpeg4-mp3-6s.avi", "film.avi"),
                               Source("audio-only-aac-7s.m4a", "two.m4a"),
                               Source("audio-only-aac-7s.m4a", "three.m4a")},
                              false));
  RunRecording recording(run);
  RunToTheEnd(run, recording);

  for (const auto& result : run.Results()) EXPECT_EQ(result.end, TaskEnd::Converted) << result.failure;
  const auto told = NoticesCaptioned("Information");
  ASSERT_EQ(told.size(), 1u);
  EXPECT_EQ(told[0].text, "It seems that there is no any video in your file!\nplease waitting.....");
  EXPECT_EQ(NoticesCaptioned("Congratulations!").size(), 1u);
}

// Without zivirad.dat nothing is unpacked, so the converter cannot start:
// the window says so and the run ends with the failure, not in silence.
TEST_F(ConversionRunTest, UnstartableConverterFailsItsTask) {
  const TempFolder programWithoutArchive;
  SetProgramFolderOverride(programWithoutArchive.Path());
  CConversionRun run(InputFor({Source("avi-mpeg4-mp3-6s.avi", "clip.avi")}, true));
  RunRecording recording(run);
  RunToTheEnd(run, recording);

  EXPECT_TRUE(recording.HasCurrentLineStartingWith("Unable to start \"" + *ConverterPath() + "\" -i \"" +
                                                   run.Results()[0].sourcePath + "\""));
  EXPECT_EQ(run.Results()[0].end, TaskEnd::Failed);
  EXPECT_TRUE(NoticesCaptioned("Congratulations!").empty());
  const auto failures = NoticesCaptioned("Failure");
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_EQ(failures[0].text, "1 of 1 files could not be converted:\n\nclip.avi: The converter could not be started.");
  EXPECT_TRUE(shellOpen_.Targets().empty()) << "a folder without any output was opened";
  EXPECT_FALSE(fs::exists(run.Results()[0].outputPath));
}

// How a converter failed, in the words the user gets: its own last reason,
// however long; otherwise the signal that ended it, or its exit status. The
// converter here is a script of the test's own, which nothing unpacks over.
TEST_F(ConversionRunTest, AConverterFailureIsToldInItsOwnWordsOrByHowItEnded) {
  const TempFolder programWithoutArchive;
  SetProgramFolderOverride(programWithoutArchive.Path());
  const std::string longReason = "Cannot create /" + std::string(4094, 'o') + ": File name too long";
  const std::pair<std::string, std::string> cases[] = {
      {"echo \"tae: " + longReason + "\" >&2; exit 1", longReason},
      {"kill -9 $$", "The converter was ended by signal 9 (Killed)."},
      {"kill -SEGV $$", "The converter was ended by signal 11 (Segmentation fault)."},
      {"exit 3", "The converter failed (exit status 3)."},
  };
  for (const auto& [script, failure] : cases) {
    SCOPED_TRACE(script);
    {
      std::ofstream converter(*ConverterPath());
      converter << "#!/bin/sh\n" << script << "\n";
    }
    fs::permissions(*ConverterPath(), fs::perms::owner_all);
    CConversionRun run(InputFor({Source("avi-mpeg4-mp3-6s.avi", "clip.avi")}, true));
    RunRecording recording(run);
    RunToTheEnd(run, recording);
    EXPECT_EQ(run.Results()[0].end, TaskEnd::Failed);
    EXPECT_EQ(run.Results()[0].failure, failure);
    fs::remove(work_ / "sources/clip.avi");
  }
}

// What would fail every task alike is told once at Start, before any task:
// an output folder that cannot be made or written, with the system's
// reason, and settings the encoder refuses (AC3 has no 22050 Hz). Every
// task ends Failed with that reason, and nothing is written or started.
struct RefusedAtStartCase {
  const char* name;
  bool enhancedEngine;
  std::function<void(Settings&, const TempFolder&)> arrange;
  bool aboutTheFolder;  // the reason then follows the folder's name
  const char* reason;
  const char* caption;
};

class RefusedAtStart : public ConversionRunTest, public ::testing::WithParamInterface<RefusedAtStartCase> {};

TEST_P(RefusedAtStart, IsToldOnceAndStartsNoTask) {
  GetParam().arrange(settings_, work_);
  CConversionRun run(InputFor({Source("avi-mpeg4-mp3-6s.avi", "one.avi"), Source("flv-flv1-mp3-5s.flv", "two.flv")},
                              GetParam().enhancedEngine));
  RunRecording recording(run);
  EXPECT_FALSE(run.Prepare());

  const std::string folderText = "Cannot write to the output folder " + settings_.outputFolder + ": ";
  const std::string text = (GetParam().aboutTheFolder ? folderText : "") + GetParam().reason;
  const auto requests = notice_.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].text, text);
  EXPECT_EQ(requests[0].caption, GetParam().caption);
  ASSERT_EQ(run.Results().size(), 2u);
  for (const TaskResult& result : run.Results()) {
    EXPECT_EQ(result.end, TaskEnd::Failed);
    EXPECT_EQ(result.failure, text);
    EXPECT_FALSE(fs::exists(result.outputPath));
  }
  EXPECT_TRUE(run.IsOver());
  run.Begin();
  QCoreApplication::processEvents();
  EXPECT_TRUE(ChildProcesses().empty()) << "no converter starts";
  EXPECT_EQ(recording.closeRequests, 0);
  EXPECT_TRUE(shellOpen_.Targets().empty());
}

const auto kMissingParent = [](Settings& settings, const TempFolder& work) {
  settings.outputFolder = work / "missing/deeper";
};
const auto kFileForAFolder = [](Settings& settings, const TempFolder& work) {
  std::ofstream(work / "taken") << "a file, not a folder";
  settings.outputFolder = work / "taken/";
};
const auto kAc3At22050 = [](Settings& settings, const TempFolder&) {
  settings.formatCode = kFormatAc3;
  settings.sampleRate = 22050;
};
// Opus takes at most 256 kbit/s a channel.
const auto kOpusMonoAt320k = [](Settings& settings, const TempFolder&) {
  settings.formatCode = kFormatOpus;
  settings.channelCount = 1;
  settings.bitRate = 320000;
};
constexpr char kParametersWrong[] = "The audio parameters are wrong,will be fixed in next major version";

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusedAtStart,
    ::testing::Values(
        RefusedAtStartCase{"MissingParentInProcess", false, kMissingParent, true, "No such file or directory", "Error"},
        RefusedAtStartCase{"MissingParentConverter", true, kMissingParent, true, "No such file or directory", "Error"},
        RefusedAtStartCase{"FileForAFolderInProcess", false, kFileForAFolder, true, "Not a directory", "Error"},
        RefusedAtStartCase{"Ac3At22050InProcess", false, kAc3At22050, false, kParametersWrong, "Failure"},
        RefusedAtStartCase{"Ac3At22050Converter", true, kAc3At22050, false, kParametersWrong, "Failure"},
        RefusedAtStartCase{"OpusMonoAt320kInProcess", false, kOpusMonoAt320k, false, kParametersWrong, "Failure"}),
    [](const auto& info) { return std::string(info.param.name); });

// A converter's WAV ended halfway, by STOP or by closing the window: the
// converter is let to close it, so its header tells the sizes it holds, and
// no converter is left once the run is over.
struct HalfwayEndCase {
  const char* name;
  void (CConversionRun::*end)();
};

class ConverterWavEndedHalfway : public ConversionRunTest, public ::testing::WithParamInterface<HalfwayEndCase> {};

TEST_P(ConverterWavEndedHalfway, IsClosedByTheConverter) {
  // Hours of sound, so that the converter is still at work when it is
  // stopped; a small output, in case it is not stopped in time.
  settings_.formatCode = kFormatWav;
  settings_.sampleRate = 8000;
  settings_.channelCount = 1;
  CConversionRun run(InputFor({Source(kHoursLongSource, "long.m4a")}, true));
  RunRecording recording(run);
  ASSERT_TRUE(run.Prepare());
  run.Begin();
  // The converter tells its progress once it has written sound.
  ASSERT_TRUE(ProcessEventsUntil([&] { return recording.HasCurrentLineStartingWith("OutputSize:"); }))
      << "the converter never got going";

  (run.*GetParam().end)();
  // A STOP is over two seconds later, a closed window at once.
  ASSERT_TRUE(ProcessEventsUntil([&] { return run.IsOver(); }));
  EXPECT_TRUE(ChildProcesses().empty());
  EXPECT_EQ(run.Results()[0].end, TaskEnd::Stopped);
  const std::string& output = run.Results()[0].outputPath;
  ExpectWavSizesMatchTheFile(output);
  const auto decoded = DecodedAudioSeconds(output);
  ASSERT_TRUE(decoded);
  EXPECT_GT(*decoded, 0);
  EXPECT_LT(*decoded, 3 * 3600 - 10) << "the conversion ended before it was interrupted";
}

INSTANTIATE_TEST_SUITE_P(Ways, ConverterWavEndedHalfway,
                         ::testing::Values(HalfwayEndCase{"Stop", &CConversionRun::Stop},
                                           HalfwayEndCase{"Cancel", &CConversionRun::Cancel}),
                         [](const auto& info) { return std::string(info.param.name); });

// The progress window waits half a second before its first task; a run with
// no delay has begun its first task within the first turn of events.
TEST_F(ConversionRunTest, TheFirstTaskStartsAfterTheInputsDelay) {
  for (const int delay : {0, 500}) {
    SCOPED_TRACE("delay " + std::to_string(delay) + " ms");
    auto input = InputFor({Source("avi-mpeg4-mp3-6s.avi", "clip" + std::to_string(delay) + ".avi")}, false);
    input.firstTaskDelay = std::chrono::milliseconds(delay);
    CConversionRun run(std::move(input));
    RunRecording recording(run);
    ASSERT_TRUE(run.Prepare());
    run.Begin();
    QCoreApplication::processEvents();
    // The in-process task makes its output as it starts.
    EXPECT_EQ(fs::exists(run.Results()[0].outputPath), delay == 0);
    ASSERT_TRUE(ProcessEventsUntil([&] { return recording.closeRequests > 0; }));
    EXPECT_EQ(run.Results()[0].end, TaskEnd::Converted) << run.Results()[0].failure;
  }
}

// Several lanes: every task converted into its own file, the total counting
// every task's part done, so that it never goes back.
TEST_F(ConversionRunTest, SeveralLanesConvertEveryTaskAndCountEveryPart) {
  for (const bool enhancedEngine : {false, true}) {
    SCOPED_TRACE(enhancedEngine ? "converter" : "in-process");
    const std::string mark = enhancedEngine ? "-e" : "";
    auto input = InputFor({Source("avi-mpeg4-mp3-6s.avi", "one" + mark + ".avi"),
                           Source("mov-h264-aac-9s.mov", "two" + mark + ".mov"),
                           Source("flv-flv1-mp3-5s.flv", "three" + mark + ".flv")},
                          enhancedEngine);
    input.parallelTasks = 2;
    CConversionRun run(std::move(input));
    RunRecording recording(run);
    RunToTheEnd(run, recording);

    const double frequencies[] = {440, 1000, 440};
    for (size_t i = 0; i < 3; ++i) {
      EXPECT_EQ(run.Results()[i].end, TaskEnd::Converted) << run.Results()[i].failure;
      ExpectAudioOutput(run.Results()[i].outputPath, "mp3", 44100, 2,
                        *DecodedAudioSeconds(run.Results()[i].sourcePath), frequencies[i]);
    }
    // The caption names the first task not yet finished: never an earlier
    // one once a later one was named.
    std::vector<size_t> named;
    const std::string names[] = {"one", "two", "three"};
    for (const std::string& caption : recording.captions) {
      for (size_t i = 0; i < 3; ++i) {
        if (caption.starts_with("Converting   " + names[i] + mark + ".")) named.push_back(i);
      }
    }
    EXPECT_TRUE(std::is_sorted(named.begin(), named.end()));
    // A task that ends before it is the first unfinished is never named.
    if (enhancedEngine) {
      ASSERT_FALSE(named.empty());
      EXPECT_EQ(named.front(), 0u);
    }
    EXPECT_TRUE(std::is_sorted(recording.totalBars.begin(), recording.totalBars.end()));
    EXPECT_EQ(recording.totalBars.back(), 100);
    EXPECT_TRUE(std::any_of(recording.totalLines.begin(), recording.totalLines.end(), [](const std::string& line) {
      return line.starts_with("Total Progress: 1 Task Completed / Total 3 Task(s) ---  ") && line.ends_with("% Finished");
    }));
    EXPECT_EQ(NoticesCaptioned("Congratulations!").size(), enhancedEngine ? 2u : 1u);
  }
}

// The closing texts are worded by the engine of the list's last task, not by
// whichever task happened to end last: here the converter's quick failure
// on the last file ends before the long first file.
TEST_F(ConversionRunTest, SeveralLanesEndWithTheTextsOfTheListsLastTask) {
  auto input = InputFor({Source(kLongSource, "first.m4a"), BrokenSource("last.avi")}, false);
  input.parallelTasks = 2;
  CConversionRun run(std::move(input));
  RunRecording recording(run);
  RunToTheEnd(run, recording);

  EXPECT_EQ(run.Results()[0].end, TaskEnd::Converted) << run.Results()[0].failure;
  EXPECT_EQ(run.Results()[1].end, TaskEnd::Failed);
  EXPECT_EQ(recording.captions.back(), "Finished");
  EXPECT_EQ(recording.totalLines.back(), "All Tasks Finished");
  ASSERT_EQ(ClosingReports().size(), 1u);
  EXPECT_EQ(ClosingReports()[0].caption, "Failure");
}

// STOP ends every task under way: each keeps what it wrote, the next is
// never started, and no converter is left.
TEST_F(ConversionRunTest, StopEndsEveryLane) {
  for (const bool enhancedEngine : {false, true}) {
    SCOPED_TRACE(enhancedEngine ? "converter" : "in-process");
    const std::string mark = enhancedEngine ? "-e" : "";
    auto input = InputFor({Source(kLongSource, "first" + mark + ".m4a"), Source(kLongSource, "second" + mark + ".m4a"),
                           Source("avi-mpeg4-mp3-6s.avi", "third" + mark + ".avi")},
                          enhancedEngine);
    input.parallelTasks = 2;
    CConversionRun run(std::move(input));
    RunRecording recording(run);
    ASSERT_TRUE(run.Prepare());
    run.Begin();
    ASSERT_TRUE(ProcessEventsUntil([&] {
      return fs::exists(run.Results()[0].outputPath) && fs::exists(run.Results()[1].outputPath);
    })) << "the two lanes never both started";
    run.Stop();
    ASSERT_TRUE(ProcessEventsUntil([&] { return recording.closeRequests > 0; }));

    EXPECT_EQ(run.Results()[0].end, TaskEnd::Stopped);
    EXPECT_EQ(run.Results()[1].end, TaskEnd::Stopped);
    EXPECT_EQ(run.Results()[2].end, TaskEnd::NotStarted);
    EXPECT_FALSE(fs::exists(run.Results()[2].outputPath));
    EXPECT_TRUE(ChildProcesses().empty());
    EXPECT_TRUE(ClosingReports().empty());
  }
}
