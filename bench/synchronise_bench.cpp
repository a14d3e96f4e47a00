// Synchronises a generated project with RCS and compares the time with one
// plain rlog run over the same RCS files.
//
//   synchronise_bench [FILES] [REVISIONS_PER_FILE]

#include "app/document.h"
#include "model/options.h"
#include "model/root_item.h"
#include "model/string_helpers.h"
#include "rcs/command_runner.h"
#include "run_program.h"

#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace kestro;
namespace fs = std::filesystem;

namespace {

double SecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv)
{
    const int files = argc > 1 ? std::atoi(argv[1]) : 2000;
    const int revisions = argc > 2 ? std::atoi(argv[2]) : 3;

    QTemporaryDir scratch;
    fs::current_path(scratch.path().toStdString());
    RCSOptions::instance().defaultSiteName = "Bench";

    // One history made with the programs, copied for every file: the copies
    // are real RCS files, and building them takes seconds instead of minutes.
    fs::create_directories("RCS");
    for (int r = 1; r <= revisions; ++r) {
        std::ofstream("model.c") << "revision " << r << "\n";
        if (!RunProgram({"ci", "-l", "-t-model", "-mChange " + std::to_string(r), "model.c"}))
            return 1;
    }
    std::vector<std::string> paths;
    for (int f = 0; f < files; ++f) {
        const std::string directory = "dir" + std::to_string(f % 20);
        fs::create_directories(directory + "/RCS");
        const std::string name = directory + "/file" + std::to_string(f) + ".c";
        fs::copy_file("RCS/model.c,v", directory + "/RCS/file" + std::to_string(f) + ".c,v");
        fs::copy_file("model.c", name);
        paths.push_back(name);
    }

    CKestroDoc doc;
    doc.OnNewDocument();
    auto start = std::chrono::steady_clock::now();
    doc.AddFiles(paths);
    const double added = SecondsSince(start);

    start = std::chrono::steady_clock::now();
    const int result = doc.root->Synchronise(true);
    const double synchronised = SecondsSince(start);

    std::string command = "rlog";
    for (const std::string& path : paths) {
        const fs::path p(path);
        AppendArgument(command, (p.parent_path() / "RCS" / p.filename()).string() + ",v");
    }
    std::string output;
    start = std::chrono::steady_clock::now();
    const int rlogResult = RunCommand(output, command, std::string(), false);
    const double oneRlog = SecondsSince(start);

    std::printf("project: %d files x %d revisions\n", files, revisions);
    std::printf("add all files:             %.3f s\n", added);
    std::printf("Synchronise(true) on root: %.3f s (result %d)\n", synchronised, result);
    std::printf("one rlog over all files:   %.3f s (result %d, %zu bytes)\n", oneRlog, rlogResult, output.size());
    std::printf("ratio:                     %.2f\n", oneRlog > 0 ? synchronised / oneRlog : 0.0);
    return 0;
}
