// The text lines of an image child window, held as one fixed buffer: each
// line ended by a NUL, the list ended by an empty line.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Room for the lines and every terminator, the closing empty line included.
constexpr size_t TextListSize = 1536;
// Strips a window shows; further lines are kept but not shown.
constexpr size_t MaxTextStrips = 7;

// The list of the given lines in order. Empty lines are left out (an empty
// line would end the list); lines that no longer fit are dropped.
std::string MakeTextList(const std::vector<std::string>& lines);

// The lines a window makes strips of: walking the list until its empty line,
// at most `most` of them.
std::vector<std::string> TextListLines(const std::string& list, size_t most = MaxTextStrips);
