// `cmake --install` into a temporary prefix, as a packager or a user runs
// it: what lands where, and that the installed front end works from a
// program folder it cannot write, with its settings in the user's
// configuration folder.

#include "ProgramEnvironment.h"
#include "shell/AddFilesFilter.h"
#include "support/Command.h"
#include "support/Ffprobe.h"
#include "support/ReadWholeFile.h"
#include "support/TempFolder.h"
#include "support/TestMedia.h"

#include <gtest/gtest.h>

#include <QMimeDatabase>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

namespace fs = std::filesystem;

namespace {

constexpr char kProgramFolder[] = "lib/tolvar-audio-extractor/";

CommandResult Install(const std::string& prefix, const std::string& destdir = "") {
  std::vector<std::string> command = {TOLVAR_CMAKE_COMMAND, "--install", TOLVAR_BUILD_DIR, "--prefix", prefix};
  if (!destdir.empty()) command.insert(command.begin(), {"env", "DESTDIR=" + destdir});
  return RunCommand(command);
}

std::set<std::string> FileNames(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename());
  return names;
}

// Width and height from a PNG file's header; zeros when it is none.
std::pair<int, int> PngSize(const std::string& path) {
  const std::string bytes = ReadWholeFile(path);
  if (bytes.size() < 24 || bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0) return {0, 0};
  const auto number = [&](size_t at) {
    int value = 0;
    for (size_t i = at; i < at + 4; ++i) value = value * 256 + static_cast<unsigned char>(bytes[i]);
    return value;
  };
  return {number(16), number(20)};
}

std::string DesktopKey(const std::string& desktopFile, const std::string& key) {
  std::istringstream lines(ReadWholeFile(desktopFile));
  for (std::string line; std::getline(lines, line);) {
    if (line.starts_with(key + "=")) return line.substr(key.size() + 1);
  }
  return {};
}

// The installed program run as a user runs it, through its link in bin/,
// while its program folder is mounted read-only, as for a copy installed
// by the system; the mount lives and dies with the program's own mount
// namespace.
CommandResult RunWithReadOnlyFolder(const std::string& folder, const std::vector<std::string>& command) {
  std::vector<std::string> wrapped = {"unshare",
                                      "--mount",
                                      "--propagation",
                                      "private",
                                      "sh",
                                      "-c",
                                      "mount --bind \"$0\" \"$0\" && mount -o remount,bind,ro \"$0\" && exec \"$@\"",
                                      folder};
  wrapped.insert(wrapped.end(), command.begin(), command.end());
  return RunCommand(wrapped);
}

}  // namespace

class InstallTest : public ::testing::Test {
 protected:
  ProgramEnvironment environment_;
  TempFolder root_;
};

// With a prefix alone, and staged under DESTDIR as packages are built.
TEST_F(InstallTest, InstallsTheProgramFolderLinksAndDesktopEntry) {
  const struct {
    const char* name;
    std::string prefix;
    std::string destdir;
  } cases[] = {
      {"prefix", root_ / "prefix", ""},
      {"DESTDIR", "/usr", root_ / "stage"},
  };
  for (const auto& [name, prefix, destdir] : cases) {
    SCOPED_TRACE(name);
    const CommandResult installed = Install(prefix, destdir);
    ASSERT_EQ(installed.exitCode, 0) << installed.output << installed.errors;
    const std::string top = destdir + prefix + "/";

    std::set<std::string> expected = {"tolvar-audio-extractor", "tolvar-extract",     "zivirad.dat", "libwmvdecod.so",
                                      "tolvarextractor.jpg",    "audioextractor.bmp", "help.html"};
    if (TOLVAR_BUILDS_AVCORE) expected.insert("libavcore.so");
    EXPECT_EQ(FileNames(top + kProgramFolder), expected) << "exactly the program folder's files, none it writes";
    for (const char* program : {"tolvar-audio-extractor", "tolvar-extract"}) {
      const std::string link = top + "bin/" + program;
      ASSERT_TRUE(fs::is_symlink(link)) << link;
      EXPECT_EQ(fs::read_symlink(link), std::string("../") + kProgramFolder + program);
      EXPECT_TRUE(fs::equivalent(link, top + kProgramFolder + program));
    }

    const std::string desktopFile = top + "share/applications/tolvar-audio-extractor.desktop";
    const CommandResult validated = RunCommand({"desktop-file-validate", desktopFile});
    EXPECT_EQ(validated.exitCode, 0);
    EXPECT_EQ(validated.output + validated.errors, "");
    EXPECT_EQ(DesktopKey(desktopFile, "Exec"), "tolvar-audio-extractor %F");
    const std::string icon = DesktopKey(desktopFile, "Icon");
    EXPECT_EQ(ReadWholeFile(top + "share/icons/hicolor/scalable/apps/" + icon + ".svg"),
              ReadWholeFile(TOLVAR_ICON_SVG));
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
      const std::string sizeName = std::to_string(size) + "x" + std::to_string(size);
      EXPECT_EQ(PngSize(top + "share/icons/hicolor/" + sizeName + "/apps/" + icon + ".png"), std::make_pair(size, size))
          << sizeName;
    }
  }
}

// "Open with" offers the program for every extension of the Open dialog's
// filter: one of the types the system knows for it is listed (".ts" is
// also a translation source to it). The VCD's .dat has no type of its own
// (sniffed, it is MPEG).
TEST_F(InstallTest, TheDesktopEntryTakesTheOpenDialogsVideoTypes) {
  const std::string mimeTypes = DesktopKey(TOLVAR_SOURCE_DIR "/packaging/tolvar-audio-extractor.desktop", "MimeType");
  std::set<std::string> listed;
  std::istringstream items(mimeTypes);
  for (std::string item; std::getline(items, item, ';');) listed.insert(item);

  std::set<std::string> extensions;
  const std::string filter = kAddFilesFilter;
  for (size_t at = filter.find("*."); at != std::string::npos; at = filter.find("*.", at + 2)) {
    extensions.insert(filter.substr(at + 2, filter.find_first_of(" )", at) - at - 2));
  }
  extensions.erase("dat");
  ASSERT_GE(extensions.size(), 19u) << "the filter's patterns were not found";

  const QMimeDatabase database;
  for (const std::string& extension : extensions) {
    SCOPED_TRACE(extension);
    const QList<QMimeType> types = database.mimeTypesForFileName(QString::fromStdString("clip." + extension));
    ASSERT_FALSE(types.isEmpty()) << "the system knows no type for it";
    EXPECT_TRUE(std::any_of(types.begin(), types.end(),
                            [&](const QMimeType& type) { return listed.count(type.name().toStdString()) == 1; }))
        << "none of its types is listed, the first is " << types.front().name().toStdString();
  }
}

TEST_F(InstallTest, TheInstalledFrontEndRunsFromAReadOnlyFolder) {
  const std::string prefix = root_ / "prefix";
  const CommandResult installed = Install(prefix);
  ASSERT_EQ(installed.exitCode, 0) << installed.errors;
  const std::string folder = prefix + "/" + kProgramFolder;
  const std::string output = root_ / "out";
  const std::string stored = "[TaskSetting]\nOutputFormat=2\nSampleRate=3\nChannel=0\nOutputPath=" + output + "\n";
  fs::create_directories(environment_.UserSettingsFolder());
  std::ofstream(environment_.UserSettingsFolder() + "option.ini") << stored;
  const std::string source = root_ / "clip.avi";
  fs::create_symlink(TestMedia::Path("avi-mpeg4-mp3-6s.avi"), source);

  const CommandResult fromSettings = RunWithReadOnlyFolder(folder, {prefix + "/bin/tolvar-extract", source});
  ASSERT_EQ(fromSettings.exitCode, 0) << fromSettings.errors;
  EXPECT_EQ(fromSettings.output, "ok\t" + source + "\t" + output + "/clip.wav\n");
  const auto wav = Ffprobe(output + "/clip.wav");
  ASSERT_TRUE(wav);
  EXPECT_EQ(wav->audioCodec, "pcm_s16le");
  EXPECT_EQ(wav->sampleRate, 22050);
  EXPECT_EQ(wav->channels, 1);

  // The converter comes out of the installed zivirad.dat.
  const CommandResult converted =
      RunWithReadOnlyFolder(folder, {prefix + "/bin/tolvar-extract", "--enhanced", "-f", "mp3", source});
  ASSERT_EQ(converted.exitCode, 0) << converted.errors;
  EXPECT_EQ(converted.output, "ok\t" + source + "\t" + output + "/clip.mp3\n");
  EXPECT_NEAR(DecodedAudioSeconds(output + "/clip.mp3").value_or(0), 6, 0.2);

  EXPECT_FALSE(fs::exists(folder + "option.ini"));
  EXPECT_EQ(ReadWholeFile(environment_.UserSettingsFolder() + "option.ini"), stored);
}
