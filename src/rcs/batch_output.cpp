#include "rcs/batch_output.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>

namespace kestro {

std::string CoStartLine(const std::string& rcsPath, const std::string& workingPath)
{
    return rcsPath + "  -->  " + workingPath + "\n";
}

std::string CiStartLine(const std::string& rcsPath, const std::string& workingPath)
{
    return rcsPath + "  <--  " + workingPath + "\n";
}

std::string RcsStartLine(const std::string& rcsPath)
{
    return "RCS file: " + rcsPath + "\n";
}

std::vector<BatchPart> SplitBatchOutput(const std::string& output, const std::vector<std::string>& startLines)
{
    static const std::string done = "done\n";
    std::vector<BatchPart> parts(startLines.size());
    std::unordered_map<std::string_view, std::size_t> fileOfLine;
    for (std::size_t i = 0; i < startLines.size(); ++i)
        fileOfLine.emplace(startLines[i], i);

    // One pass over the lines: where each file's first line is, where any
    // file's first line is, and where the "done" lines are.
    constexpr std::size_t None = std::string::npos;
    std::vector<std::size_t> startOf(startLines.size(), None);
    std::vector<std::size_t> anyStart;
    std::vector<std::size_t> dones;
    for (std::size_t line = 0; line < output.size();) {
        const std::size_t newline = output.find('\n', line);
        const std::size_t end = newline == None ? output.size() : newline + 1;
        const std::string_view text(output.data() + line, end - line);
        if (text == done) {
            dones.push_back(line);
        } else if (const auto it = fileOfLine.find(text); it != fileOfLine.end()) {
            // A file name that another file's text could copy makes every
            // split uncertain.
            if (startOf[it->second] != None)
                return parts;
            startOf[it->second] = line;
            anyStart.push_back(line);
        }
        line = end;
    }
    // The first position in the sorted list at or after from, or None.
    const auto firstFrom = [](const std::vector<std::size_t>& positions, std::size_t from) {
        const auto it = std::lower_bound(positions.begin(), positions.end(), from);
        return it == positions.end() ? None : *it;
    };

    std::size_t position = 0;
    for (std::size_t i = 0; i < startLines.size(); ++i) {
        BatchPart& part = parts[i];
        if (startOf[i] == position) {
            // The file's part ends at its "done", before any other file's
            // first line.
            const std::size_t end = firstFrom(dones, position);
            const std::size_t nextStart = firstFrom(anyStart, position + 1);
            if (end == None || (nextStart != None && nextStart < end))
                return parts;
            part.outcome = BatchPart::Succeeded;
            part.text = output.substr(position, end + done.size() - position);
            position = end + done.size();
            continue;
        }
        // A failed file: its error lines run up to the next file's first
        // line, which must therefore be the very next first line there is.
        const std::size_t nextStart = firstFrom(anyStart, position);
        const bool last = i + 1 == startLines.size();
        const std::size_t next = last ? None : startOf[i + 1];
        if (next != nextStart || (!last && next == None))
            return parts;
        part.outcome = BatchPart::Failed;
        part.text = output.substr(position, (next == None ? output.size() : next) - position);
        position = next == None ? output.size() : next;
    }
    return parts;
}

std::vector<BatchPart> SplitCiOutput(const std::string& output, const std::vector<std::string>& startLines)
{
    static const std::string done = "done\n";
    constexpr std::size_t None = std::string::npos;
    std::vector<BatchPart> parts(startLines.size());
    std::unordered_map<std::string_view, std::size_t> fileOfLine;
    for (std::size_t i = 0; i < startLines.size(); ++i)
        fileOfLine.emplace(startLines[i], i);

    std::vector<std::size_t> startOf(startLines.size(), None);
    std::vector<std::size_t> dones;
    std::size_t lastFile = 0;
    bool anyStart = false;
    for (std::size_t line = 0; line < output.size();) {
        const std::size_t newline = output.find('\n', line);
        const std::size_t end = newline == None ? output.size() : newline + 1;
        const std::string_view text(output.data() + line, end - line);
        if (text == done) {
            dones.push_back(line);
        } else if (const auto it = fileOfLine.find(text); it != fileOfLine.end()) {
            if (startOf[it->second] != None || (anyStart && it->second <= lastFile))
                return parts;
            startOf[it->second] = line;
            lastFile = it->second;
            anyStart = true;
        }
        line = end;
    }

    // Where the next file that has a first line starts, from file i on.
    std::vector<std::size_t> nextStart(startLines.size() + 1, output.size());
    for (std::size_t i = startLines.size(); i-- > 0;)
        nextStart[i] = startOf[i] != None ? startOf[i] : nextStart[i + 1];
    std::size_t position = 0;
    for (std::size_t i = 0; i < startLines.size(); ++i) {
        BatchPart& part = parts[i];
        const std::size_t limit = nextStart[i + 1];
        if (startOf[i] == None) {
            // Files failing in a row share the error lines before the next
            // file's first line.
            part.outcome = BatchPart::Failed;
            part.text = output.substr(position, nextStart[i] - position);
            continue;
        }
        const auto it = std::lower_bound(dones.begin(), dones.end(), startOf[i]);
        if (it != dones.end() && *it < limit) {
            part.outcome = BatchPart::Succeeded;
            part.text = output.substr(startOf[i], *it + done.size() - startOf[i]);
            position = *it + done.size();
        } else {
            part.outcome = BatchPart::Failed;
            part.text = output.substr(startOf[i], limit - startOf[i]);
            position = limit;
        }
    }
    return parts;
}

} // namespace kestro
