// Applies the output of one rlog run to a file: its revisions with their
// dates, first log-message lines and lock holders, the tip of the default
// branch, and the releases named by its symbolic names.

#include "model/file_item.h"
#include "model/project.h"
#include "model/release_item.h"
#include "model/release_root.h"
#include "model/release_version_item.h"
#include "model/revision_numbers.h"
#include "model/string_helpers.h"
#include "model/time_format.h"
#include "model/version_item.h"
#include "rcs/rlog_layout.h"
#include "rcs/rlog_scanner.h"

#include <algorithm>
#include <ctime>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace kestro {

namespace {

constexpr std::string_view FieldDelimiters = ";\r\n\t ";
constexpr std::string_view LineEnd = "\r\n";

// The file's revisions by number, so that a history of thousands of
// revisions costs one walk of the tree instead of one walk per revision.
// Numbers are keyed ignoring case and the first item in tree order wins, as
// FindRevision finds them.
class RevisionIndex {
public:
    explicit RevisionIndex(RCSFileItem& owner) : file(owner) { AddBelow(owner); }

    RCSVersionItem* Find(std::string_view number) const
    {
        const auto it = byNumber.find(FoldCase(number));
        return it == byNumber.end() ? nullptr : it->second;
    }

    // FindOrAddRevision without a walk of the tree for every revision: a
    // revision that hangs where it belongs is only updated, one whose branch
    // point is known is made here, and only the rest (missing branch points,
    // revisions in the wrong place) is left to FindOrAddRevision.
    RCSVersionItem* FindOrAdd(const std::string& number, const std::string& message, std::time_t date)
    {
        RCSVersionItem* revision = Find(number);
        RCSItem* parentItem = ExpectedParent(number);
        if (!parentItem || (revision && revision->parent != parentItem)) {
            revision = file.FindOrAddRevision(number, message, date);
            // The branch points made on the way are new as well.
            for (RCSItem* up = revision; up && up != &file; up = up->parent) {
                if (auto* made = dynamic_cast<RCSVersionItem*>(up))
                    byNumber.emplace(FoldCase(made->name), made);
            }
            return revision;
        }
        if (!revision) {
            if (CountRevisionFields(number) > MaxRevisionFields)
                return nullptr;
            auto made = std::make_unique<RCSVersionItem>();
            made->name = number;
            made->file = &file;
            revision = made.get();
            parentItem->AddChild(std::move(made));
            byNumber.emplace(FoldCase(number), revision);
        }
        if (date != 0)
            revision->SetDate(date);
        if (!message.empty())
            revision->SetMessage(message);
        return revision;
    }

private:
    RCSItem* ExpectedParent(const std::string& number) const
    {
        const std::string branchPoint = BranchPointOf(number);
        if (branchPoint.empty())
            return &file;
        return Find(branchPoint);
    }

    void AddBelow(RCSItem& item)
    {
        for (auto& child : item.children) {
            if (auto* revision = dynamic_cast<RCSVersionItem*>(child.get()))
                byNumber.emplace(FoldCase(revision->name), revision);
            AddBelow(*child);
        }
    }

    RCSFileItem& file;
    std::unordered_map<std::string, RCSVersionItem*> byNumber;
};

// Reads a number as "%d" would: white space, an optional sign, digits.
// Values beyond any calendar are refused, so that neither the reading nor
// the date arithmetic can overflow.
bool ReadNumber(std::string_view text, std::size_t& at, int& value)
{
    while (at < text.size() && std::string_view(" \t\n\v\f\r").find(text[at]) != std::string_view::npos)
        ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }
    const std::size_t start = at;
    long long magnitude = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        magnitude = magnitude * 10 + (text[at] - '0');
        if (magnitude > 99999999)
            return false;
    }
    value = static_cast<int>(negative ? -magnitude : magnitude);
    return at > start;
}

// The time of rlog's "year/month/day hour:minute:second", read as local
// time; 0 when the line does not start with all six numbers or the calendar
// cannot represent the time.
std::time_t RevisionTime(std::string_view dateLine)
{
    // The character before each number; the blank between date and time
    // needs no check, as each number skips white space before it.
    constexpr char before[6] = {0, '/', '/', 0, ':', ':'};
    int fields[6] = {};
    std::size_t at = 0;
    for (int i = 0; i < 6; ++i) {
        if (before[i] != 0) {
            if (at >= dateLine.size() || dateLine[at] != before[i])
                return 0;
            ++at;
        }
        if (!ReadNumber(dateLine, at, fields[i]))
            return 0;
    }
    std::tm calendar{};
    calendar.tm_year = fields[0] - 1900;
    calendar.tm_mon = fields[1] - 1;
    calendar.tm_mday = fields[2];
    calendar.tm_hour = fields[3];
    calendar.tm_min = fields[4];
    calendar.tm_sec = fields[5];
    const std::time_t time = LocalCalendarTime(calendar);
    return time == static_cast<std::time_t>(-1) ? 0 : time;
}

// Whether a revision lies on the default branch. A branch number (an odd
// number of fields, a trunk level such as 1 included) holds the revisions
// one field longer; a revision number names that revision alone.
bool OnDefaultBranch(const std::string& revision, const std::string& defaultBranch)
{
    if (CountRevisionFields(defaultBranch) % 2 == 0)
        return revision == defaultBranch;
    return BranchOf(revision) == defaultBranch;
}

struct SymbolicName {
    std::string symbol;
    std::string revision;
};

// Reads the tab-indented "symbol: revision" lines after "symbolic names:";
// the first line without a leading tab ends the list.
std::vector<SymbolicName> ReadSymbolList(std::size_t& position, std::string_view text)
{
    std::vector<SymbolicName> names;
    if (!SkipPast(position, text, "\nsymbolic names:") || !SkipPast(position, text, "\n"))
        return names;
    while (position < text.size() && text[position] == '\t') {
        std::string symbol = ExtractField(position, text, "\t", ":\r\n", true, false);
        if (position < text.size() && text[position] == ':') {
            std::string revision = ExtractField(position, text, ":", LineEnd, true, false);
            if (!symbol.empty() && !revision.empty())
                names.push_back({std::move(symbol), std::move(revision)});
        }
        if (!SkipPast(position, text, "\n"))
            break;
    }
    return names;
}

void MarkCovered(RCSItem* item)
{
    item->SetCovered(true);
    item->UpdateStatus();
}

// Records the releases of the symbols whose revisions the file has. With a
// release given, only its own symbol counts and no release is created.
void ApplySymbolicNames(const std::vector<SymbolicName>& names, const RevisionIndex& index,
                        RCSReleaseItem* release)
{
    if (release) {
        const std::string wanted = MakeSymbolName(release->name);
        for (const SymbolicName& name : names) {
            if (name.symbol != wanted)
                continue;
            if (RCSVersionItem* revision = index.Find(name.revision))
                MarkCovered(release->AddRevision(revision));
        }
        return;
    }
    Project* doc = Project::current();
    if (!doc || !doc->releaseRoot)
        return;
    for (const SymbolicName& name : names) {
        RCSVersionItem* revision = index.Find(name.revision);
        if (!revision)
            continue;
        std::string releaseName = name.symbol;
        ReplaceAll(releaseName, "_", " ");
        RCSReleaseItem* found = doc->releaseRoot->FindOrCreateRelease(releaseName, revision);
        MarkCovered(found);
        MarkCovered(found->AddRevision(revision));
    }
}

} // namespace

void RCSFileItem::ParseRlog(const std::string& output, bool headerOnly, RCSReleaseItem* release, bool markTip)
{
    // Only complete lines are read, so that a run cut short leaves no
    // revision number, lock holder, date or message cut in the middle.
    const std::size_t lastLineEnd = output.rfind('\n');
    const std::string_view text =
        lastLineEnd == std::string::npos ? std::string_view() : std::string_view(output).substr(0, lastLineEnd + 1);
    std::size_t position = 0;
    const std::string head = ExtractField(position, text, "\nhead:", FieldDelimiters, true, false);
    std::string defaultBranch = ExtractField(position, text, "\nbranch:", FieldDelimiters, true, false);
    if (defaultBranch.empty())
        defaultBranch = head;
    bool tipPending = !defaultBranch.empty();

    // Symbolic names are applied once the revisions are known, so that the
    // first reading of a file already records its releases.
    const std::vector<SymbolicName> names = ReadSymbolList(position, text);
    RevisionIndex index(*this);

    // Only blocks that begin with a separator row and a revision line are
    // read, each on its own, so that no search runs from one block into the
    // next. Text that merely looks like a block inside a log message is
    // told apart before the output reaches here (see rlog_layout.h).
    // Blocks are looked for only after the header, as every other token is,
    // so output without a head line yields none.
    const std::string_view revisionText = text.substr(std::min(position, text.size()));
    const std::vector<RlogBlock> blocks = headerOnly ? std::vector<RlogBlock>() : ScanRlogLayout(revisionText).blocks;
    for (const RlogBlock& block : blocks) {
        const std::string_view blockText = revisionText.substr(block.start, block.end - block.start);
        position = 0;
        const std::string number = ExtractField(position, blockText, "\nrevision ", FieldDelimiters, true, false);
        if (number.empty())
            continue;
        // Only the revision line itself may name the lock holder.
        const std::size_t lineEnd = std::min(blockText.find('\n', position), blockText.size());
        const std::string locker =
            ExtractField(position, blockText.substr(0, lineEnd), "locked by:", ";\r\n", true, true);
        SkipPast(position, blockText, "\n");

        const std::string dateLine = ExtractField(position, blockText, "date:", LineEnd, true, false);
        std::time_t time = 0;
        std::string message;
        if (!dateLine.empty()) {
            time = RevisionTime(dateLine);
            SkipPast(position, blockText, "\n");
            message = ExtractField(position, blockText, "", LineEnd, false, false);
            if (IsBranchList(message)) {
                SkipPast(position, blockText, "\n");
                message = ExtractField(position, blockText, "", LineEnd, false, false);
            }
        }

        RCSVersionItem* revision = index.FindOrAdd(number, message, time);
        if (!revision)
            continue;
        std::uint32_t code = locker.empty() ? Revision : LockedRevision;
        if (!markTip) {
            if (revision->StatusCode() == Tip || revision->StatusCode() == LockedTip)
                code += 2;
        } else if (tipPending && OnDefaultBranch(number, defaultBranch)) {
            // rlog lists the newest revision of each branch first.
            code += 2;
            tipPending = false;
        }
        revision->SetStatusCode(code);
        revision->SetCovered(true);
        revision->UpdateStatus();
        revision->locker = locker;
        revision->RefreshDisplay(false);
    }

    ApplySymbolicNames(names, index, release);
}

} // namespace kestro
