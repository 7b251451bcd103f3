#pragma once
// The machine's drives in the classic drive list's text form, as the window lists them and every
// installer of this family stores them: the lower-case letter and a colon, then the volume label
// in square brackets when the volume has one ("c: [GAMES]", "z:").
#include <string>
#include <vector>

std::string DriveText(char letter, const std::string& label);

// The drive a text names by its first character, in either case ("C:", "d:\", "e: [DISC]"):
// a lower-case letter, or 0 when the text starts with no letter.
char DriveLetterOf(const std::string& text);

// The text of the drive that `path` is on, as the list shows it; empty for a path without a drive
// letter (a network path).
std::string DriveTextOf(const std::string& path);

// The text of every drive the machine has, in letter order.
std::vector<std::string> MachineDriveTexts();
