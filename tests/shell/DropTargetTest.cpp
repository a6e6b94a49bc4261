#include "platform/RecordingNotice.h"
#include "shell/CDropTarget.h"
#include "shell/CTaskList.h"
#include "shell/Shortcut.h"
#include "support/TempFolder.h"
#include "support/TestMedia.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>

namespace fs = std::filesystem;

class DropTest : public ::testing::Test {
 protected:
  std::string File(const std::string& name, const std::string& fixture = "avi-mpeg4-mp3-6s.avi") {
    const std::string path = folder / name;
    fs::create_directories(fs::path(path).parent_path());
    fs::copy_file(TestMedia::Path(fixture), path);
    return path;
  }

  std::string Link(const std::string& name, const std::string& target) {
    const std::string path = folder / name;
    fs::create_symlink(target, path);
    return path;
  }

  std::string DesktopFile(const std::string& name, const std::string& text) {
    const std::string path = folder / name;
    std::ofstream(path) << text;
    return path;
  }

  // The main window's wiring: accepted files go to the task list.
  void ConnectToTaskList() {
    ASSERT_EQ(dropList.SetDropOptions({DL_ACCEPT_FILES | DL_USE_CALLBACK, "",
                                       [this](const std::string& path, uint32_t kind) {
                                         return taskList.OnFileDropped(path, kind);
                                       }}),
              1);
  }

  std::vector<std::string> TaskSources() const {
    std::vector<std::string> paths;
    for (const auto& task : taskList.Tasks()) paths.push_back(task.sourcePath);
    return paths;
  }

  RecordingNotice notice;
  TempFolder folder;
  CDropTarget dropList;
  CTaskList taskList;
};

TEST_F(DropTest, ShortcutsResolveToTheFileTheyPointTo) {
  const std::string video = File("Videos/Clip One.avi");
  const std::string linkToLink = Link("link-to-link.avi", Link("link.avi", video));
  const std::string relative = Link("relative.avi", "Videos/Clip One.avi");
  // Links resolve to the canonical path, whatever links lie above the test's folder.
  const std::string realVideo = fs::canonical(video);
  struct Case {
    const char* name;
    std::string path;
    std::string expected;
  };
  const Case cases[] = {
      {"a symbolic link", folder / "link.avi", realVideo},
      {"a chain of links", linkToLink, realVideo},
      {"a relative link", relative, realVideo},
      {"a dangling link", Link("dangling.avi", folder / "gone.avi"), ""},
      {"a link to a folder", Link("videos-link", folder / "Videos"), fs::canonical(folder / "Videos")},
      {"a desktop link",
       DesktopFile("clip.desktop",
                   "[Desktop Entry]\nName=Clip\nType=Link\nURL=file://" + folder.Path() + "Videos/Clip%20One.avi\n"),
       video},
      {"a desktop link with localhost and blanks around =",
       DesktopFile("host.desktop", "[Desktop Entry]\nType = Link\nURL = FILE://localhost" + folder.Path() +
                                       "Videos/Clip%20One.avi\n"),
       video},
      {"a desktop link to another host", DesktopFile("remote.desktop", "[Desktop Entry]\nType=Link\nURL=file://server/a.avi\n"), ""},
      {"a desktop link to a web page", DesktopFile("web.desktop", "[Desktop Entry]\nType=Link\nURL=https://example.org/a.avi\n"), ""},
      {"a desktop application", DesktopFile("app.desktop", "[Desktop Entry]\nType=Application\nExec=player\nURL=file:///a.avi\n"), ""},
      {"a URL outside the main group",
       DesktopFile("other.desktop", "[Desktop Entry]\nType=Link\n[Desktop Action Open]\nURL=file:///a.avi\n"), ""},
      {"a broken escape", DesktopFile("broken.desktop", "[Desktop Entry]\nType=Link\nURL=file:///a%2.avi\n"), ""},
      {"an escaped NUL", DesktopFile("nul.desktop", "[Desktop Entry]\nType=Link\nURL=file:///a%00.avi\n"), ""},
      {"a plain file", video, ""},
      {"a folder", folder / "Videos", ""},
      {"a missing path", folder / "missing.avi", ""},
      {"the empty path", "", ""},
  };
  for (const auto& [name, path, expected] : cases) EXPECT_EQ(ResolveShortcut(path), expected) << name;
}

// A named pipe under a link name is never opened, so this cannot block.
TEST_F(DropTest, ANamedPipeCalledLikeADesktopFileIsNoShortcut) {
  const std::string pipe = folder / "pipe.desktop";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  EXPECT_EQ(ResolveShortcut(pipe), "");
}

TEST_F(DropTest, TheOptionsDecideWhatADroppedPathIs) {
  const std::string video = File("Clip.AVI");
  const std::string noExtension = File("a.b/movie");
  fs::create_directory(folder / "Folder.avi");
  const std::string pipe = folder / "stream.avi";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  struct Case {
    uint32_t options;
    std::string filter;
    std::string path;
    bool accepted;
    uint32_t kind;
  };
  const Case cases[] = {
      {DL_ACCEPT_FILES, "", video, true, DL_FILE_TYPE},
      {DL_ACCEPT_FILES, "", folder / "Folder.avi", false, 0},
      {DL_ACCEPT_FOLDERS, "", folder / "Folder.avi", true, DL_FOLDER_TYPE},
      {DL_ACCEPT_FOLDERS, "", video, false, 0},
      {DL_ACCEPT_FILES | DL_ACCEPT_FOLDERS, "", folder / "missing.avi", false, 0},
      {DL_ACCEPT_FILES | DL_ACCEPT_FOLDERS, "", pipe, false, 0},
      {DL_ACCEPT_FILES | DL_ACCEPT_FOLDERS, "", "/dev/null", false, 0},
      {DL_ACCEPT_FILES | DL_FILTER_EXTENSION, ".avi", video, true, DL_FILE_TYPE},
      {DL_ACCEPT_FILES | DL_FILTER_EXTENSION, ".mp4", video, false, 0},
      {DL_ACCEPT_FILES | DL_FILTER_EXTENSION, "", noExtension, true, DL_FILE_TYPE},
      {DL_ACCEPT_FILES | DL_FILTER_EXTENSION, ".b/movie", noExtension, false, 0},
      {DL_ACCEPT_FOLDERS | DL_FILTER_EXTENSION, ".mp4", folder / "Folder.avi", true, DL_FOLDER_TYPE},
  };
  for (const auto& [options, filter, path, accepted, kind] : cases) {
    SCOPED_TRACE(path + " options " + std::to_string(options) + " filter " + filter);
    ASSERT_EQ(dropList.SetDropOptions({options, filter, {}}), 1);
    uint32_t foundKind = 0;
    EXPECT_EQ(dropList.ValidateDroppedPath(path, foundKind), accepted);
    if (accepted) {
      EXPECT_EQ(foundKind, kind);
    }
  }
}

TEST_F(DropTest, ACallbackOptionWithoutACallbackIsRefused) {
  EXPECT_EQ(dropList.GetDropOptions().options, DL_ACCEPT_FILES | DL_ACCEPT_FOLDERS);
  EXPECT_EQ(dropList.SetDropOptions({DL_ACCEPT_FILES | DL_USE_CALLBACK, ".avi", {}}), 0);
  EXPECT_EQ(dropList.GetDropOptions().options, DL_ACCEPT_FILES | DL_ACCEPT_FOLDERS);
  EXPECT_EQ(dropList.GetDropOptions().filter, "");
}

TEST_F(DropTest, ThreeDroppedFilesGiveThreeTasksInDropOrder) {
  ConnectToTaskList();
  const std::vector<std::string> files = {File("c.avi"), File("a.mp4", "mp4-h264-aac-10s.mp4"),
                                          File("b.flv", "flv-flv1-mp3-5s.flv")};
  dropList.OnDropFiles(files);
  EXPECT_EQ(TaskSources(), files);
  EXPECT_EQ(taskList.GetSelectedRow(), 2);
  EXPECT_TRUE(notice.Requests().empty());
}

TEST_F(DropTest, DroppedShortcutsAddWhatTheyPointToAndFoldersNothing) {
  ConnectToTaskList();
  const std::string video = File("Videos/Clip.avi");
  const std::string movie = File("Videos/Movie Night.mp4", "mp4-h264-aac-10s.mp4");
  fs::create_directory(folder / "Empty");
  dropList.OnDropFiles({
      Link("Clip link.avi", video),
      DesktopFile("movie.desktop",
                  "[Desktop Entry]\nType=Link\nURL=file://" + folder.Path() + "Videos/Movie%20Night.mp4\n"),
      folder / "Videos",
      Link("folder link", folder / "Empty"),
      folder / "missing.avi",
  });
  EXPECT_EQ(TaskSources(), (std::vector<std::string>{fs::canonical(video), movie}));
  EXPECT_EQ(taskList.Rows()[0][kTitleColumn], " Clip.avi");
  EXPECT_TRUE(notice.Requests().empty());
}

TEST_F(DropTest, WithoutACallbackPathsBecomeNewFirstRowsOnce) {
  const std::string first = File("first.avi");
  const std::string second = File("second.avi");
  fs::create_directory(folder / "Folder");
  dropList.OnDropFiles({first, second, first, folder / "Folder"});
  EXPECT_EQ(dropList.Items(), (std::vector<std::string>{folder / "Folder", second, first}));

  ASSERT_EQ(dropList.SetDropOptions({DL_ACCEPT_FILES | DL_ALLOW_DUPLICATES, "", {}}), 1);
  dropList.OnDropFiles({first});
  EXPECT_EQ(dropList.Items(), (std::vector<std::string>{first, folder / "Folder", second, first}));
}
