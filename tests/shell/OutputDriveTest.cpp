#include "shell/OutputDrive.h"
#include "support/Command.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <grp.h>
#include <map>
#include <pwd.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\n";
  return text;
}

// Runs subject in a child process as the user nobody (root ignores
// permissions) and returns what it returned.
std::string RunAsNobody(const std::function<std::string()>& subject) {
  const passwd* nobody = getpwnam("nobody");
  if (!nobody) return "no user nobody";
  const uid_t uid = nobody->pw_uid;
  const gid_t gid = nobody->pw_gid;
  int channel[2];
  if (pipe(channel) != 0) return "no pipe";
  const pid_t child = fork();
  if (child == 0) {
    close(channel[0]);
    const bool dropped = setgroups(0, nullptr) == 0 && setresgid(gid, gid, gid) == 0 && setresuid(uid, uid, uid) == 0;
    const std::string answer = dropped ? subject() : "could not become nobody";
    (void)!write(channel[1], answer.data(), answer.size());
    _exit(0);
  }
  close(channel[1]);
  std::string answer;
  char buffer[4096];
  for (ssize_t count; (count = read(channel[0], buffer, sizeof buffer)) > 0;) answer.append(buffer, count);
  close(channel[0]);
  waitpid(child, nullptr, 0);
  return answer;
}

}  // namespace

TEST(ChooseOutputDrive, TheRootWithTheMostFreeBytesWinsAndAnEarlierOneATie) {
  struct Case {
    const char* name;
    std::vector<std::pair<std::string, uint64_t>> roots;
    std::string expected;
  };
  const Case cases[] = {
      {"the most free bytes", {{"/home/user/", 10}, {"/media/user/usb/", 30}, {"/mnt/disk/", 20}}, "/media/user/usb/"},
      {"a tie goes to the earlier volume", {{"/home/user/", 10}, {"/media/a/", 30}, {"/mnt/b/", 30}}, "/media/a/"},
      {"a tie with the home folder keeps home", {{"/home/user/", 30}, {"/media/a/", 30}}, "/home/user/"},
      {"no free byte anywhere gives the first", {{"/home/user/", 0}, {"/media/a/", 0}}, "/home/user/"},
      {"one byte beats none", {{"/home/user/", 0}, {"/mnt/x/", 1}}, "/mnt/x/"},
      {"sizes past 4 GiB compare whole", {{"/home/user/", 5ull << 32}, {"/mnt/x/", (4ull << 32) + 0xFFFFFFFF}},
       "/home/user/"},
      {"the root gets its trailing slash", {{"/home/user", 5}}, "/home/user/"},
      {"no roots at all", {}, "/"},
  };
  for (const auto& [name, roots, expected] : cases) {
    std::vector<std::string> paths;
    std::map<std::string, uint64_t> freeBytes;
    for (const auto& [root, bytes] : roots) {
      paths.push_back(root);
      freeBytes[root] = bytes;
    }
    EXPECT_EQ(ChooseOutputDrive(paths, [&](const std::string& root) { return freeBytes.at(root); }), expected)
        << name;
  }
}

class OutputRootsTest : public ::testing::Test {
 protected:
  std::string MakeFolder(const std::string& name, fs::perms permissions = fs::perms::owner_all) {
    const std::string path = folder / name;
    fs::create_directories(path);
    fs::permissions(path, permissions);
    return path;
  }

  std::string MountTable(const std::string& lines) {
    const std::string path = folder / "mounts";
    std::ofstream(path) << lines;
    return path;
  }

  std::vector<std::string> VolumeFolders() const {
    return {folder / "media/", folder / "run/media/", folder / "mnt/"};
  }

  TempFolder folder;
};

TEST_F(OutputRootsTest, HomeComesFirstThenVolumesInMountOrderWithoutOpticalOnes) {
  const std::string usb = MakeFolder("media/user/usb");
  const std::string cd = MakeFolder("media/user/cd");
  const std::string dvd = MakeFolder("media/user/dvd");
  const std::string backup = MakeFolder("mnt/backup");
  const std::string spaced = MakeFolder("media/user/My Disk");
  const std::string removable = MakeFolder("run/media/user/disk");
  MakeFolder("srv/data");
  const std::string table = MountTable(
      "/dev/vda / ext4 rw 0 0\n"
      "/dev/sdb1 " + usb + " vfat rw 0 0\n"
      "/dev/sr0 " + cd + " iso9660 ro 0 0\n"
      "/dev/sr1 " + dvd + " udf ro 0 0\n"
      "/dev/sdc1 " + backup + " ext4 rw 0 0\n"
      "/dev/sdd1 " + folder / "srv/data" + " ext4 rw 0 0\n"
      "/dev/sde1 " + folder / "media/user/My\\040Disk" + " exfat rw 0 0\n"
      "/dev/sdb1 " + usb + " vfat rw 0 0\n"
      "/dev/sdf1 " + removable + " ext4 rw 0 0\n"
      "/dev/sdg1 " + folder / "media/user/unplugged" + " ext4 rw 0 0\n"
      "/dev/sdh1 " + folder / "media" + " ext4 rw 0 0\n");

  EXPECT_EQ(ListOutputRoots("/home/user", table, VolumeFolders()),
            (std::vector<std::string>{"/home/user/", usb + "/", backup + "/", spaced + "/", removable + "/"}));
  EXPECT_EQ(ListOutputRoots("/home/user/", folder / "no-such-table", VolumeFolders()),
            std::vector<std::string>{"/home/user/"});
}

TEST_F(OutputRootsTest, VolumesTheUserMayNotWriteAreSkipped) {
  fs::permissions(folder.Path(), fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
  const auto traversable = fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec;
  MakeFolder("media", traversable);
  MakeFolder("media/user", traversable);
  const std::string closed = MakeFolder("media/user/closed", traversable);
  const std::string open = MakeFolder("media/user/open", fs::perms::all);
  const std::string table = MountTable("/dev/sdb1 " + closed + " ext4 rw 0 0\n/dev/sdc1 " + open + " ext4 rw 0 0\n");
  fs::permissions(table, fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
  const auto volumeFolders = VolumeFolders();

  EXPECT_EQ(ListOutputRoots("/home/user", table, volumeFolders),
            (std::vector<std::string>{"/home/user/", closed + "/", open + "/"}))
      << "as root every volume is writable";
  EXPECT_EQ(RunAsNobody([&] { return Joined(ListOutputRoots("/home/user", table, volumeFolders)); }),
            Joined({"/home/user/", open + "/"}));
}

// The whole volume's free bytes, as `stat -f` counts them, not the part left
// to users other than root. Others write to the same disk meanwhile, so the
// two readings only agree to within a margin far below the root reserve.
TEST(VolumeFreeBytes, CountsTheWholeVolumesFreeBlocks) {
  TempFolder folder;
  const CommandResult stat = RunCommand({"stat", "-f", "-c", "%f %S", folder.Path()});
  ASSERT_EQ(stat.exitCode, 0) << stat.errors;
  std::istringstream fields(stat.output);
  uint64_t freeBlocks = 0, blockSize = 0;
  fields >> freeBlocks >> blockSize;
  const double expected = static_cast<double>(freeBlocks * blockSize);
  EXPECT_NEAR(static_cast<double>(VolumeFreeBytes(folder.Path())), expected, 256.0 * 1024 * 1024);
  EXPECT_EQ(VolumeFreeBytes(folder / "no/such/folder"), 0u);
}
