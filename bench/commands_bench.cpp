// Runs Kestro's commands over a generated project through kestro-cli, as a
// user would, and compares each with the same RCS work done by the programs
// in as few runs as the command line allows.
//
//   commands_bench [FILES]        (KESTRO_CLI in the environment picks
//                                   another kestro-cli, e.g. an older build)

#include "exchange/rcc_reader.h"
#include "exchange/rcc_writer.h"
#include "model/paths.h"
#include "model/string_helpers.h"
#include "rcs/command_runner.h"

#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <unistd.h>

using namespace kestro;
namespace fs = std::filesystem;

namespace {

// The same limit on one command line as Kestro's own batches.
constexpr std::size_t MaxCommandLength = 100000;
constexpr int Revisions = 3;
// The project size at which one file's check-in is measured.
constexpr int CheckinProjectFiles = 2000;

std::string Cli()
{
    const char* chosen = std::getenv("KESTRO_CLI");
    return chosen && *chosen ? chosen : KESTRO_CLI;
}

double SecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::string Line(const std::vector<std::string>& arguments)
{
    std::string command;
    for (const std::string& argument : arguments)
        AppendArgument(command, argument);
    return command;
}

// Runs the program and fails the benchmark when it does.
void Run(const std::vector<std::string>& arguments)
{
    std::string output;
    if (RunCommand(output, Line(arguments), std::string(), false) != 0) {
        std::fprintf(stderr, "%s failed:\n%s\n", Line(arguments).c_str(), output.c_str());
        std::exit(1);
    }
}

double Timed(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return SecondsSince(start);
}

// The program over all the arguments, in runs that fit the command line.
void RunBatched(const std::vector<std::string>& command, const std::vector<std::string>& perFile, std::size_t group)
{
    std::vector<std::string> arguments = command;
    std::size_t length = Line(command).size();
    for (std::size_t i = 0; i < perFile.size(); ++i) {
        arguments.push_back(perFile[i]);
        length += perFile[i].size() + 1;
        const bool groupEnds = (i + 1) % group == 0;
        if (i + 1 == perFile.size() || (groupEnds && length > MaxCommandLength)) {
            Run(arguments);
            arguments = command;
            length = Line(command).size();
        }
    }
}

struct Project {
    std::string file;  // the project file
    std::vector<std::string> working;
    std::vector<std::string> rcs;
};

// Files in twenty directories, each RCS file a copy of one real history.
Project Generate(const std::string& directory, int files)
{
    fs::create_directories(directory + "/RCS");
    const std::string model = directory + "/model.c";
    for (int r = 1; r <= Revisions; ++r) {
        std::ofstream(model) << "revision " << r << "\n";
        Run({"ci", "-q", "-l", "-t-model", "-mChange " + std::to_string(r), model, directory + "/RCS/model.c,v"});
    }
    Project project;
    project.file = directory + "/project.rcs";
    for (int f = 0; f < files; ++f) {
        const std::string sub = directory + "/dir" + std::to_string(f % 20);
        fs::create_directories(sub + "/RCS");
        const std::string name = "file" + std::to_string(f) + ".c";
        fs::copy_file(directory + "/RCS/model.c,v", sub + "/RCS/" + name + ",v");
        fs::copy_file(model, sub + "/" + name);
        project.working.push_back(sub + "/" + name);
        project.rcs.push_back(sub + "/RCS/" + name + ",v");
    }
    fs::remove(model);
    fs::remove(directory + "/RCS/model.c,v");
    Run({Cli(), "new", project.file});
    std::vector<std::string> add = {Cli(), "add", project.file};
    add.insert(add.end(), project.working.begin(), project.working.end());
    Run(add);
    return project;
}

double Median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

std::string Ratio(double kestro, double programs)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", programs > 0 ? kestro / programs : 0.0);
    return text;
}

std::string Report(const char* what, double kestro, double programs)
{
    std::printf("%-12s Kestro %8.3f s   programs %8.3f s   ratio %s\n", what, kestro, programs,
                Ratio(kestro, programs).c_str());
    std::fflush(stdout);
    return Ratio(kestro, programs);
}

} // namespace

int main(int argc, char** argv)
{
    const int files = argc > 1 ? std::atoi(argv[1]) : 5000;
    QTemporaryDir scratch;
    const std::string root = scratch.path().toStdString();
    std::printf("kestro-cli: %s\nproject: %d files x %d revisions\n", Cli().c_str(), files, Revisions);

    const Project project = Generate(root + "/big", files);
    std::vector<std::string> pairs;
    for (std::size_t i = 0; i < project.working.size(); ++i) {
        pairs.push_back(project.working[i]);
        pairs.push_back(project.rcs[i]);
    }

    // Each figure is the median of three runs, the programs' and Kestro's
    // taking turns. The programs go first, so that Kestro's check-out is the
    // one its project records. A synchronise takes a few hundredths of a
    // second, so each round times it three times.
    std::vector<double> co, checkout, rcsN, freeze, rlog, sync;
    for (int round = 1; round <= 3; ++round) {
        co.push_back(Timed([&] { RunBatched({"co", "-f", "-l"}, pairs, 2); }));
        checkout.push_back(Timed([&] { Run({Cli(), "checkout", project.file, "--force"}); }));
        const std::string n = std::to_string(round);
        rcsN.push_back(Timed([&] { RunBatched({"rcs", "-NP" + n + ":1.3"}, project.rcs, 1); }));
        freeze.push_back(Timed([&] { Run({Cli(), "freeze", project.file, "R" + n}); }));
        for (int again = 0; again < 3; ++again) {
            rlog.push_back(Timed([&] { RunBatched({"rlog"}, project.rcs, 1); }));
            sync.push_back(Timed([&] { Run({Cli(), "sync", project.file}); }));
        }
    }
    // Sending every file: the revisions written to the send directory and
    // their logs, against one co into another directory and one rlog.
    Run({Cli(), "sites", project.file, "add", "Paris"});
    // The receiving projects are other sites than the sender.
    Run({Cli(), "sites", project.file, "local", "London"});
    std::vector<std::string> copies;
    for (std::size_t i = 0; i < project.working.size(); ++i) {
        copies.push_back(root + "/copies/" + std::to_string(i % 20) + "/" + fs::path(project.working[i]).filename().string());
        copies.push_back(project.rcs[i]);
    }
    for (int d = 0; d < 20; ++d)
        fs::create_directories(root + "/copies/" + std::to_string(d));
    std::vector<double> send, sendPrograms;
    for (int round = 1; round <= 3; ++round) {
        sendPrograms.push_back(Timed([&] {
            RunBatched({"co", "-f", "-ko", "-r1.3"}, copies, 2);
            RunBatched({"rlog", "-N", "-r1.3"}, project.rcs, 1);
        }));
        send.push_back(Timed([&] { Run({Cli(), "send", project.file, "--to", "Paris", "--release", "R1", "--mode", "all"}); }));
    }

    // Receiving the last release sent into an empty project of the same
    // name, against the same RCS work by the programs: the files copied into
    // place, ci runs shared by log message and revision, one rlog, and rcs
    // -N runs shared by revision.
    const std::string sent = root + "/big/RCSSites/project/Paris/";
    std::vector<CommandFileEntry> entries;
    {
        std::ifstream in(sent + "London.RCC", std::ios::binary);
        std::string keyword, a1, a2, a3;
        if (ReadCommandLine(in, keyword, a1, a2, a3) != 1 || ReadCommandLine(in, keyword, a1, a2, a3) != 1
            || !ReadCommandEntries(in, entries)) {
            std::fprintf(stderr, "cannot read %sLondon.RCC\n", sent.c_str());
            return 1;
        }
    }
    std::vector<double> receive, receivePrograms;
    for (int round = 1; round <= 3; ++round) {
        const std::string into = root + "/programs" + std::to_string(round) + "/";
        receivePrograms.push_back(Timed([&] {
            std::vector<std::pair<std::string, std::vector<std::string>>> checkins;  // command, pairs
            std::vector<std::string> rcsFiles;
            for (const CommandFileEntry& entry : entries) {
                const std::string working = into + NativePath(entry.fileName);
                const fs::path parent = fs::path(working).parent_path();
                const std::string rcs = (parent / "RCS" / fs::path(working).filename()).string() + ",v";
                fs::create_directories(parent / "RCS");
                fs::copy_file(sent + NativePath(RevisionSubdirectory(entry.fileName, 0)), working,
                              fs::copy_options::overwrite_existing);
                std::string message = entry.logMessage;
                ReplaceAll(message, "\r\n", "\n");
                while (!message.empty() && message.back() == '\n')
                    message.pop_back();
                const std::string key = "-l" + entry.revision + "\n" + message;
                auto it = std::find_if(checkins.begin(), checkins.end(), [&](const auto& c) { return c.first == key; });
                if (it == checkins.end())
                    it = checkins.insert(checkins.end(), {key, {}});
                it->second.push_back(working);
                it->second.push_back(rcs);
                rcsFiles.push_back(rcs);
            }
            for (const auto& [key, perFile] : checkins) {
                const std::size_t split = key.find('\n');
                RunBatched({"ci", "-f", key.substr(0, split), "-t-" + key.substr(split + 1)}, perFile, 2);
            }
            RunBatched({"rlog"}, rcsFiles, 1);
            RunBatched({"rcs", "-NR1:" + entries.front().revision}, rcsFiles, 1);
        }));
        const std::string receiving = root + "/receive" + std::to_string(round) + "/project.rcs";
        fs::create_directories(fs::path(receiving).parent_path());
        Run({Cli(), "new", receiving});
        receive.push_back(Timed([&] { Run({Cli(), "receive", receiving, sent + "London.RCC"}); }));
    }

    const std::string checkoutRatio = Report("checkout", Median(checkout), Median(co));
    const std::string freezeRatio = Report("freeze", Median(freeze), Median(rcsN));
    const std::string syncRatio = Report("sync", Median(sync), Median(rlog));
    const std::string sendRatio = Report("send", Median(send), Median(sendPrograms));
    const std::string receiveRatio = Report("receive", Median(receive), Median(receivePrograms));

    // One file's check-in on a project of its own size, median of eleven.
    // The files the check-out writes are flushed first: that is the
    // check-out's work, which would otherwise slow the check-in's saves.
    const Project small = files == CheckinProjectFiles ? project
                                                       : Generate(root + "/small", std::min(files, CheckinProjectFiles));
    Run({Cli(), "checkout", small.file, "--force"});
    ::sync();
    std::vector<double> kestroTimes;
    std::vector<double> ciTimes;
    for (int i = 0; i < 11; ++i) {
        const std::string& file = small.working.front();
        std::ofstream(file, std::ios::app) << "kestro " << i << "\n";
        kestroTimes.push_back(Timed([&] { Run({Cli(), "checkin", small.file, file, "-m", "one"}); }));
        std::ofstream(file, std::ios::app) << "ci " << i << "\n";
        ciTimes.push_back(Timed([&] { Run({"ci", "-q", "-l", "-mone", file, small.rcs.front()}); }));
    }
    std::printf("(check-in of one file on a project of %zu files)\n", small.working.size());
    const std::string checkinRatio = Report("checkin-one", Median(kestroTimes), Median(ciTimes));

    std::printf("commands: checkout %s, freeze %s, send %s, receive %s, checkin-one %s, sync %s\n",
                checkoutRatio.c_str(), freezeRatio.c_str(), sendRatio.c_str(), receiveRatio.c_str(), checkinRatio.c_str(), syncRatio.c_str());
    return 0;
}
