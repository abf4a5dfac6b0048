#include "views/TextLines.h"

std::string MakeTextList(const std::vector<std::string>& lines)
{
    std::string list;
    for (const std::string& line : lines) {
        if (line.empty())
            continue;
        // Each line with its NUL, and one NUL still to come for the end.
        if (list.size() + line.size() + 1 + 1 > TextListSize)
            break;
        list += line;
        list += '\0';
    }
    list += '\0';
    return list;
}

std::vector<std::string> TextListLines(const std::string& list, size_t most)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < list.size() && lines.size() < most) {
        const size_t end = list.find('\0', start);
        if (end == start || end == std::string::npos)
            break; // the empty line, or a list cut off without one
        lines.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}
