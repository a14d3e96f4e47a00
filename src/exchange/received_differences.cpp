#include "exchange/received_differences.h"

#include "exchange/diff_apply.h"
#include "exchange/rcc_reader.h"
#include "model/command_results.h"
#include "model/file_item.h"
#include "model/root_item.h"
#include "model/site.h"
#include "model/string_helpers.h"
#include "rcs/command_runner.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <unordered_set>

namespace kestro {

namespace fs = std::filesystem;

namespace {

void Report(const std::string& text)
{
    CommandResults::instance().AppendResults(text);
}

bool ReadWholeFile(const std::string& path, std::string& text)
{
    std::ifstream in(path, std::ios::binary);
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad() && in.is_open();
}

bool WriteWholeFile(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    return !out.fail();
}

// A revision of a file, in the sender's numbering.
std::string Key(const std::string& fileName, const std::string& revision)
{
    return FoldCase(fileName) + '\n' + revision;
}

// A base checked out from this site's RCS file.
struct Checkout {
    std::size_t entry;
    std::string rcsPath;
    std::string textPath;
};

} // namespace

bool ReceivedDifferences::Prepare(RCSRoot& root, const Site& site, const std::vector<CommandFileEntry>& entries,
                                  const std::vector<std::string>& sources)
{
    if (!scratch_.isValid()) {
        Report("Import file - no private scratch directory: " + scratch_.errorString().toStdString() + "\r\n");
        return false;
    }
    const std::string scratch = scratch_.path().toStdString() + "/";

    // Which bases entries of the command file bring, and which must come
    // from the RCS files here, grouped by revision so that one co serves
    // every file of a group.
    std::unordered_set<std::string> brought;
    std::unordered_set<std::string> neededLater;  // bases that earlier entries bring
    std::map<std::string, std::vector<Checkout>> checkouts;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const CommandFileEntry& entry = entries[i];
        if (entry.keyword == "DIFF") {
            const std::string baseKey = Key(entry.fileName, entry.base);
            if (brought.count(baseKey)) {
                neededLater.insert(baseKey);
            } else {
                const std::string revision = site.TranslateRevision(entry.base, Site::Direction::SiteToLocal);
                // co -r takes the nearest revision below a number that is
                // not there, so the history here must hold it exactly.
                RCSFileItem* file = root.FindFile(entry.fileName);
                if (!file || !file->FindRevision(revision)) {
                    Report("Import file - " + entry.fileName + " : the base revision " + revision
                           + " of its differences is not here\r\n");
                    return false;
                }
                // co names the text after the RCS file when it is given both.
                const std::string rcsPath = file->GetRcsPath();
                std::string fileName = fs::path(rcsPath).filename().string();
                if (fileName.ends_with(",v"))
                    fileName.resize(fileName.size() - 2);
                const std::string directory = scratch + "base" + std::to_string(i);
                std::error_code error;
                fs::create_directories(directory, error);
                checkouts[revision].push_back({i, rcsPath, directory + "/" + fileName});
            }
        }
        if (entry.keyword != "DELE")
            brought.insert(Key(entry.fileName, entry.revision));
    }

    std::unordered_map<std::size_t, std::string> checkedOut;
    for (const auto& [revision, group] : checkouts) {
        std::string command = "co";
        AppendArgument(command, "-q");
        AppendArgument(command, "-ko");
        AppendArgument(command, "-r" + revision);
        for (const Checkout& checkout : group) {
            AppendArgument(command, checkout.textPath);
            AppendArgument(command, checkout.rcsPath);
        }
        // co goes on past a file it cannot check out; which texts exist
        // afterwards tells what it did. A program that could not be started
        // has been reported.
        std::string output;
        if (RunCommand(output, command, std::string(), false) < 0)
            return false;
        for (const Checkout& checkout : group) {
            const CommandFileEntry& entry = entries[checkout.entry];
            std::error_code error;
            if (!fs::is_regular_file(checkout.textPath, error)) {
                Report("Import file - " + entry.fileName + " : the base revision " + revision
                       + " of its differences is not here\r\n");
                return false;
            }
            checkedOut[checkout.entry] = checkout.textPath;
        }
    }

    std::unordered_map<std::string, std::string> texts;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const CommandFileEntry& entry = entries[i];
        const std::string key = Key(entry.fileName, entry.revision);
        if (entry.keyword == "FILE" && neededLater.count(key)) {
            if (!ReadWholeFile(sources[i], texts[key])) {
                Report("Import file - " + entry.fileName + " cannot be read from " + sources[i] + "\r\n");
                return false;
            }
            continue;
        }
        if (entry.keyword != "DIFF")
            continue;
        std::string difference;
        if (!ReadWholeFile(sources[i], difference)) {
            Report("Import file - " + entry.fileName + " cannot be read from " + sources[i] + "\r\n");
            return false;
        }
        std::string base;
        if (const auto found = checkedOut.find(i); found != checkedOut.end()) {
            if (!ReadWholeFile(found->second, base)) {
                Report("Import file - the base revision of " + entry.fileName + " cannot be read\r\n");
                return false;
            }
        } else {
            base = texts.at(Key(entry.fileName, entry.base));
        }
        DiffApplication applied = ApplyNormalDiff(base, difference);
        if (!applied.applied) {
            Report("Import file - the differences for " + entry.fileName + " " + entry.revision
                   + " do not fit its base revision " + entry.base + " here: " + applied.problem + "\r\n");
            return false;
        }
        const std::string directory = scratch + "text" + std::to_string(i);
        const std::string textFile = directory + "/" + fs::path(sources[i]).filename().string();
        std::error_code error;
        fs::create_directories(directory, error);
        if (error || !WriteWholeFile(textFile, applied.text)) {
            Report("Import file - the text of " + entry.fileName + " " + entry.revision + " cannot be written to "
                   + textFile + "\r\n");
            return false;
        }
        textFiles_[i] = textFile;
        if (neededLater.count(key))
            texts[key] = std::move(applied.text);
    }
    return true;
}

} // namespace kestro
