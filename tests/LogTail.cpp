#include "LogTail.h"

#include "TestFiles.h"

#include <algorithm>

LogTail::LogTail(std::wstring path) : file(std::move(path)), start(ReadWholeFile(file).size()) {}

std::vector<std::string> LogTail::Lines() const
{
    const std::string text = ReadWholeFile(file);
    std::vector<std::string> lines;
    size_t from = std::min(start, text.size());
    for (;;) {
        const size_t end = text.find('\n', from);
        if (end == std::string::npos)
            break;  // a line still being written
        std::string line = text.substr(from, end - from);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(std::move(line));
        from = end + 1;
    }
    return lines;
}

size_t LogTail::Count(const std::string& line) const
{
    const auto lines = Lines();
    return static_cast<size_t>(std::count(lines.begin(), lines.end(), line));
}

bool LogTail::Contains(const std::string& text) const
{
    for (const auto& line : Lines()) {
        if (line.find(text) != std::string::npos)
            return true;
    }
    return false;
}
