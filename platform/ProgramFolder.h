#pragma once

#include <string>

// The folder of the running program, with a trailing '/'. Files that ship
// beside the program (option.ini, zivirad.dat, pictures, help) are named
// relative to it. Tests point it at a folder of their own.
std::string GetProgramFolder();

// Replaces the program folder for the rest of the process (tests, and the
// installed copy's relocation); an empty text restores the real one.
void SetProgramFolderOverride(const std::string& folder);
