#pragma once

#include <array>
#include <string>

// The product's name, as its windows and messages show it.
inline constexpr char kProductName[] = "Tolvar Audio Extractor";

// One web page of Tolvar Software, the maker: a product of the "Other Tools"
// menu (with the command that opens it) or one of the maker's own pages.
struct MakerLink {
  int commandId;  // 0: no menu command
  const char* name;
  const char* description;  // one line; empty where the name says it all
  const char* address;

  // "Name - description", or the name alone.
  std::string MenuText() const;
};

// Every name and address of the maker in one place: the main window builds
// its "Other Tools" menu from kOtherTools, the About box names two of them,
// and the maker's own pages sit beside them.
namespace MakerLinks {

inline constexpr MakerLink kWebSite{0, "Tolvar Software", "", "https://www.tolvar-software.example/"};
inline constexpr MakerLink kDownloadPage{0, "Check for new version", "",
                                         "https://www.tolvar-software.example/download/"};

// In menu order.
inline constexpr std::array<MakerLink, 5> kOtherTools{{
    {32797, "Tolvar Video Converter", "Convert videos between AVI, MP4, MKV, WMV and more",
     "https://www.tolvar-software.example/products/video-converter/"},
    {32793, "Tolvar DVD Ripper", "Copy DVD titles to video files for any player",
     "https://www.tolvar-software.example/products/dvd-ripper/"},
    {32794, "Tolvar Audio Converter", "Convert MP3, WAV, AC3, WMA and OGG files in batches",
     "https://www.tolvar-software.example/products/audio-converter/"},
    {32795, "Tolvar Video Joiner", "Join several video clips into one movie",
     "https://www.tolvar-software.example/products/video-joiner/"},
    {32796, "And More ...", "", "https://www.tolvar-software.example/products/"},
}};

// The other tool of a menu command; null for any other command.
const MakerLink* FindOtherTool(int commandId);

// The "Other Tools" commands: opens the product's page in the desktop. Other
// commands open nothing; a page the desktop cannot open is not reported.
void OnOtherTool(int commandId);

}  // namespace MakerLinks
