// Sending a release to another site: the revision files and the RCC command
// file in the site's send directory, then the site's send command.

#include "exchange/dir_traverser.h"
#include "exchange/exchange_checks.h"
#include "exchange/rcc_writer.h"
#include "model/command_results.h"
#include "model/file_item.h"
#include "model/options.h"
#include "model/paths.h"
#include "model/project.h"
#include "model/release_item.h"
#include "model/release_root.h"
#include "model/release_version_item.h"
#include "model/revision_numbers.h"
#include "model/root_item.h"
#include "model/site_list.h"
#include "model/string_helpers.h"
#include "model/version_item.h"
#include "rcs/batch_output.h"
#include "rcs/batch_run.h"
#include "rcs/command_runner.h"
#include "rcs/rcs_programs.h"
#include "rcs/rlog_batch.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <deque>
#include <filesystem>
#include <map>

namespace kestro {

namespace fs = std::filesystem;

namespace {

// Whether the directory lies strictly below the area once every link on the
// way has been resolved.
bool LiesBelow(const std::string& area, const std::string& directory)
{
    std::error_code error;
    const fs::path resolvedArea = fs::weakly_canonical(area, error);
    if (error)
        return false;
    const fs::path resolved = fs::weakly_canonical(directory, error);
    if (error)
        return false;
    const auto [areaPart, part] = std::mismatch(resolvedArea.begin(), resolvedArea.end(), resolved.begin(),
                                                resolved.end());
    return areaPart == resolvedArea.end() && part != resolved.end();
}

// The name the command file carries and other sites compare.
std::string ProjectName(const Project& doc)
{
    return doc.root ? doc.root->name : doc.GetTitle();
}

void MakeDirectories(const std::string& filePath)
{
    std::error_code ignored;
    fs::create_directories(fs::path(filePath).parent_path(), ignored);
}

// The revision a revision was made from: the one before it on its branch,
// else the revision its branch sprouts from. Branch revisions hang side by
// side below their branch point, so the one before is a sibling.
RCSVersionItem* PreviousRevision(const RCSVersionItem& revision)
{
    RCSVersionItem* previous = nullptr;
    const std::string branch = BranchOf(revision.name);
    for (const auto& child : revision.parent->children) {
        auto* sibling = dynamic_cast<RCSVersionItem*>(child.get());
        if (!sibling || BranchOf(sibling->name) != branch || CompareRevisions(sibling->name, revision.name) >= 0)
            continue;
        if (!previous || CompareRevisions(sibling->name, previous->name) > 0)
            previous = sibling;
    }
    return previous ? previous : dynamic_cast<RCSVersionItem*>(revision.parent);
}

// The revisions to send for a file, oldest first: the revision itself, and
// while it lies on another branch than the base, its ancestors on that branch
// in turn, so that the other site can build the same branch one revision at
// a time. base is shortened to the field count of the revisions walked.
std::deque<RCSVersionItem*> RevisionChain(RCSVersionItem* revision, std::string& base)
{
    std::deque<RCSVersionItem*> chain;
    for (RCSVersionItem* step = revision; step;) {
        base = LeadingRevisionFields(base, CountRevisionFields(step->name));
        if (BranchPointOf(base) != BranchPointOf(step->name)) {
            chain.push_front(step);
            step = PreviousRevision(*step);
            continue;
        }
        if (CompareRevisions(step->name, base) != 0)
            chain.push_front(step);
        break;
    }
    if (chain.empty())
        chain.push_back(revision);
    return chain;
}

// The revisions whose log messages an entry brings: those after the base up
// to the revision, or the revision's branch from its start when the base is
// its branch point.
std::string LogRange(const std::string& base, const std::string& revision)
{
    const std::string from = base == "-" ? std::string() : base;
    if (BranchPointOf(revision) == from)
        return BranchOf(revision) + ".0:" + revision;
    // rlog takes a range only along one branch (the trunk counts as one).
    const bool oneBranch = CountRevisionFields(revision) <= 2 || BranchOf(from) == BranchOf(revision);
    if (oneBranch && CompareRevisions(from, revision) == -1) {
        const std::string next = NextRevision(from);
        return next == revision ? revision : next + ":" + revision;
    }
    return revision;
}

// One revision to send: the file written below the send directory and the
// log block that goes with its entry in the command file.
struct Outgoing {
    const RCSVersionItem* revision;
    std::string rcsPath;
    std::string base;
    std::string target;
    bool difference;  // rcsdiff against the base rather than the whole text
    int written = 1;  // the program's result for the file
    int logged = 1;   // rlog's result
    std::string log;
};

// Where the revision goes; 1 (said in the results) when it cannot be sent.
int PlanRevision(const std::string& sendDirectory, const RCSVersionItem& revision, int mode, const std::string& base,
                 int index, std::vector<Outgoing>& outgoing)
{
    CommandResults& results = CommandResults::instance();
    const RCSFileItem& file = *revision.file;
    const std::string below = fs::path(sendDirectory).lexically_normal().string();
    const std::string target =
        fs::path(sendDirectory + NativePath(RevisionSubdirectory(file.name, index))).lexically_normal().string();
    if (target.size() <= below.size() || target.compare(0, below.size(), below) != 0) {
        results.AppendResults("Cannot send " + file.name + " as its name leads outside the send directory\r\n");
        return 1;
    }
    std::string rcsPath = file.ExistingRcsPath();
    const bool hasRcsFile = !rcsPath.empty();
    const bool difference = mode == Site::JustDifferences && base != "-" && hasRcsFile;
    if (!difference && !hasRcsFile) {
        results.AppendResults("Cannot check out " + file.name + " as it has never been checked in\r\n");
        return 1;
    }
    outgoing.push_back({&revision, std::move(rcsPath), base, target, difference, 1, 1, std::string()});
    return 0;
}

// Writes every revision's file: rcsdiff one file at a time, co over all the
// files of one revision number at once. Both write the text that the RCS
// file holds, keywords unexpanded: expanded values (dates, authors, the log
// $Log$ inserts) belong to the site that checks a revision out, and would
// neither match the base text the other site has nor be stored there as this
// site stores them. -a makes rcsdiff write the lines of a binary-looking file
// too.
void WriteFiles(std::vector<Outgoing>& outgoing)
{
    std::map<std::string, std::vector<Outgoing*>> byRevision;
    for (Outgoing& each : outgoing) {
        MakeDirectories(each.target);
        if (!each.difference) {
            byRevision[each.revision->name].push_back(&each);
            continue;
        }
        std::string command = "rcsdiff";
        for (const std::string& option : {std::string("-ko"), std::string("-a"), "-r" + each.base,
                                          "-r" + each.revision->name, each.rcsPath})
            AppendArgument(command, option);
        std::string output;
        each.written = RunCommand(output, command, std::string(), true, each.target);
        // rcsdiff: 0 the same, 1 different, anything else trouble.
        if (each.written == 1)
            each.written = 0;
    }
    for (auto& [revision, group] : byRevision) {
        std::string command = "co";
        for (const std::string& option : {std::string("-f"), std::string("-ko"), "-r" + revision})
            AppendArgument(command, option);
        std::vector<BatchFile> files;
        for (const Outgoing* each : group)
            files.push_back({{each->target, each->rcsPath}, CoStartLine(each->rcsPath, each->target)});
        RunBatched(command, files, [&](std::size_t i, int result, const std::string&) {
            group[i]->written = result;
            // co leaves a file it checks out unlocked read-only; the send
            // directory's files are the site's own to replace or remove.
            std::error_code ignored;
            if (result == 0)
                fs::permissions(group[i]->target, fs::perms::owner_write, fs::perm_options::add, ignored);
        });
    }
}

// Reads the log of every revision, in one rlog run per revision range.
void ReadLogs(std::vector<Outgoing>& outgoing, const std::string& commandFile)
{
    std::map<std::string, std::vector<Outgoing*>> byRange;
    for (Outgoing& each : outgoing) {
        if (each.written == 0)
            byRange[LogRange(each.base, each.revision->name)].push_back(&each);
    }
    for (auto& [range, group] : byRange) {
        std::vector<RCSFileItem*> files;
        std::map<const RCSFileItem*, Outgoing*> entryOf;
        for (Outgoing* each : group) {
            files.push_back(each->revision->file);
            entryOf[each->revision->file] = each;
        }
        RunRlogForFiles(
            files, {"-N", "-r" + range},
            [&](RCSFileItem* file, int result, const std::string& output) {
                entryOf[file]->logged = result;
                entryOf[file]->log = output;
            },
            [&](const std::string& command) {
                CommandResults::instance().AppendResults(DirectCommandLine(command) + " >>" + commandFile + "\r\n");
            });
    }
}

// The site's send command with its "%" codes replaced. The command is split
// into its arguments first, so that a value stays inside the argument it
// was written in whatever it holds, and no name can add an argument or
// run anything else. A value put in by one code is itself open to the codes
// replaced after it.
std::string ExpandSendCommand(const std::string& sendCommand, const std::string& directory,
                              const std::string& project, const Site& site, const std::string& release,
                              const Site& local)
{
    const std::time_t now = std::time(nullptr);
    std::tm date{};
    localtime_r(&now, &date);
    char day[16], month[16], year[16];
    std::snprintf(day, sizeof day, "%02d", date.tm_mday);
    std::snprintf(month, sizeof month, "%02d", date.tm_mon + 1);
    std::snprintf(year, sizeof year, "%02d", date.tm_year % 100);

    std::string projectName = project;
    const std::size_t dot = projectName.rfind('.');
    if (dot != std::string::npos && dot != 0)
        projectName.erase(dot);

    std::string commandLine;
    for (std::string argument : SplitCommandLine(sendCommand)) {
        // "%%" stands for "%"; the byte 0xFF keeps it out of the way meanwhile.
        ReplaceAll(argument, "%%", "\xFF");
        ReplaceAll(argument, "%d", directory);
        ReplaceAll(argument, "%p", projectName);
        ReplaceAll(argument, "%s", site.name);
        ReplaceAll(argument, "%r", release);
        ReplaceAll(argument, "%l", local.name);
        ReplaceAll(argument, "%m", site.emailAddress);
        ReplaceAll(argument, "%D", day);
        ReplaceAll(argument, "%M", month);
        ReplaceAll(argument, "%Y", year);
        ReplaceAll(argument, "\xFF", "%");
        AppendArgument(commandLine, argument);
    }
    return commandLine.empty() ? commandLine : commandLine.substr(1);
}

} // namespace

void Site::ClearSendDirectory()
{
    const std::string directory = SendDirectory();
    Project* doc = Project::current();
    if (directory.empty() || !doc)
        return;
    const std::string withoutSlash = directory.substr(0, directory.size() - 1);
    // A link on the way could lead anywhere; what is cleared must really lie
    // in the project's own area.
    if (!LiesBelow(doc->GetProjectDirectory() + "RCSSites", withoutSlash))
        return;
    DelTraverser remover(1, DirTraverser::Unlimited | DirTraverser::PostOrder);
    remover.Traverse(withoutSlash);
}

int Site::SendReleaseToSite(RCSReleaseItem* release, int mode, RCSReleaseItem* original)
{
    CommandResults& results = CommandResults::instance();
    Project* doc = Project::current();
    if (!release || !doc || !doc->siteList || !doc->releaseRoot || mode < JustDifferences || mode > AllFiles)
        return 1;
    const Site* local = doc->siteList->GetLocalSite();
    if (!local)
        return 1;

    if (!original && mode != AllFiles && !lastRelease.empty())
        original = doc->releaseRoot->FindRelease(lastRelease);
    if (original)
        original->ClearCovered();
    else
        mode = AllFiles;

    const std::string directory = SendDirectory();
    if (directory.empty() || !IsValidSiteName(local->name)) {
        results.AppendResults("Cannot send to site " + name + " (a site or project name cannot be \".\", \"..\""
                              " or hold \"/\" or \"\\\")\r\n");
        return 1;
    }
    ClearSendDirectory();
    std::error_code ignored;
    fs::create_directories(directory, ignored);

    CommandFile commandFile;
    if (!commandFile.Open(directory + local->name + ".RCC")
        || !WriteCommandLine(commandFile, "RCS1", original ? original->name : std::string(), release->name,
                             ProjectName(*doc))
        || !WriteCommandLine(commandFile, "SITE", local->name, local->emailAddress, name))
        return 1;

    std::vector<Outgoing> outgoing;
    bool refused = false;
    for (const auto& child : release->children) {
        auto* entry = dynamic_cast<RCSReleaseVersionItem*>(child.get());
        if (!entry || !entry->revisionRef || !entry->revisionRef->file)
            continue;
        RCSVersionItem* revision = entry->revisionRef;
        std::string base = "-";
        if (RCSReleaseVersionItem* had = original ? original->FindFileEntry(revision->file->name) : nullptr) {
            base = had->revisionRef->name;
            had->SetCovered(true);
            had->RefreshDisplay(false);
        }
        if (mode != AllFiles && base == revision->name)
            continue;
        int index = 0;
        for (RCSVersionItem* step : RevisionChain(revision, base)) {
            if (PlanRevision(directory, *step, mode, base, index++, outgoing) != 0) {
                refused = true;
                break;
            }
            base = step->name;
        }
        if (refused)
            break;
    }
    // The files and logs of all revisions in as few runs as possible, then
    // their entries in order; the first that failed ends the command file.
    WriteFiles(outgoing);
    ReadLogs(outgoing, commandFile.path());
    for (const Outgoing& each : outgoing) {
        if (each.written != 0)
            return each.written;
        if (!WriteCommandLine(commandFile, each.difference ? "DIFF" : "FILE", each.base, each.revision->name,
                              each.revision->file->name))
            return 1;
        if (each.logged != 0)
            return each.logged;
        if (!commandFile.Write(LogBlock(each.log)))
            return 1;
    }
    if (refused)
        return 1;

    if (original) {
        for (const auto& child : original->children) {
            auto* entry = dynamic_cast<RCSReleaseVersionItem*>(child.get());
            if (!entry || entry->IsCovered() || !entry->revisionRef || !entry->revisionRef->file)
                continue;
            if (!WriteCommandLine(commandFile, "DELE", entry->revisionRef->name, "-", entry->revisionRef->file->name))
                return 1;
        }
    }
    if (!commandFile.Close())
        return 1;

    int result = 0;
    if (!Trim(sendCommand).empty()) {
        if (StartsAShell(sendCommand))
            CommandResults::instance().AppendResults(
                "Warning: the send command of site " + name
                + " starts a shell, which acts on quotes and special characters in the names put into it\r\n");
        std::string output;
        result = RunCommand(output,
                            ExpandSendCommand(sendCommand, directory.substr(0, directory.size() - 1),
                                              ProjectName(*doc), *this, release->name, *local),
                            std::string(), true);
    }
    if (result == 0) {
        lastRelease = release->name;
        doc->SetModifiedFlag(true);
    }
    return result;
}

int SiteList::SendRelease()
{
    const SendSettings& settings = RCSOptions::instance().send;
    Project* doc = Project::current();
    if (!doc || !doc->releaseRoot)
        return 1;
    RCSReleaseItem* release =
        settings.releaseToSend.empty() ? nullptr : doc->releaseRoot->FindRelease(settings.releaseToSend);
    if (!release) {
        CommandResults::instance().AppendResults("Release " + settings.releaseToSend + " does not exist\r\n");
        return 1;
    }
    RCSReleaseItem* original =
        settings.originalRelease.empty() ? nullptr : doc->releaseRoot->FindRelease(settings.originalRelease);
    const std::size_t known = sites.size();
    Site* site = FindOrCreate(settings.destinationSite);
    if (!site)
        return 1;
    if (sites.size() != known)
        doc->SetModifiedFlag(true);

    // The dialog's choices run from the most to the least sent.
    static constexpr int modes[] = {Site::AllFiles, Site::CompleteChangedFiles, Site::JustDifferences};
    const int mode = settings.sendChoice >= 0 && settings.sendChoice <= 2 ? modes[settings.sendChoice] : -1;
    const int result = site->SendReleaseToSite(release, mode, original);
    if (result == 0 && settings.deleteTemporary)
        site->ClearSendDirectory();
    return result;
}

} // namespace kestro
