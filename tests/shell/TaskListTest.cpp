#include "convert/Settings.h"
#include "platform/RecordingNotice.h"
#include "platform/RuntimeLibrary.h"
#include "shell/CTaskList.h"
#include "convert/FileNameParts.h"
#include "support/TempFolder.h"
#include "support/TestMedia.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const std::string kDvdText =
    "You're trying to open a DVD (*.vob/*.ifo) file. Tolvar Audio Extractor doesn't support DVD format.  "
    "You need Kestra DVD Ripper to do this.";

void ExpectOneNotice(const RecordingNotice& notice, const std::string& text, const std::string& caption,
                     NoticeIcon icon = NoticeIcon::None, NoticeButtons buttons = NoticeButtons::Ok) {
  const auto requests = notice.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].text, text);
  EXPECT_EQ(requests[0].caption, caption);
  EXPECT_EQ(requests[0].icon, icon);
  EXPECT_EQ(requests[0].buttons, buttons);
}

std::string FirstBytes(const std::string& path, size_t count) {
  std::ifstream stream(path, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
  return bytes.substr(0, count);
}

}  // namespace

class TaskListTest : public ::testing::Test {
 protected:
  // A copy of a generated fixture under a name of the test's choosing.
  std::string Source(const std::string& name, const std::string& fixture = "avi-mpeg4-mp3-6s.avi") {
    const std::string path = folder / name;
    fs::create_directories(fs::path(path).parent_path());
    fs::copy_file(TestMedia::Path(fixture), path, fs::copy_options::overwrite_existing);
    return path;
  }

  void AddSources(int count) {
    for (int i = 1; i <= count; ++i) ASSERT_TRUE(list.AddSourceFile(Source("clip" + std::to_string(i) + ".avi")));
    notice.Clear();
  }

  std::vector<std::string> SourcePaths() const {
    std::vector<std::string> paths;
    for (const auto& task : list.Tasks()) paths.push_back(task.sourcePath);
    return paths;
  }

  RecordingNotice notice;
  TempFolder folder;
  CTaskList list;
};

TEST_F(TaskListTest, AKnownFileGivesItsTaskAndRowTexts) {
  const std::string path = Source("Clip.avi");
  ASSERT_TRUE(list.AddSourceFile(path));

  EXPECT_TRUE(notice.Requests().empty());
  ASSERT_EQ(list.GetTaskCount(), 1);
  const Task& task = list.Tasks()[0];
  EXPECT_EQ(task.duration, 6);
  EXPECT_EQ(task.clipStart, 0);
  EXPECT_EQ(task.clipLength, 6);
  EXPECT_EQ(task.sourcePath, path);
  EXPECT_EQ(task.title, " Clip");
  EXPECT_EQ(list.Rows()[0], (TaskRowTexts{" Clip.avi", "00:00:00", "00:00:06", "AVI", "MP3"}));
  EXPECT_EQ(list.GetSelectedRow(), 0);
}

TEST_F(TaskListTest, AStoredClipChangesOnlyItsTaskAndCells) {
  ASSERT_TRUE(list.AddSourceFile(Source("First.avi")));
  ASSERT_TRUE(list.AddSourceFile(Source("Second.avi")));
  list.StoreClip(1, 1.5, 3.25, "00:00:01", "00:00:04");
  EXPECT_EQ(list.Tasks()[1].clipStart, 1.5);
  EXPECT_EQ(list.Tasks()[1].clipLength, 3.25);
  EXPECT_EQ(list.Tasks()[1].duration, 6);
  EXPECT_EQ(list.Rows()[1], (TaskRowTexts{" Second.avi", "00:00:01", "00:00:04", "AVI", "MP3"}));
  EXPECT_EQ(list.Rows()[0], (TaskRowTexts{" First.avi", "00:00:00", "00:00:06", "AVI", "MP3"}));
  list.StoreClip(2, 0, 1, "x", "y");
  EXPECT_EQ(list.GetTaskCount(), 2) << "a row past the end is ignored";
}

TEST_F(TaskListTest, TheEndCellShowsTheProbedDuration) {
  struct Case {
    const char* fixture;
    double duration;
    const char* endText;
  };
  const Case cases[] = {
      {"mkv-no-duration-zero-filled-tail-5s.mkv", -1, "00:00:-1"},
      {"mkv-no-duration-5s.mkv", 5, "00:00:05"},
      {"wav-silence-3725s.wav", 3725, "01:02:05"},
      {"wav-5.999999s.wav", 5, "00:00:05"},
  };
  for (const auto& [fixture, duration, endText] : cases) {
    SCOPED_TRACE(fixture);
    ASSERT_TRUE(list.AddSourceFile(TestMedia::Path(fixture)));
    const Task& task = list.Tasks().back();
    EXPECT_EQ(task.duration, duration);
    EXPECT_EQ(task.clipLength, duration);
    EXPECT_EQ(list.Rows().back()[kEndColumn], endText);
  }
}

// The title names the output file, the source format comes from the name.
TEST_F(TaskListTest, TitleAndSourceFormatComeFromTheFileName) {
  struct Case {
    std::string name;
    std::string titleText;
    std::string title;
    std::string sourceFormat;
  };
  const std::string longName = std::string(200, 'n') + ".avi";
  const Case cases[] = {
      {"Clip.avi", " Clip.avi", " Clip", "AVI"},
      {"my.holiday.film.Mp4", " my.holiday.film.Mp4", " my.holiday.film", "MP4"},
      {"movie.vob.avi", " movie.vob.avi", " movie.vob", "AVI"},
      {"no extension", " no extension", " no extension", ""},
      {".avi", " .avi", " .avi", "AVI"},
      {"clips.vob/movie", " movie", " movie", ""},
      {"ünïcödé.avi", " ünïcödé.avi", " ünïcödé", "AVI"},
      {longName + "/" + longName, " " + longName, " " + std::string(200, 'n'), "AVI"},
  };
  for (const auto& [name, titleText, title, sourceFormat] : cases) {
    SCOPED_TRACE(name);
    const std::string path = Source(name);
    ASSERT_TRUE(list.AddSourceFile(path));
    EXPECT_EQ(list.Tasks().back().sourcePath, path) << "the path is kept whole";
    EXPECT_EQ(list.Tasks().back().title, title);
    EXPECT_EQ(list.Rows().back()[kTitleColumn], titleText);
    EXPECT_EQ(list.Rows().back()[kSourceFormatColumn], sourceFormat);
  }
  EXPECT_TRUE(notice.Requests().empty());
}

TEST_F(TaskListTest, DvdFilesAreRefusedWhateverTheirCase) {
  for (const char* name : {"movie.VOB", "VIDEO_TS.IFO", "movie.Vob"}) {
    SCOPED_TRACE(name);
    notice.Clear();
    EXPECT_FALSE(list.AddSourceFile(Source(name)));
    ExpectOneNotice(notice, kDvdText, "Information");
  }
  EXPECT_EQ(list.GetTaskCount(), 0);
  EXPECT_EQ(list.GetSelectedRow(), -1);
}

TEST_F(TaskListTest, WhatIsNoRegularFileIsRefusedBeforeAnyProbe) {
  fs::create_directory(folder / "folder.avi");
  const std::string paths[] = {folder / "folder.avi", "/dev/null", folder / "missing.avi"};
  for (const auto& path : paths) {
    SCOPED_TRACE(path);
    notice.Clear();
    EXPECT_FALSE(list.AddSourceFile(path));
    ExpectOneNotice(notice, "Fail to open the file " + path, "Information");
  }
  EXPECT_EQ(list.GetTaskCount(), 0);
}

TEST_F(TaskListTest, AFileNeitherFfmpegNorMediaInfoKnowsIsRefused) {
  const std::string path = folder / "notes.avi";
  std::ofstream(path) << "This is not a video, just some words.\n";
  EXPECT_FALSE(list.AddSourceFile(path));
  ExpectOneNotice(notice, "Fail to open the file " + path, "Information");
  EXPECT_EQ(list.GetTaskCount(), 0);
}

// The first 4 KiB of an AVI: FFmpeg finds no stream information in it, but
// MediaInfo reads the play time from the header.
TEST_F(TaskListTest, MediaInfoGivesTheDurationWhenFfmpegCannotOpenTheFile) {
  const std::string path = folder / "cut.avi";
  std::ofstream(path, std::ios::binary) << FirstBytes(TestMedia::Path("avi-mpeg4-mp3-6s.avi"), 4096);
  ASSERT_TRUE(list.AddSourceFile(path));
  EXPECT_TRUE(notice.Requests().empty());
  EXPECT_EQ(list.Tasks()[0].duration, 6);
  EXPECT_EQ(list.Rows()[0][kEndColumn], "00:00:06");
}

using TaskListDeathTest = TaskListTest;

// A process keeps MediaInfo once loaded, so its absence is tried in a child.
TEST_F(TaskListDeathTest, WithoutMediaInfoAFileFfmpegCannotOpenGetsDurationZero) {
  const std::string path = folder / "cut.avi";
  std::ofstream(path, std::ios::binary) << FirstBytes(TestMedia::Path("avi-mpeg4-mp3-6s.avi"), 4096);
  EXPECT_EXIT(
      {
        RuntimeLibrary::OverrideFileName("MediaInfo.dll", "libmediainfo-absent.so.0");
        RecordingNotice childNotice;
        CTaskList childList;
        const bool added = childList.AddSourceFile(path);
        std::exit(added && childNotice.Requests().empty() && childList.Tasks()[0].duration == 0 &&
                          childList.Rows()[0][kEndColumn] == "00:00:00"
                      ? 0
                      : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

// Probing a named pipe would wait for a writer forever; the alarm turns such
// a regression into a failure instead of a hang.
TEST_F(TaskListDeathTest, ANamedPipeIsRefusedAtOnce) {
  const std::string pipe = folder / "stream.avi";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  EXPECT_EXIT(
      {
        alarm(60);
        RecordingNotice childNotice;
        CTaskList childList;
        const bool added = childList.AddSourceFile(pipe);
        std::exit(!added && childNotice.Texts() == std::vector<std::string>{"Fail to open the file " + pipe} ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST_F(TaskListTest, TheSameFileTwiceGivesTwoIndependentTasks) {
  const std::string path = Source("Clip.avi");
  ASSERT_TRUE(list.AddSourceFile(path));
  ASSERT_TRUE(list.AddSourceFile(path));
  EXPECT_EQ(SourcePaths(), (std::vector<std::string>{path, path}));
  EXPECT_EQ(list.GetSelectedRow(), 1);

  list.SelectRow(0);
  list.OnDeleteFile();
  EXPECT_EQ(SourcePaths(), std::vector<std::string>{path});
  EXPECT_EQ(list.Rows()[0][kTitleColumn], " Clip.avi");
}

TEST_F(TaskListTest, TheHundredAndFirstFileIsRefused) {
  AddSources(kMaxTasks);
  ASSERT_EQ(list.GetTaskCount(), kMaxTasks);
  const std::vector<std::string> before = SourcePaths();

  EXPECT_FALSE(list.AddSourceFile(Source("one-more.avi")));
  ExpectOneNotice(notice, "The list holds at most 100 files.", "Information");
  EXPECT_EQ(SourcePaths(), before);
  EXPECT_EQ(list.GetSelectedRow(), kMaxTasks - 1);

  list.SelectRow(0);
  list.OnDeleteFile();
  EXPECT_TRUE(list.AddSourceFile(Source("one-more.avi")));
  EXPECT_EQ(list.GetTaskCount(), kMaxTasks);
}

// Within one add, the files past the limit are counted, not boxed each; an
// add that leaves none out shows nothing.
TEST_F(TaskListTest, AnAddTellsTheFilesLeftOutOnce) {
  AddSources(kMaxTasks - 1);
  list.BeginAdd();
  EXPECT_TRUE(list.AddSourceFile(Source("last.avi")));
  list.EndAdd();
  EXPECT_TRUE(notice.Requests().empty());

  list.BeginAdd();
  EXPECT_FALSE(list.AddSourceFile(Source("one-more.avi")));
  EXPECT_TRUE(notice.Requests().empty()) << "told at the end of the add";
  list.EndAdd();
  ExpectOneNotice(notice, "The list holds at most 100 files. 1 file was left out.", "Information");
  EXPECT_EQ(list.GetTaskCount(), kMaxTasks);
}

TEST_F(TaskListTest, DeletingAsksThenShiftsTheTasksAndSelectsTheNextRow) {
  struct Case {
    int rows;
    int deleted;
    std::vector<std::string> left;
    int selectedAfter;
  };
  const Case cases[] = {
      {3, 1, {"clip1.avi", "clip3.avi"}, 1},
      {3, 0, {"clip2.avi", "clip3.avi"}, 0},
      {3, 2, {"clip1.avi", "clip2.avi"}, -1},
      {1, 0, {}, -1},
  };
  for (const auto& [rows, deleted, left, selectedAfter] : cases) {
    SCOPED_TRACE(std::to_string(deleted) + " of " + std::to_string(rows));
    list = CTaskList();
    AddSources(rows);
    list.SelectRow(deleted);

    list.OnDeleteFile();
    ExpectOneNotice(notice,
                    "Are you sure to delete the current item \" CLIP" + std::to_string(deleted + 1) + ".AVI\" ?",
                    "Question", NoticeIcon::Question, NoticeButtons::YesNo);
    std::vector<std::string> names, titles;
    for (size_t i = 0; i < list.Tasks().size(); ++i) {
      names.push_back(GetFileName(list.Tasks()[i].sourcePath));
      titles.push_back(list.Rows()[i][kTitleColumn]);
    }
    EXPECT_EQ(names, left);
    for (size_t i = 0; i < left.size(); ++i) EXPECT_EQ(titles[i], " " + left[i]) << "row and task stay in step";
    EXPECT_EQ(list.GetSelectedRow(), selectedAfter);
  }
}

TEST_F(TaskListTest, DeletingNeedsASelectedRowAndAYes) {
  AddSources(2);
  list.SelectRow(-1);
  list.OnDeleteFile();
  ExpectOneNotice(notice, "Please select a video from the list!", "Information", NoticeIcon::Warning);
  EXPECT_EQ(list.GetTaskCount(), 2);

  notice.Clear();
  list.SelectRow(1);
  notice.AnswerNextQuestionWith(NoticeAnswer::No);
  list.OnDeleteFile();
  EXPECT_EQ(notice.Requests().size(), 1u);
  EXPECT_EQ(list.GetTaskCount(), 2);
  EXPECT_EQ(list.GetSelectedRow(), 1);
}

TEST_F(TaskListTest, DeleteAllAsksEvenForAnEmptyListAndClearsOnYes) {
  list.OnDeleteAll();
  ExpectOneNotice(notice, "Are you sure to delete all the files?", "Question", NoticeIcon::Question,
                  NoticeButtons::YesNo);

  AddSources(3);
  notice.AnswerNextQuestionWith(NoticeAnswer::No);
  list.OnDeleteAll();
  EXPECT_EQ(list.GetTaskCount(), 3);

  list.OnDeleteAll();
  EXPECT_EQ(list.GetTaskCount(), 0);
  EXPECT_TRUE(list.Rows().empty());
  EXPECT_EQ(list.GetSelectedRow(), -1);
}

TEST_F(TaskListTest, AFormatButtonRelabelsEveryRowAndTheNextAddedOne) {
  AddSources(5);
  list.CheckOutputFormat(kFormatWav);
  for (const auto& row : list.Rows()) EXPECT_EQ(row[kOutputFormatColumn], "WAV");
  ASSERT_TRUE(list.AddSourceFile(Source("later.avi")));
  EXPECT_EQ(list.Rows().back()[kOutputFormatColumn], "WAV");

  list.CheckOutputFormat(kFormatAc3);
  for (const auto& row : list.Rows()) EXPECT_EQ(row[kOutputFormatColumn], "AC3");
  EXPECT_EQ(list.GetTaskCount(), 6) << "relabelling changes no task";
}

TEST_F(TaskListTest, TheOutputExtensionFollowsTheCheckedButton) {
  const std::pair<int, const char*> cases[] = {
      {0, "mp3"},           {kFormatMp3, "mp3"},   {kFormatWav, "wav"},   {kFormatAc3, "ac3"},
      {kFormatM4a, "m4a"},  {kFormatFlac, "flac"}, {kFormatOpus, "opus"}, {kFormatOriginal, ""},
      {kFormatOriginal + 1, "mp3"}};
  for (const auto& [format, extension] : cases) {
    list.CheckOutputFormat(format);
    EXPECT_EQ(list.GetOutputExtension(), extension) << format;
  }
  list.CheckOutputFormat(kFormatOriginal + 1);
  EXPECT_EQ(list.GetCheckedFormat(), 0) << "an unknown format checks no button";
}

// Each format labels the rows shown when it is chosen and those added
// after; Original labels each row with the container its sound is copied
// into, and a source FFmpeg cannot open (MediaInfo gave its duration) with
// the copy mark alone.
TEST_F(TaskListTest, EachFormatLabelsTheRowsWithItsExtension) {
  const std::string cut = folder / "cut.avi";
  std::ofstream(cut, std::ios::binary) << FirstBytes(TestMedia::Path("avi-mpeg4-mp3-6s.avi"), 4096);
  const std::string sources[] = {Source("clip.avi"), Source("film.mp4", "mp4-h264-aac-10s.mp4"),
                                 Source("film.mkv", "mkv-h264-vorbis-11s.mkv"), cut};
  using Labels = std::vector<std::string>;
  const std::pair<int, Labels> cases[] = {
      {kFormatMp3, Labels(4, "MP3")},
      {kFormatWav, Labels(4, "WAV")},
      {kFormatAc3, Labels(4, "AC3")},
      {kFormatM4a, Labels(4, "M4A")},
      {kFormatFlac, Labels(4, "FLAC")},
      {kFormatOpus, Labels(4, "OPUS")},
      {kFormatOriginal, {"MP3 (copy)", "M4A (copy)", "OGG (copy)", "(copy)"}},
      {0, Labels(4, "MP3")},
  };
  for (const auto& [format, labels] : cases) {
    SCOPED_TRACE(format);
    list = CTaskList();
    list.CheckOutputFormat(kFormatWav);
    ASSERT_TRUE(list.AddSourceFile(sources[0]));
    ASSERT_TRUE(list.AddSourceFile(sources[1]));
    list.CheckOutputFormat(format);
    ASSERT_TRUE(list.AddSourceFile(sources[2]));
    ASSERT_TRUE(list.AddSourceFile(sources[3]));
    Labels shown;
    for (const auto& row : list.Rows()) shown.push_back(row[kOutputFormatColumn]);
    EXPECT_EQ(shown, labels);
  }
  EXPECT_TRUE(notice.Requests().empty());
}

// Original learns a task's container when it is first shown for it, at the
// switch or at the add, and keeps it with the task: the sources below are
// gone from the disk before it is shown again.
TEST_F(TaskListTest, OriginalProbesEachTaskOnceWhenShownAndKeepsWhatItFound) {
  const auto labels = [&] {
    std::vector<std::string> shown;
    for (const auto& row : list.Rows()) shown.push_back(row[kOutputFormatColumn]);
    return shown;
  };
  const auto showOriginalAgain = [&] {
    list.CheckOutputFormat(kFormatMp3);
    list.CheckOutputFormat(kFormatOriginal);
  };
  list.CheckOutputFormat(kFormatOriginal);
  ASSERT_TRUE(list.AddSourceFile(Source("film.mp4", "mp4-h264-aac-10s.mp4")));
  ASSERT_TRUE(list.AddSourceFile(Source("clip.avi")));
  ASSERT_TRUE(list.AddSourceFile(Source("other.mp4", "mp4-h264-aac-10s.mp4")));
  fs::remove(folder / "film.mp4");
  fs::remove(folder / "clip.avi");
  showOriginalAgain();
  EXPECT_EQ(labels(), (std::vector<std::string>{"M4A (copy)", "MP3 (copy)", "M4A (copy)"}));

  list.SelectRow(0);
  list.OnDeleteFile();
  showOriginalAgain();
  EXPECT_EQ(labels(), (std::vector<std::string>{"MP3 (copy)", "M4A (copy)"})) << "each task keeps its own";

  // Added while another format is shown: probed at the switch, when the
  // source is gone.
  list.CheckOutputFormat(kFormatFlac);
  ASSERT_TRUE(list.AddSourceFile(Source("late.avi")));
  fs::remove(folder / "late.avi");
  list.CheckOutputFormat(kFormatOriginal);
  EXPECT_EQ(labels(), (std::vector<std::string>{"MP3 (copy)", "M4A (copy)", "(copy)"}));
}

TEST_F(TaskListTest, AChosenTrackStaysWithItsTaskAndOriginalFollowsItsCodec) {
  list.CheckOutputFormat(kFormatOriginal);
  ASSERT_TRUE(list.AddSourceFile(Source("first.avi")));
  ASSERT_TRUE(list.AddSourceFile(Source("film.mkv", "mkv-tracks-eng-fre-ger-4s.mkv")));
  ASSERT_EQ(list.AudioTracksOf(1).size(), 3u);
  EXPECT_EQ(list.TrackInUse(1), 3) << "a new task takes the last track with sound";
  EXPECT_EQ(list.Tasks()[1].audioTrack, 0);
  EXPECT_EQ(list.TrackCellOf(1), "3 (de)");
  EXPECT_EQ(list.Rows()[1][kOutputFormatColumn], "OGG (copy)");

  ASSERT_TRUE(list.ChooseTrack(1, 2));
  EXPECT_EQ(list.Tasks()[1].audioTrack, 2);
  EXPECT_EQ(list.TrackCellOf(1), "2 (fre)");
  EXPECT_EQ(list.Rows()[1][kOutputFormatColumn], "AC3 (copy)");
  EXPECT_EQ(list.OutputExtensionOf(1), "ac3");

  list.SelectRow(0);
  list.OnDeleteFile();
  ASSERT_EQ(list.GetTaskCount(), 1);
  EXPECT_EQ(list.Tasks()[0].audioTrack, 2) << "the choice moves with its task";
  EXPECT_EQ(list.TrackCellOf(0), "2 (fre)");

  // Choosing the default track again leaves the task as a new one is.
  ASSERT_TRUE(list.ChooseTrack(0, 3));
  EXPECT_EQ(list.Tasks()[0].audioTrack, 0);
  EXPECT_EQ(list.Rows()[0][kOutputFormatColumn], "OGG (copy)");
}

TEST_F(TaskListTest, ATrackThatIsNotThereOrHoldsNoSoundIsNotChosen) {
  ASSERT_TRUE(list.AddSourceFile(Source("broadcast.ts", "ts-mp2-then-empty-audio-stream-3s.ts")));
  ASSERT_TRUE(list.AddSourceFile(Source("silent.mp4", "mp4-video-only-2s.mp4")));
  for (const auto& [row, track] : {std::pair{0, 2}, std::pair{0, 3}, std::pair{0, 0}, std::pair{1, 1},
                                   std::pair{2, 1}, std::pair{-1, 1}}) {
    SCOPED_TRACE(std::to_string(row) + ": " + std::to_string(track));
    EXPECT_FALSE(list.ChooseTrack(row, track));
  }
  EXPECT_EQ(list.Tasks()[0].audioTrack, 0);
  EXPECT_EQ(list.TrackInUse(0), 1);
  EXPECT_EQ(list.TrackCellOf(0), "1");
  EXPECT_EQ(list.TrackInUse(1), 0);
  EXPECT_EQ(list.TrackCellOf(1), "");
}

TEST_F(TaskListTest, ALanguageIsChosenWhereASourceHasItAndNowhereElse) {
  ASSERT_TRUE(list.AddSourceFile(Source("three.mkv", "mkv-tracks-eng-fre-ger-4s.mkv")));
  ASSERT_TRUE(list.AddSourceFile(Source("two.mp4", "mp4-tracks-fre-eng-4s.mp4")));
  ASSERT_TRUE(list.AddSourceFile(Source("untagged.mkv", "mkv-two-audio-streams-6s.mkv")));
  ASSERT_TRUE(list.ChooseTrack(2, 1));

  EXPECT_EQ(list.UseLanguageForEveryTask("fra"), 2);
  std::vector<int> tracks;
  for (int row = 0; row < list.GetTaskCount(); ++row) tracks.push_back(list.TrackInUse(row));
  EXPECT_EQ(tracks, (std::vector<int>{2, 1, 1})) << "the untagged source keeps the track chosen for it";
  EXPECT_EQ(list.UseLanguageForEveryTask("und"), 0);
  EXPECT_EQ(list.UseLanguageForEveryTask("en"), 2);
  EXPECT_EQ(list.TrackInUse(0), 1);
  EXPECT_EQ(list.TrackInUse(1), 2);
}

TEST(FileNameParts, NameAndExtensionOfAPath) {
  struct Case {
    const char* path;
    const char* name;
    const char* extension;
  };
  const Case cases[] = {
      {"/home/user/Videos/Clip.avi", "Clip.avi", "avi"},
      {"/home/user/a.b/movie.mp4", "movie.mp4", "mp4"},
      {"/home/user/a.b/movie", "movie", "b/movie"},
      {"Clip.avi", "Clip.avi", "avi"},
      {"/home/user/Videos/", "", "/home/user/Videos/"},
      {"archive.tar.gz", "archive.tar.gz", "gz"},
  };
  for (const auto& [path, name, extension] : cases) {
    EXPECT_EQ(GetFileName(path), name) << path;
    EXPECT_EQ(GetFileExtension(path), extension) << path;
  }
}
