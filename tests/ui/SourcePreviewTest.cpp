#include "platform/ProgramFolder.h"
#include "support/Command.h"
#include "support/TempFolder.h"
#include "support/TestMedia.h"
#include "ui/SourcePreview.h"

#include <gtest/gtest.h>

#include <fstream>

// Each test has a program folder of its own for the still.
class SourcePreview : public ::testing::Test {
 protected:
  SourcePreview() { SetProgramFolderOverride(programFolder.Path()); }
  ~SourcePreview() override { SetProgramFolderOverride(""); }

  std::string TextFile() const {
    const std::string path = sources / "notes.avi";
    std::ofstream(path) << "Not a video, only these words.\n";
    return path;
  }

  TempFolder programFolder;
  TempFolder sources;
};

TEST_F(SourcePreview, AVideosStillIsA160By120JpegInThePreviewPicture) {
  const std::string picture = CaptureSourceStill(TestMedia::Path("mp4-h264-aac-10s.mp4"));
  EXPECT_EQ(picture, programFolder / "preview.jpg");
  const CommandResult probed = RunCommand(
      {"ffprobe", "-v", "error", "-show_entries", "stream=codec_name,width,height", "-of", "csv=p=0", picture});
  EXPECT_EQ(probed.output, "mjpeg,160,120\n");
}

TEST_F(SourcePreview, WithoutAStillTheFallbackPictureIsShown) {
  // Too few video packets, no video at all, no media, no file.
  const std::string withoutStill[] = {TestMedia::Path("avi-mpeg4-29-frames.avi"),
                                      TestMedia::Path("audio-only-aac-7s.m4a"), TextFile(),
                                      programFolder / "missing.avi"};
  for (const std::string& source : withoutStill) {
    SCOPED_TRACE(source);
    EXPECT_EQ(CaptureSourceStill(source), programFolder / "audioextractor.bmp");
  }
}

TEST_F(SourcePreview, SummaryIsEmptyForASourceThatDoesNotOpen) {
  EXPECT_EQ(SummarizeSource(TestMedia::Path("mp4-h264-aac-10s.mp4")),
            "Duration :00:00:10.0\r\n\r\nFPS : 30.00 fps(r)\r\n\r\nW*H : 640*360\r\n");
  EXPECT_EQ(SummarizeSource(TextFile()), "");
  EXPECT_EQ(SummarizeSource(programFolder / "missing.avi"), "");
}
