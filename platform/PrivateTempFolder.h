#pragma once

#include <optional>
#include <string>

// The user's private temporary folder, with a trailing '/': $TMPDIR (else
// /tmp) + "tolvar-<uid>/", created with mode 0700. A shared /tmp is not
// private, so a folder of that name that is not a real directory owned by the
// user, or that others may write, is refused: nothing the program runs from
// it may be replaceable by another user.
std::optional<std::string> PrivateTempFolder();

// The folder under which the private folder is made; tests give their own.
// An empty text restores $TMPDIR or /tmp.
void SetTempBaseOverride(const std::string& base);
