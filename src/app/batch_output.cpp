#include "app/batch_output.h"

namespace kestro {

std::string CoStartLine(const std::string& rcsPath, const std::string& workingPath)
{
    return rcsPath + "  -->  " + workingPath + "\n";
}

std::string RcsStartLine(const std::string& rcsPath)
{
    return "RCS file: " + rcsPath + "\n";
}

namespace {

bool AtLineStart(const std::string& text, std::size_t position)
{
    return position == 0 || text[position - 1] == '\n';
}

// The first line at or after from that starts a line, or npos.
std::size_t FindLine(const std::string& text, const std::string& line, std::size_t from)
{
    for (std::size_t found = text.find(line, from); found != std::string::npos; found = text.find(line, found + 1)) {
        if (AtLineStart(text, found))
            return found;
    }
    return std::string::npos;
}

} // namespace

std::vector<BatchPart> SplitBatchOutput(const std::string& output, const std::vector<std::string>& startLines)
{
    static const std::string done = "done\n";
    std::vector<BatchPart> parts(startLines.size());
    // A file name that another file's text could copy makes every split
    // uncertain: file names appear in error messages and first lines alike.
    for (const std::string& line : startLines) {
        const std::size_t first = FindLine(output, line, 0);
        if (first != std::string::npos && FindLine(output, line, first + 1) != std::string::npos)
            return parts;
    }
    std::size_t position = 0;
    for (std::size_t i = 0; i < startLines.size(); ++i) {
        BatchPart& part = parts[i];
        if (output.compare(position, startLines[i].size(), startLines[i]) == 0) {
            const std::size_t end = FindLine(output, done, position + startLines[i].size());
            if (end == std::string::npos)
                return parts;
            // Another file's first line before "done" would mean this file
            // ended without it.
            for (std::size_t j = i + 1; j < startLines.size(); ++j) {
                const std::size_t other = FindLine(output, startLines[j], position);
                if (other != std::string::npos && other < end)
                    return parts;
            }
            part.outcome = BatchPart::Succeeded;
            part.text = output.substr(position, end + done.size() - position);
            position = end + done.size();
            continue;
        }
        // A failed file: its error lines run up to the next file's first
        // line, which must therefore be there.
        std::size_t next = output.size();
        if (i + 1 < startLines.size()) {
            next = FindLine(output, startLines[i + 1], position);
            if (next == std::string::npos)
                return parts;
        }
        part.outcome = BatchPart::Failed;
        part.text = output.substr(position, next - position);
        position = next;
    }
    return parts;
}

} // namespace kestro
