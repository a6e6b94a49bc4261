#pragma once

// The skin library's entry points, in C linkage, as the program resolves
// them by name from libavcore.so. The library runs in the program's own Qt:
// a QApplication must exist before InitDecoration, and every call is made on
// its thread. Results are 1 for done, 0 for refused; the program does not
// look at them.

#include <cstddef>

class QWidget;

// The library is built with hidden symbols; these five alone are shown.
#define AVCORE_EXPORT __attribute__((visibility("default")))

extern "C" {

// Starts the library for the running QApplication. The argument is the
// interface version the caller was built for; only 1 is known.
AVCORE_EXPORT int InitDecoration(int interfaceVersion);

// Unpacks a skin file handed over as bytes; the library keeps its own copy.
// A skin file is a Qt binary resource file (rcc --binary) holding the style
// sheet "skin.qss", the pictures it names, and "custom/<name>.qss" for each
// window part SetCustomSkinWnd knows.
AVCORE_EXPORT int LoadSkinFromResource(const unsigned char* skinFile, std::size_t size);

// Gives every window of the application the skin's look.
AVCORE_EXPORT int ApplySkin();

// Gives one window the part of the skin drawn for it, by a zero-terminated
// UTF-16 name: "StartButton" turns a push button into the skin's large round
// image button. flags: 0, no other value is defined.
AVCORE_EXPORT int SetCustomSkinWnd(QWidget* window, const char16_t* name, int flags);

// Takes the skin off every window again and forgets it. Harmless when
// nothing is applied, so it may be called more than once.
AVCORE_EXPORT void DeInitDecoration();
}

using InitDecorationFunction = decltype(&InitDecoration);
using LoadSkinFromResourceFunction = decltype(&LoadSkinFromResource);
using ApplySkinFunction = decltype(&ApplySkin);
using SetCustomSkinWndFunction = decltype(&SetCustomSkinWnd);
using DeInitDecorationFunction = decltype(&DeInitDecoration);
