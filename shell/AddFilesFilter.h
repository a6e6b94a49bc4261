#pragma once

// The Open dialog's filter, entry by entry in the form Qt reads: the
// classic video types first, then the containers users have today (which
// the program converts as well), then every file, dot or not.
inline constexpr char kAddFilesFilter[] =
    "All supported media files (*.mpg *.mpeg *.avi *.wmv *.asf *.flv *.dat *.qt *.mp4 *.3gp *.mov *.dat "
    "*.mkv *.webm *.ts *.m2ts *.mts *.m4v *.ogv *.3g2 *.f4v);;"
    "AVI files (*.avi);;"
    "MPEG files (*.mpg *.mpeg);;"
    "VCD files (*.dat);;"
    "Windows Media Files (*.asf *.wmv);;"
    "QuickTime Files (*.mov *.qt);;"
    "Flash Files (*.flv);;"
    "MP4 / 3GP Files (*.mp4 *.3gp);;"
    "Other Video Files (*.mkv *.webm *.ts *.m2ts *.mts *.m4v *.ogv *.3g2 *.f4v);;"
    "All Files (*)";
