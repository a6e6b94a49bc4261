#pragma once

#include "OutputDrive.h"
#include "SettingsControls.h"
#include "convert/Settings.h"

#include <functional>
#include <string>

// The output settings kept between runs in option.ini in the program folder,
// section TaskSetting: OutputFormat (1 to 3), AudioBitrate, SampleRate and
// Channel (positions in the lists), OutputPath; and OtherFormat, the name of
// a format beyond the three buttons ("m4a", "flac", "opus", "original"),
// present only while one is chosen; and ConvertSeveralAtOnce, 1, present
// only while the Operation menu's "Convert Several Files at Once" is checked.

// SettingsFolder() + "option.ini": beside the program, or in the user's
// configuration folder for an installed copy.
std::string OptionFilePath();

// What the controls show when the window opens. A missing or empty key reads
// as its default (MP3, "128", "48000", "Stereo"); a format other than 1 to 3
// checks no button; an OtherFormat that names a format wins over an
// OutputFormat of MP3 (what Start stores beside it), any other is ignored;
// an index outside its list selects nothing; a ConvertSeveralAtOnce other
// than 0 checks its menu entry. Without an output folder,
// chooseOutputDrive() + "MyAudio/" is proposed. Nothing is written, and no
// folder is made.
SettingsControls LoadSettings(
    const std::function<std::string()>& chooseOutputDrive = [] { return ChooseOutputDrive(); });

// The run's Settings from the controls, touching no file: no format chosen
// counts as MP3, a list with nothing selected as its default entry. M4A,
// FLAC, Opus and Original are kept as they are.
Settings SettingsFromControls(const SettingsControls& controls);

// Start: the controls become the run's Settings (SettingsFromControls) and
// are stored in option.ini, and the output folder is made (one level; a
// failure shows later, when the run writes into it). For a list with nothing
// selected, its default entry's index is stored, all keys in one write of
// the file. A format beyond the buttons is stored as OutputFormat=1, which
// an older version reads as MP3, and by name as OtherFormat; a button's
// format takes OtherFormat out of the file. When the file cannot be written
// (a read-only option.ini, a full disk), the run goes on with the controls'
// settings and `notSaved`, when given, gets "The settings could not be saved
// to <path>: <reason>"; else it is emptied.
Settings SaveSettings(const SettingsControls& controls, std::string* notSaved = nullptr);

// "Restore Default Settings": deletes option.ini, nothing else; the next
// Start writes it again from the controls.
void OnRestoreDefaults();
