#include "platform/ConsoleNotice.h"
#include "platform/FfmpegLog.h"
#include "platform/PrivateTempFolder.h"
#include "platform/ProcessorCount.h"
#include "platform/ProgramFolder.h"
#include "platform/RecordingNotice.h"
#include "platform/RecordingShellOpen.h"
#include "platform/RuntimeLibrary.h"
#include "platform/UserFileFolders.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <pwd.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

extern "C" {
#include <libavutil/log.h>
}

namespace fs = std::filesystem;

TEST(ProgramFolder, IsTheRunningProgramsFolderWithTrailingSlash) {
  SetProgramFolderOverride("");
  const std::string folder = GetProgramFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), '/');
  EXPECT_EQ(fs::canonical("/proc/self/exe").parent_path().string() + "/", folder);

  SetProgramFolderOverride("/some/where");
  EXPECT_EQ(GetProgramFolder(), "/some/where/");
  SetProgramFolderOverride("");
  EXPECT_EQ(GetProgramFolder(), folder);
}

class RuntimeLibraryTest : public ::testing::Test {
 protected:
  void SetUp() override { SetProgramFolderOverride(programFolder.Path()); }
  void TearDown() override {
    SetProgramFolderOverride("");
    RuntimeLibrary::OverrideFileName("Fixture.dll", "");
    RuntimeLibrary::OverrideFileName("MediaInfo.dll", "");
  }
  TempFolder programFolder;
};

TEST_F(RuntimeLibraryTest, MapsTheProgramsNamesToLinuxFileNames) {
  EXPECT_EQ(RuntimeLibrary::FileNameFor("MediaInfo.dll"), "libmediainfo.so.0");
  EXPECT_EQ(RuntimeLibrary::FileNameFor("wmvdecod.dll"), "libwmvdecod.so");
  EXPECT_EQ(RuntimeLibrary::FileNameFor("wmvdmod.dll"), "libwmvdmod.so");
  EXPECT_EQ(RuntimeLibrary::FileNameFor("wmv9dmod.dll"), "libwmv9dmod.so");
  EXPECT_EQ(RuntimeLibrary::FileNameFor("avcore.dll"), "libavcore.so");
  EXPECT_EQ(RuntimeLibrary::FileNameFor("libother.so"), "libother.so");
}

TEST_F(RuntimeLibraryTest, LooksInTheProgramFolderFirst) {
  RuntimeLibrary::OverrideFileName("Fixture.dll", "libfixture-copy.so");
  EXPECT_EQ(RuntimeLibrary::Load("Fixture.dll"), nullptr) << "not beside the program, not on the system";

  fs::copy_file(TOLVAR_FIXTURE_LIBRARY, programFolder / "libfixture-copy.so");
  const auto library = RuntimeLibrary::Load("Fixture.dll");
  ASSERT_NE(library, nullptr);
  EXPECT_EQ(library->LoadedFrom(), programFolder / "libfixture-copy.so");
  using Answer = int (*)();
  auto answer = reinterpret_cast<Answer>(library->Symbol("tolvar_fixture_answer"));
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(answer(), 42);
  EXPECT_EQ(library->Symbol("no_such_symbol"), nullptr);
}

TEST_F(RuntimeLibraryTest, FallsBackToTheSystemSearch) {
  const auto library = RuntimeLibrary::Load("MediaInfo.dll");
  ASSERT_NE(library, nullptr);
  EXPECT_EQ(library->LoadedFrom(), "libmediainfo.so.0");

  RuntimeLibrary::OverrideFileName("MediaInfo.dll", "libmediainfo-hidden.so.0");
  EXPECT_EQ(RuntimeLibrary::Load("MediaInfo.dll"), nullptr);
}

class PrivateTempFolderTest : public ::testing::Test {
 protected:
  void SetUp() override { SetTempBaseOverride(base.Path()); }
  void TearDown() override { SetTempBaseOverride(""); }
  std::string Expected() const { return base / ("tolvar-" + std::to_string(geteuid())); }
  TempFolder base;
};

TEST_F(PrivateTempFolderTest, IsMadeForTheUserAlone) {
  const auto folder = PrivateTempFolder();
  ASSERT_TRUE(folder);
  EXPECT_EQ(*folder, Expected() + "/");
  struct stat status {};
  ASSERT_EQ(stat(Expected().c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0700u);
  EXPECT_EQ(PrivateTempFolder(), folder) << "an existing private folder is used again";
}

TEST_F(PrivateTempFolderTest, RefusesAFolderOthersMayWrite) {
  ASSERT_EQ(mkdir(Expected().c_str(), 0700), 0);
  ASSERT_EQ(chmod(Expected().c_str(), 0777), 0);
  EXPECT_FALSE(PrivateTempFolder());
}

TEST_F(PrivateTempFolderTest, RefusesAFolderOfAnotherOwner) {
  const passwd* nobody = getpwnam("nobody");
  ASSERT_NE(nobody, nullptr);
  ASSERT_EQ(mkdir(Expected().c_str(), 0700), 0);
  if (chown(Expected().c_str(), nobody->pw_uid, nobody->pw_gid) != 0) GTEST_SKIP() << "chown needs root";
  EXPECT_FALSE(PrivateTempFolder());
}

TEST_F(PrivateTempFolderTest, RefusesALinkPlantedInItsPlace) {
  TempFolder elsewhere;
  fs::create_directory_symlink(elsewhere.Path(), Expected());
  EXPECT_FALSE(PrivateTempFolder());
}

TEST(Notice, RecordingKeepsRequestsAndAnswersFromItsScript) {
  RecordingNotice notice;
  notice.AnswerNextQuestionWith(NoticeAnswer::No);
  EXPECT_EQ(ShowNotice("Sure?", "Question", NoticeIcon::Question, NoticeButtons::YesNo), NoticeAnswer::No);
  EXPECT_EQ(ShowNotice("Sure again?", "Question", NoticeIcon::Question, NoticeButtons::YesNo),
            NoticeAnswer::Yes);
  EXPECT_EQ(ShowNotice("Done", "Information"), NoticeAnswer::Ok);
  const auto requests = notice.Requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[0].caption, "Question");
  EXPECT_EQ(requests[0].icon, NoticeIcon::Question);
  EXPECT_EQ(requests[2].text, "Done");
  EXPECT_EQ(requests[2].buttons, NoticeButtons::Ok);
}

TEST(Notice, RecordingRestoresThePreviousNotice) {
  INotice* before = &INotice::Current();
  {
    RecordingNotice notice;
    EXPECT_EQ(&INotice::Current(), &notice);
  }
  EXPECT_EQ(&INotice::Current(), before);
}

TEST(Notice, ConsolePrintsOneLineAndAnswersQuestionsAsTold) {
  char* text = nullptr;
  size_t size = 0;
  std::FILE* stream = open_memstream(&text, &size);
  ConsoleNotice notice(NoticeAnswer::No, stream);
  EXPECT_EQ(notice.Show({"It seems\nplease wait", "Information"}), NoticeAnswer::Ok);
  EXPECT_EQ(notice.Show({"Stop?", "Question", NoticeIcon::Question, NoticeButtons::YesNo}), NoticeAnswer::No);
  std::fclose(stream);
  EXPECT_STREQ(text, "Information: It seems please wait\nQuestion: Stop?\n");
  std::free(text);
}

TEST(ShellOpen, DefaultOpensNothingAndRecordingKeepsTargets) {
  EXPECT_FALSE(IShellOpen::Current().Open("/tmp"));
  RecordingShellOpen shellOpen;
  EXPECT_TRUE(IShellOpen::Current().Open("/music/MyAudio/"));
  EXPECT_TRUE(IShellOpen::Current().Open("https://example.org/"));
  EXPECT_EQ(shellOpen.Targets(), (std::vector<std::string>{"/music/MyAudio/", "https://example.org/"}));
}

TEST(FfmpegLog, SinkGetsLinesUpToTheRoutedLevel) {
  std::vector<std::pair<int, std::string>> lines;
  FfmpegLog::Route(AV_LOG_INFO);
  FfmpegLog::SetSink([&](int level, const std::string& line) { lines.emplace_back(level, line); });
  av_log(nullptr, AV_LOG_ERROR, "broken %d\n", 1);
  av_log(nullptr, AV_LOG_INFO, "note\n");
  av_log(nullptr, AV_LOG_DEBUG, "chatter\n");
  FfmpegLog::SetSink({});
  FfmpegLog::Route(AV_LOG_ERROR);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], (std::pair<int, std::string>{AV_LOG_ERROR, "broken 1\n"}));
  EXPECT_EQ(lines[1].second, "note\n");
}

// An installed program folder is read-only; root writes anywhere else, so
// the test makes one with a read-only bind mount.
TEST(UserFileFolders, BesideAWritableProgramAndInTheUsersFoldersOtherwise) {
  TempFolder program, mountPoint, home, config, cache;
  SetProgramFolderOverride(program.Path());
  setenv("XDG_CONFIG_HOME", config.Path().c_str(), 1);
  setenv("XDG_CACHE_HOME", cache.Path().c_str(), 1);
  EXPECT_EQ(SettingsFolder(), program.Path());
  EXPECT_EQ(CacheFolder(), program.Path());

  if (mount(program.Path().c_str(), mountPoint.Path().c_str(), nullptr, MS_BIND, nullptr) != 0 ||
      mount(nullptr, mountPoint.Path().c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0) {
    SetProgramFolderOverride("");
    GTEST_SKIP() << "a read-only bind mount needs root";
  }
  SetProgramFolderOverride(mountPoint.Path());
  EXPECT_EQ(SettingsFolder(), config / "tolvar-audio-extractor/");
  EXPECT_EQ(CacheFolder(), cache / "tolvar-audio-extractor/");
  EXPECT_TRUE(fs::is_directory(config / "tolvar-audio-extractor"));

  // Without the XDG variables, the folders under the home folder.
  unsetenv("XDG_CONFIG_HOME");
  setenv("XDG_CACHE_HOME", "relative/is/ignored", 1);
  const char* previousHome = std::getenv("HOME");
  const std::string savedHome = previousHome ? previousHome : "";
  setenv("HOME", home.Path().c_str(), 1);
  EXPECT_EQ(SettingsFolder(), home / ".config/tolvar-audio-extractor/");
  EXPECT_EQ(CacheFolder(), home / ".cache/tolvar-audio-extractor/");

  setenv("HOME", savedHome.c_str(), 1);
  unsetenv("XDG_CACHE_HOME");
  umount2(mountPoint.Path().c_str(), MNT_DETACH);
  SetProgramFolderOverride("");
}

// A process held to fewer processors than the machine has (taskset, a
// container's cpuset) counts only those it may use.
TEST(ProcessorCount, FollowsTheAffinityMask) {
  cpu_set_t before;
  ASSERT_EQ(sched_getaffinity(0, sizeof before, &before), 0);
  EXPECT_EQ(UsableProcessorCount(), CPU_COUNT(&before));

  cpu_set_t one;
  CPU_ZERO(&one);
  for (int processor = 0; processor < CPU_SETSIZE; ++processor) {
    if (CPU_ISSET(processor, &before)) {
      CPU_SET(processor, &one);
      break;
    }
  }
  ASSERT_EQ(sched_setaffinity(0, sizeof one, &one), 0);
  EXPECT_EQ(UsableProcessorCount(), 1);
  ASSERT_EQ(sched_setaffinity(0, sizeof before, &before), 0);
}
