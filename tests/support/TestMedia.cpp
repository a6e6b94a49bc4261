#include "TestMedia.h"

#include "Command.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct Recipe {
  std::string arguments;  // what follows "ffmpeg -y" and precedes the output
  bool streamed = false;  // written to a pipe, so the muxer cannot store a duration
  // Applied to the written file, for what the tool will not write.
  std::function<void(const std::string& path)> amend = nullptr;
};

// Rewrites the duration an FLV file states in its metadata.
std::function<void(const std::string&)> StateFlvDuration(double seconds) {
  return [seconds](const std::string& path) {
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    std::string head(4096, '\0');
    file.read(head.data(), static_cast<std::streamsize>(head.size()));
    // "duration", then the marker of an AMF number and eight big-endian bytes.
    const size_t key = head.find("duration");
    if (key == std::string::npos || head[key + 8] != 0) throw std::runtime_error("no FLV duration in " + path);
    uint64_t bits = 0;
    std::memcpy(&bits, &seconds, sizeof bits);
    char number[8];
    for (int i = 0; i < 8; ++i) number[i] = static_cast<char>(bits >> (56 - 8 * i));
    file.clear();
    file.seekp(static_cast<std::streamoff>(key + 9));
    file.write(number, sizeof number);
  };
}

// Zeros after the media, as a preallocated file that was never filled.
std::function<void(const std::string&)> AppendZeros(size_t bytes) {
  return [bytes](const std::string& path) { std::ofstream(path, std::ios::binary | std::ios::app) << std::string(bytes, '\0'); };
}

// Every channel of a 5.1 layout carries the same tone at -1 dBFS: a downmix
// that adds them up unscaled clips.
// The file's packets copied over and over to `seconds`: hours of sound
// made in a moment, for conversions that must still be going when stopped.
std::function<void(const std::string&)> LoopTo(double seconds) {
  return [seconds](const std::string& path) {
    const std::string looped = path + ".looped.m4a";
    const CommandResult result =
        RunCommand({"ffmpeg", "-hide_banner", "-loglevel", "error", "-nostdin", "-y", "-stream_loop", "-1", "-i",
                    path, "-t", std::to_string(seconds), "-c", "copy", looped});
    if (result.exitCode != 0) throw std::runtime_error("ffmpeg could not loop " + path + ": " + result.errors);
    fs::rename(looped, path);
  };
}

std::string LoudSurroundTone(double seconds) {
  std::string channels;
  for (int channel = 0; channel < 6; ++channel) channels += (channel ? "|" : "") + std::string("0.89*sin(2*PI*440*t)");
  std::ostringstream text;
  text << "-f lavfi -i aevalsrc='" << channels << "':c=5.1:s=48000:d=" << seconds << " ";
  return text.str();
}

std::string Video(const std::string& size, int rate, double seconds) {
  std::ostringstream text;
  text << "-f lavfi -i testsrc2=size=" << size << ":rate=" << rate << ":duration=" << seconds << " ";
  return text.str();
}

std::string Sine(int frequency, int sampleRate, double seconds) {
  std::ostringstream text;
  text << "-f lavfi -i sine=frequency=" << frequency << ":sample_rate=" << sampleRate
       << ":duration=" << seconds << " ";
  return text.str();
}

// The sine is mono; "-ac 2" in a recipe makes it stereo.
const std::map<std::string, Recipe>& Recipes() {
  static const std::map<std::string, Recipe> recipes = {
      {"avi-mpeg4-mp3-6s.avi",
       {Video("160x120", 25, 6) + Sine(440, 44100, 6) +
        "-c:v mpeg4 -c:a libmp3lame -ac 2 -b:a 128k"}},
      {"mpeg-ps-mpeg2-mp2-7s.mpg",
       {Video("352x288", 25, 7) + Sine(440, 48000, 7) + "-c:v mpeg2video -c:a mp2 -ac 2 -f mpeg"}},
      {"wmv-wmv2-wmav2-8s.wmv",
       {Video("320x240", 25, 8) + Sine(440, 44100, 8) + "-c:v wmv2 -c:a wmav2 -ac 2"}},
      {"wmv-wmv1-wmav2-4s.wmv",
       {Video("176x144", 15, 4) + Sine(440, 22050, 4) + "-c:v wmv1 -c:a wmav2"}},
      {"flv-flv1-mp3-5s.flv", {Video("320x240", 25, 5) + Sine(440, 22050, 5) + "-c:v flv -c:a libmp3lame"}},
      {"mov-h264-aac-9s.mov",
       {Video("320x240", 25, 9) + Sine(1000, 48000, 9) + "-c:v libx264 -preset ultrafast -c:a aac -ac 2"}},
      {"mp4-h264-aac-10s.mp4",
       {Video("640x360", 30, 10) + Sine(440, 48000, 10) +
        "-c:v libx264 -preset ultrafast -pix_fmt yuv420p -c:a aac -ac 2"}},
      {"3gp-h263-aac-4s.3gp",
       {Video("176x144", 15, 4) + Sine(440, 16000, 4) + "-c:v h263 -c:a aac -b:a 32k"}},
      {"mkv-h264-vorbis-11s.mkv",
       {Video("320x240", 25, 11) + Sine(440, 44100, 11) + "-c:v libx264 -preset ultrafast -c:a libvorbis"}},
      // Two audio streams that differ in rate and channels; the second wins.
      {"mkv-two-audio-streams-6s.mkv",
       {Video("160x120", 25, 6) + Sine(440, 44100, 6) + Sine(880, 22050, 6) +
        "-map 0:v -map 1:a -map 2:a -c:v mpeg4 -c:a:0 libvorbis -ac:a:0 2 -c:a:1 libvorbis"}},
      {"audio-only-aac-7s.m4a", {Sine(440, 44100, 7) + "-c:a aac"}},
      {"mkv-no-duration-5s.mkv",
       {Video("160x120", 25, 5) + Sine(440, 44100, 5) + "-c:v mpeg4 -c:a libvorbis -f matroska", true}},
      // The same, ending in 9 MiB of zeros as a preallocated file that was
      // never filled: more than the probe reads of a file's end, so nothing
      // in the file tells its duration.
      {"mkv-no-duration-zero-filled-tail-5s.mkv",
       {Video("160x120", 25, 5) + Sine(440, 44100, 5) + "-c:v mpeg4 -c:a libvorbis -f matroska", true,
        AppendZeros(9 * 1024 * 1024)}},
      {"mkv-mpeg4-ac3-5.1-6s.mkv",
       {Video("160x120", 25, 6) + Sine(440, 48000, 6) + "-c:v mpeg4 -c:a ac3 -ac 6 -b:a 384k"}},
      // Silence, a tone from 12 s to 30 s, silence again: a clip shows where it was cut.
      {"avi-tone-from-12s-to-30s-40s.avi",
       {Video("160x120", 10, 40) +
        "-f lavfi -i aevalsrc='if(between(t,12,30),0.5*sin(2*PI*440*t),0)':s=44100:d=40 "
        "-c:v mpeg4 -c:a libmp3lame -ac 2"}},
      // The same tone as plain samples, so that no encoder delay blurs its edges.
      {"wav-tone-from-12s-to-30s-40s.wav",
       {"-f lavfi -i aevalsrc='if(between(t,12,30),0.5*sin(2*PI*440*t),0)':s=44100:d=40 -c:a pcm_s16le"}},
      // Shorter than the delay of an MP3 encoder.
      {"mkv-mpeg4-pcm-0.1s.mkv",
       {Video("160x120", 25, 0.1) + Sine(440, 32000, 0.1) + "-c:v mpeg4 -c:a pcm_s16le"}},
      {"mp4-video-only-2s.mp4", {Video("160x120", 25, 2) + "-c:v libx264 -preset ultrafast"}},
      // Long enough to be stopped halfway.
      {"m4a-aac-stereo-300s.m4a", {Sine(440, 48000, 300) + "-c:a aac -ac 2"}},
      // Every tag the outputs carry, the stream's language, and one they must not.
      {"mkv-vorbis-tagged-3s.mkv",
       {Sine(440, 44100, 3) +
        "-metadata title=Morning -metadata artist=Ensemble -metadata album=Recordings "
        "-metadata album_artist=Various -metadata date=2021 -metadata genre=Jazz -metadata comment=Live "
        "-metadata track=7 -metadata copyright=Nobody -metadata:s:a:0 language=fra -c:a libvorbis"}},
      {"m4a-aac-stereo-3h.m4a", {Sine(440, 48000, 10) + "-c:a aac -ac 2 -b:a 32k", false, LoopTo(3 * 3600)}},
      // The conversion benchmark's source: ten minutes of video and sound.
      {"mp4-h264-aac-640x360-600s.mp4",
       {Video("640x360", 25, 600) + Sine(440, 48000, 600) +
        "-c:v libx264 -preset ultrafast -pix_fmt yuv420p -c:a aac -ac 2 -b:a 160k"}},
      // The same, for the batch benchmarks' many files.
      {"mp4-h264-aac-640x360-120s.mp4",
       {Video("640x360", 25, 120) + Sine(440, 48000, 120) +
        "-c:v libx264 -preset ultrafast -pix_fmt yuv420p -c:a aac -ac 2 -b:a 160k"}},
      {"mp4-h264-aac-640x360-3s.mp4",
       {Video("640x360", 25, 3) + Sine(440, 48000, 3) +
        "-c:v libx264 -preset ultrafast -pix_fmt yuv420p -c:a aac -ac 2 -b:a 160k"}},
      // An audio stream that is declared but carries no packet at all.
      {"mkv-audio-stream-without-packets-3s.mkv",
       {Video("160x120", 25, 3) + Sine(440, 44100, 3) +
        "-map 0:v -map 1:a -c:v mpeg4 -c:a libvorbis -bsf:a noise=drop=1"}},
      // Sources whose sound starts well after zero, or whose time stamps wrap
      // around (33 bits of a 90 kHz clock) a second in, or whose container
      // states less than the sound lasts.
      {"mpeg-ps-mp2-starting-at-0.5s-6s.mpg",
       {Video("160x120", 25, 6) + Sine(440, 44100, 6) + "-c:v mpeg1video -c:a mp2 -ac 2 -f mpeg"}},
      {"ts-mp2-starting-at-1.4s-6s.ts",
       {Video("160x120", 25, 6) + Sine(440, 44100, 6) + "-c:v mpeg2video -c:a mp2 -ac 2 -f mpegts"}},
      {"ts-mp2-time-stamps-wrapping-3s.ts",
       {Video("160x120", 25, 3) + Sine(440, 44100, 3) +
        "-c:v mpeg2video -c:a mp2 -ac 2 -output_ts_offset 95441.3 -f mpegts"}},
      {"ts-audio-only-mp2-4s.ts", {Sine(440, 44100, 4) + "-c:a mp2 -ac 2 -f mpegts"}},
      {"adts-aac-4s.aac", {Sine(440, 44100, 4) + "-c:a aac -ac 2 -f adts"}},
      {"flv-stating-4.5s-of-6s-sound.flv",
       {Video("160x120", 25, 6) + Sine(440, 44100, 6) + "-c:v flv -c:a libmp3lame -ac 2", false,
        StateFlvDuration(4.5)}},
      // A tone that rises by 100 Hz each second from 300 Hz, in a transport
      // stream that starts at 1.4 s: a clip shows which seconds it holds.
      {"ts-tone-rising-each-second-8s.ts",
       {Video("160x120", 25, 8) +
        "-f lavfi -i aevalsrc='0.5*sin(2*PI*(300+100*floor(t))*t)':s=44100:d=8 "
        "-c:v mpeg2video -c:a mp2 -ac 2 -b:a 192k -f mpegts"}},
      // A broadcast's program table declares a second audio stream that never
      // carries a packet: its rate and channels stay unknown.
      {"ts-mp2-then-empty-audio-stream-3s.ts",
       {Sine(440, 48000, 3) + Sine(880, 48000, 3) + "-map 0:a -map 1:a -c:a mp2 -bsf:a:1 noise=drop=1 -f mpegts"}},
      // Several audio tracks, one tone each (440, 660, 880 Hz in file order),
      // so that a test hears which track came out. Matroska's
      // "-default_mode passthrough" keeps the default marks as given.
      {"mkv-tracks-eng-fre-ger-4s.mkv",
       {Video("160x120", 25, 4) + Sine(440, 44100, 4) + Sine(660, 48000, 4) + Sine(880, 22050, 4) +
        "-map 0:v -map 1:a -map 2:a -map 3:a -c:v mpeg4 -c:a:0 aac -ac:a:0 2 -c:a:1 ac3 -ac:a:1 6 "
        "-c:a:2 libvorbis -metadata:s:a:0 language=eng -metadata:s:a:0 title=Main -metadata:s:a:1 language=fre "
        "-metadata:s:a:2 language=de -disposition:a:0 0 -disposition:a:1 default -disposition:a:2 0 "
        "-default_mode passthrough"}},
      {"mp4-tracks-fre-eng-4s.mp4",
       {Video("160x120", 25, 4) + Sine(440, 44100, 4) + Sine(660, 44100, 4) +
        "-map 0:v -map 1:a -map 2:a -c:v libx264 -preset ultrafast -c:a:0 aac -c:a:1 libmp3lame -ac 2 "
        "-metadata:s:a:0 language=fre -metadata:s:a:1 language=eng -disposition:a:0 0 -disposition:a:1 default"}},
      {"mkv-tracks-spa-spa-eng-second-default-3s.mkv",
       {Sine(440, 44100, 3) + Sine(660, 44100, 3) + Sine(880, 44100, 3) +
        "-map 0:a -map 1:a -map 2:a -c:a libvorbis -metadata:s:a:0 language=spa -metadata:s:a:1 language=es "
        "-metadata:s:a:2 language=eng -disposition:a:0 0 -disposition:a:1 default -disposition:a:2 0 "
        "-default_mode passthrough"}},
      {"mkv-tracks-spa-spa-none-default-3s.mkv",
       {Sine(440, 44100, 3) + Sine(660, 44100, 3) +
        "-map 0:a -map 1:a -c:a libvorbis -metadata:s:a language=spa -disposition:a 0 -default_mode passthrough"}},
      // Two tracks long enough to be stopped halfway: 440 Hz, then 660 Hz.
      {"m4a-two-tracks-120s.m4a",
       {Sine(440, 22050, 120) + Sine(660, 22050, 120) + "-map 0:a -map 1:a -c:a aac -b:a 32k"}},
      {"flac-5.1-loud-4s.flac", {LoudSurroundTone(4) + "-c:a flac"}},
      // The Original format's codec families that the corpus lacks.
      {"ts-adts-aac-4s.ts", {Sine(440, 48000, 4) + "-c:a aac -ac 2 -f mpegts"}},
      {"ts-latm-aac-4s.ts", {Sine(440, 48000, 4) + "-c:a aac -ac 2 -mpegts_flags latm -f mpegts"}},
      {"mov-alac-3s.mov", {Sine(440, 44100, 3) + "-c:a alac -ac 2"}},
      {"mkv-eac3-3s.mkv", {Sine(440, 48000, 3) + "-c:a eac3 -ac 2"}},
      {"mkv-dts-3s.mkv", {Sine(440, 48000, 3) + "-c:a dca -strict -2 -ac 2"}},
      {"mkv-flac-3s.mkv", {Sine(440, 44100, 3) + "-c:a flac -ac 2"}},
      {"mov-pcm-s16be-3s.mov", {Sine(440, 44100, 3) + "-c:a pcm_s16be -ac 2"}},
      {"mov-pcm-s24be-3s.mov", {Sine(440, 48000, 3) + "-c:a pcm_s24be -ac 2"}},
      {"vob-pcm-dvd-3s.vob", {Sine(440, 48000, 3) + "-c:a pcm_dvd -ac 2 -f vob"}},
      {"avi-adpcm-ima-3s.avi", {Sine(440, 44100, 3) + "-c:a adpcm_ima_wav -ac 2"}},
      {"flv-nellymoser-3s.flv", {Sine(440, 22050, 3) + "-c:a nellymoser"}},
      {"ac3-5.1-loud-4s.ac3", {LoudSurroundTone(4) + "-c:a ac3 -b:a 448k"}},
      // 5 999 999 samples at 1 MHz: a container duration of 5.999999 s exactly.
      {"wav-5.999999s.wav", {"-f lavfi -i anullsrc=r=1000000:cl=mono -t 5.999999 -c:a pcm_u8"}},
      // An hour-long source kept small: 1000 samples a second of silence.
      {"wav-silence-3725s.wav", {"-f lavfi -i anullsrc=r=1000:cl=mono -t 3725 -c:a pcm_u8"}},
      // 3 725 450 samples at 1 kHz: a container duration of 3 725 450 000 microseconds.
      {"wav-silence-3725.45s.wav", {"-f lavfi -i anullsrc=r=1000:cl=mono -t 3725.45 -c:a pcm_u8"}},
      // Just below and at the 30 video packets a preview still needs.
      {"avi-mpeg4-29-frames.avi", {Video("160x120", 25, 2) + "-frames:v 29 -c:v mpeg4"}},
      {"avi-mpeg4-30-frames.avi", {Video("160x120", 25, 2) + "-frames:v 30 -c:v mpeg4"}},
      // 30 packets of a recording cut in the middle of a group of pictures:
      // the decoder skips up to the key frame in packet 29, then holds two
      // pictures back for reordering, so they come out only at the end.
      {"mkv-h264-pictures-only-at-the-end-30-packets.mkv",
       {"-f lavfi -i testsrc2=size=160x120:rate=25 -frames:v 42 -c:v libx264 -bf 3 "
        "-x264-params keyint=1000:scenecut=0 -force_key_frames expr:eq(n,40) -bsf:v noise=drop=lt(n\\,12)"}},
      // 160 x 120 in other pixel formats than the decoders' usual YUV 4:2:0.
      {"mkv-h264-yuv444p-160x120-2s.mkv",
       {Video("160x120", 25, 2) + "-c:v libx264 -preset ultrafast -pix_fmt yuv444p"}},
      {"avi-mjpeg-yuvj420p-160x120-2s.avi", {Video("160x120", 25, 2) + "-c:v mjpeg -pix_fmt yuvj420p"}},
      // White with a black box over the right quarter of the bottom half: a
      // still shows whether it was stretched, cropped or letterboxed, and in
      // which range its levels are.
      {"avi-black-box-160x120-2s.avi",
       {"-f lavfi -i color=c=white:size=160x120:rate=25:duration=2 "
        "-vf drawbox=x=iw*3/4:y=ih/2:w=iw/4:h=ih/2:color=black:t=fill -c:v mpeg4 -q:v 2"}},
      {"avi-black-box-640x360-2s.avi",
       {"-f lavfi -i color=c=white:size=640x360:rate=25:duration=2 "
        "-vf drawbox=x=iw*3/4:y=ih/2:w=iw/4:h=ih/2:color=black:t=fill -c:v mpeg4 -q:v 2"}},
      // Grey 64 in full range, in a plain YUV 4:2:0 that only the stream's
      // range flag marks as full.
      {"mkv-vp9-full-range-grey-64-160x120-2s.mkv",
       {"-f lavfi -i color=c=0x404040:size=160x120:rate=25:duration=2 -vf scale=out_range=full -pix_fmt yuv420p "
        "-color_range pc -c:v libvpx-vp9 -deadline realtime -crf 10 -b:v 0"}},
      // Grey levels that tell the pictures apart: picture n has luma 6 n.
      {"avi-luma-6-per-picture-40-frames.avi",
       {"-f lavfi -i color=c=black:size=160x120:rate=25:duration=2 -vf geq=lum=6*N:cb=128:cr=128 "
        "-frames:v 40 -c:v mpeg4 -q:v 2"}},
      // Two video streams of different rates and sizes.
      {"mkv-two-video-streams-3s.mkv",
       {Video("320x240", 25, 3) + Video("160x120", 30, 3) + "-map 0:v -map 1:v -c:v mpeg4"}},
      // Video that makes up nearly all of the file, in chunks far larger
      // than the demuxer's read buffer.
      {"mp4-mpeg4-1080p-2fps-aac-4s.mp4",
       {Video("1920x1080", 2, 4) + Sine(440, 44100, 4) + "-c:v mpeg4 -q:v 1 -g 1 -c:a aac -b:a 64k"}},
      // A full-HD source for timing the preview.
      {"mp4-h264-1920x1080-4s.mp4",
       {Video("1920x1080", 25, 4) + "-c:v libx264 -preset veryfast -pix_fmt yuv420p"}},
  };
  return recipes;
}

std::string CacheFolder() {
  if (const char* folder = std::getenv("TOLVAR_TEST_MEDIA_DIR"); folder && *folder) return folder;
  if (const char* build = std::getenv("TOLVAR_BUILD_DIR"); build && *build) {
    return std::string(build) + "/test-media";
  }
  return (fs::temp_directory_path() / "tolvar-test-media").string();
}

std::vector<std::string> SplitWords(const std::string& text) {
  std::istringstream stream(text);
  std::vector<std::string> words;
  for (std::string word; stream >> word;) words.push_back(word);
  return words;
}

}  // namespace

std::string TestMedia::Path(const std::string& name) {
  const auto recipe = Recipes().find(name);
  if (recipe == Recipes().end()) throw std::runtime_error("no test media recipe " + name);
  const std::string folder = CacheFolder();
  const std::string path = folder + "/" + name;
  if (fs::exists(path)) return path;

  fs::create_directories(folder);
  // Made under a private name and renamed into place, so that test binaries
  // running in parallel never see half a file.
  const std::string partial = folder + "/." + std::to_string(getpid()) + "-" + name;
  std::vector<std::string> command = {"ffmpeg", "-hide_banner", "-loglevel", "error", "-nostdin", "-y"};
  for (auto& word : SplitWords(recipe->second.arguments)) command.push_back(word);
  if (recipe->second.streamed) {
    command.push_back("pipe:1");
    const CommandResult result = RunCommand(command);
    if (result.exitCode != 0) throw std::runtime_error("ffmpeg failed for " + name + ": " + result.errors);
    std::ofstream(partial, std::ios::binary) << result.output;
  } else {
    command.push_back(partial);
    const CommandResult result = RunCommand(command);
    if (result.exitCode != 0) throw std::runtime_error("ffmpeg failed for " + name + ": " + result.errors);
  }
  if (recipe->second.amend) recipe->second.amend(partial);
  fs::rename(partial, path);
  return path;
}

std::vector<std::string> TestMedia::Names() {
  std::vector<std::string> names;
  for (const auto& [name, recipe] : Recipes()) names.push_back(name);
  return names;
}

std::string TestMedia::CorpusFolder() {
  if (const char* folder = std::getenv("TOLVAR_SHARED_MEDIA"); folder && *folder) {
    return fs::exists(folder) ? std::string(folder) + "/" : std::string();
  }
  // The corpus lies in shared/media beside the checkout.
  const char* source = std::getenv("TOLVAR_SOURCE_DIR");
  fs::path at = source && *source ? fs::path(source) : fs::current_path();
  for (int level = 0; level < 4 && at.has_parent_path(); ++level, at = at.parent_path()) {
    const fs::path candidate = at.parent_path() / "shared" / "media";
    if (fs::exists(candidate / "SOURCES.md")) return candidate.string() + "/";
  }
  return {};
}

std::vector<std::string> TestMedia::CorpusFiles() {
  std::vector<std::string> files;
  const std::string folder = CorpusFolder();
  if (folder.empty()) return files;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.is_regular_file() && entry.path().extension() != ".md") files.push_back(entry.path().string());
  }
  std::sort(files.begin(), files.end());
  return files;
}
