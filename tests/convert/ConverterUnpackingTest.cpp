#include "convert/ConverterUnpacking.h"
#include "platform/PrivateTempFolder.h"
#include "platform/ProgramFolder.h"
#include "support/Command.h"
#include "support/ReadWholeFile.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <minizip/zip.h>

#include <fcntl.h>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct ZipItem {
  std::string name;
  std::string content;
  unsigned storedMode = 0100644;  // Unix mode, when made on Unix
  bool madeOnUnix = true;
};

constexpr int kMsDosAttributeArchive = 0x20;

// Items stored uncompressed, so a test can find and damage their bytes; all
// of them dated 1995.
void WriteZip(const std::string& path, const std::vector<ZipItem>& items) {
  const zipFile zip = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
  ASSERT_NE(zip, nullptr);
  for (const ZipItem& item : items) {
    zip_fileinfo info{};
    info.tmz_date = {0, 0, 12, 15, 5, 1995};
    info.external_fa = item.madeOnUnix ? uLong{item.storedMode} << 16 : kMsDosAttributeArchive;
    const uLong versionMadeBy = item.madeOnUnix ? (3u << 8) | 20u : 20u;
    const int stored = 0;  // compression method and level
    ASSERT_EQ(zipOpenNewFileInZip4_64(zip, item.name.c_str(), &info, nullptr, 0, nullptr, 0,
                                      nullptr, stored, stored, 0, -MAX_WBITS, DEF_MEM_LEVEL,
                                      Z_DEFAULT_STRATEGY, nullptr, 0, versionMadeBy, 0, 0),
              ZIP_OK);
    ASSERT_EQ(
        zipWriteInFileInZip(zip, item.content.data(), static_cast<unsigned>(item.content.size())),
        ZIP_OK);
    ASSERT_EQ(zipCloseFileInZip(zip), ZIP_OK);
  }
  ASSERT_EQ(zipClose(zip, nullptr), ZIP_OK);
}

void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
}

mode_t ModeOf(const std::string& path) {
  struct stat status {};
  EXPECT_EQ(stat(path.c_str(), &status), 0) << path;
  return status.st_mode & 07777;
}

timespec ModificationTime(const std::string& path) {
  struct stat status {};
  EXPECT_EQ(stat(path.c_str(), &status), 0) << path;
  return status.st_mtim;
}

void SetModificationTime(const std::string& path, timespec time) {
  const timespec times[2] = {time, time};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
}

std::vector<std::string> FilesUnder(const std::string& folder) {
  std::vector<std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (!entry.is_directory()) files.push_back(fs::relative(entry.path(), folder));
  }
  std::sort(files.begin(), files.end());
  return files;
}

class ConverterUnpackingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetTempBaseOverride(tempBase.Path());
    SetProgramFolderOverride(programFolder.Path());
  }
  void TearDown() override {
    SetTempBaseOverride("");
    SetProgramFolderOverride("");
  }

  std::string PrivateFolder() const {
    return tempBase / ("tolvar-" + std::to_string(geteuid())) + "/";
  }
  std::string Converter() const { return PrivateFolder() + "tae"; }
  std::string Archive() const { return programFolder / "zivirad.dat"; }

  TempFolder tempBase;
  TempFolder programFolder;
};

}  // namespace

TEST_F(ConverterUnpackingTest, TheConverterLivesInThePrivateFolder) {
  EXPECT_EQ(ConverterPath(), Converter());
}

TEST_F(ConverterUnpackingTest, UnpacksEveryItemUnderItsPathWithItsRunBitsAndTheUnpackingTime) {
  struct Case {
    ZipItem item;
    mode_t unpackedMode;
  };
  const Case cases[] = {
      {{"tae", "converter", 0100755}, 0755},
      {{"lib/codecs/codec.so", "library", 0100750}, 0750},
      {{"readme.txt", "text", 0100644}, 0644},
      {{"private.key", "secret", 0100600}, 0600},
      {{"set-id", "no set-id bits", 0106755}, 0755},
      {{"writable-by-all", "no", 0100777}, 0755},
      {{"from-windows.exe", "no Unix mode", 0, false}, 0644},
  };
  std::vector<ZipItem> items;
  for (const Case& c : cases) items.push_back(c.item);
  WriteZip(Archive(), items);

  ASSERT_EQ(EnsureConverter(), kUnpackDone);
  const timespec archiveTime = ModificationTime(Archive());
  for (const Case& c : cases) {
    const std::string path = PrivateFolder() + c.item.name;
    EXPECT_EQ(ReadWholeFile(path), c.item.content) << c.item.name;
    EXPECT_EQ(ModeOf(path), c.unpackedMode) << c.item.name;
    EXPECT_GE(ModificationTime(path).tv_sec, archiveTime.tv_sec)
        << c.item.name << ": not the stored 1995";
  }
  EXPECT_EQ(FilesUnder(PrivateFolder()).size(), std::size(cases)) << "no temporary files left";
}

TEST_F(ConverterUnpackingTest, TheBuildsOwnArchiveGivesARunnableConverterAndItsCompanions) {
  TempFolder sources;
  fs::create_directory(sources / "lib");
  WriteFile(sources / "tae", "#!/bin/sh\necho converter ready\n");
  fs::permissions(sources / "tae", fs::perms(0755));
  WriteFile(sources / "lib/companion.txt", "companion");
  ASSERT_EQ(RunCommand({"env", "-C", sources.Path(), TOLVAR_CMAKE_COMMAND, "-E", "tar", "cf",
                        Archive(), "--format=zip", "tae", "lib/companion.txt"})
                .exitCode,
            0);

  ASSERT_EQ(EnsureConverter(), kUnpackDone);
  EXPECT_EQ(RunCommand({Converter()}).output, "converter ready\n");
  EXPECT_EQ(ReadWholeFile(PrivateFolder() + "lib/companion.txt"), "companion");
}

TEST_F(ConverterUnpackingTest, ASecondRunLeavesTheArchiveAlone) {
  WriteZip(Archive(), {{"tae", "from the archive", 0100755}});
  ASSERT_EQ(EnsureConverter(), kUnpackDone);
  WriteFile(Converter(), "changed since");

  EXPECT_EQ(EnsureConverter(), kUnpackDone);
  EXPECT_EQ(ReadWholeFile(Converter()), "changed since");
}

TEST_F(ConverterUnpackingTest, ADeletedConverterIsUnpackedAgainWithEverythingElse) {
  WriteZip(Archive(), {{"lib/companion.so", "companion"}, {"tae", "converter", 0100755}});
  ASSERT_EQ(EnsureConverter(), kUnpackDone);
  fs::remove(Converter());
  fs::remove(PrivateFolder() + "lib/companion.so");

  EXPECT_EQ(EnsureConverter(), kUnpackDone);
  EXPECT_EQ(ReadWholeFile(Converter()), "converter");
  EXPECT_EQ(ReadWholeFile(PrivateFolder() + "lib/companion.so"), "companion");
}

TEST_F(ConverterUnpackingTest, ReplacesTheConverterOnlyWhenItIsOlderThanTheArchive) {
  const std::pair<time_t, std::string> cases[] = {
      {-3600, "new build"}, {-1, "new build"}, {0, "old build"}, {3600, "old build"}};
  for (const auto& [converterAge, content] : cases) {
    WriteZip(Archive(), {{"tae", "old build", 0100755}});
    fs::remove(Converter());
    ASSERT_EQ(EnsureConverter(), kUnpackDone);
    WriteZip(Archive(), {{"tae", "new build", 0100755}});
    const timespec archiveTime = ModificationTime(Archive());
    SetModificationTime(Converter(), {archiveTime.tv_sec + converterAge, archiveTime.tv_nsec});

    EXPECT_EQ(EnsureConverter(), kUnpackDone);
    EXPECT_EQ(ReadWholeFile(Converter()), content)
        << "converter made " << converterAge << " s after the archive";
  }
}

TEST_F(ConverterUnpackingTest, RefusesItemsThatLeaveTheFolder) {
  TempFolder elsewhere;
  WriteZip(Archive(), {{"../escaped", "no"},
                       {"lib/../../escaped-deeper", "no"},
                       {elsewhere / "absolute", "no"},
                       {"lib/..", "no"},
                       {"tae", "converter", 0100755}});
  ASSERT_EQ(EnsureConverter(), kUnpackDone);
  EXPECT_EQ(FilesUnder(PrivateFolder()), std::vector<std::string>{"tae"});
  EXPECT_EQ(FilesUnder(tempBase.Path()),
            std::vector<std::string>{fs::relative(Converter(), tempBase.Path())});
  EXPECT_TRUE(FilesUnder(elsewhere.Path()).empty());
}

TEST_F(ConverterUnpackingTest, RefusesAPrivateFolderThatIsNotPrivate) {
  const passwd* nobody = getpwnam("nobody");
  ASSERT_NE(nobody, nullptr);
  WriteZip(Archive(), {{"tae", "converter", 0100755}});
  ASSERT_EQ(mkdir(PrivateFolder().c_str(), 0700), 0);
  if (chown(PrivateFolder().c_str(), nobody->pw_uid, nobody->pw_gid) != 0)
    GTEST_SKIP() << "chown needs root";

  EXPECT_EQ(EnsureConverter(), kUnpackArchiveMissing);
  EXPECT_EQ(ConverterPath(), std::nullopt);
  EXPECT_TRUE(FilesUnder(PrivateFolder()).empty());

  ASSERT_EQ(chown(PrivateFolder().c_str(), geteuid(), getegid()), 0);
  ASSERT_EQ(chmod(PrivateFolder().c_str(), 0777), 0);
  EXPECT_EQ(EnsureConverter(), kUnpackArchiveMissing) << "a folder others may write";
  EXPECT_TRUE(FilesUnder(PrivateFolder()).empty());
}

TEST_F(ConverterUnpackingTest, WithoutArchiveOnlyAConverterAlreadyThereCounts) {
  EXPECT_EQ(EnsureConverter(), kUnpackArchiveMissing);
  EXPECT_TRUE(FilesUnder(PrivateFolder()).empty());

  WriteFile(Converter(), "unpacked before");
  EXPECT_EQ(EnsureConverter(), kUnpackDone);
  EXPECT_EQ(ReadWholeFile(Converter()), "unpacked before");
}

TEST_F(ConverterUnpackingTest, ADamagedArchiveOrItemIsSkipped) {
  WriteFile(Archive(), "not a ZIP archive at all");
  EXPECT_EQ(EnsureConverter(), kUnpackDone);
  EXPECT_TRUE(FilesUnder(PrivateFolder()).empty());

  WriteZip(Archive(), {{"lib/damaged.so", "INTACT-BYTES"}, {"tae", "converter", 0100755}});
  std::string bytes = ReadWholeFile(Archive());
  const auto at = bytes.find("INTACT-BYTES");
  ASSERT_NE(at, std::string::npos);
  bytes.replace(at, 6, "BROKEN");
  WriteFile(Archive(), bytes);
  EXPECT_EQ(EnsureConverter(), kUnpackDone);
  EXPECT_EQ(FilesUnder(PrivateFolder()), std::vector<std::string>{"tae"})
      << "no partial or temporary file";

  fs::remove(Converter());
  WriteFile(Archive(), bytes.substr(0, bytes.size() / 2));
  EXPECT_EQ(EnsureConverter(), kUnpackDone);
  EXPECT_FALSE(fs::exists(Converter()));
}
