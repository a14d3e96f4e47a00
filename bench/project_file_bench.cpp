// Saves and opens a generated project of many files, revisions and releases
// and prints how long each took and how large the file is.
//
//   project_file_bench [FILES] [REVISIONS_PER_FILE] [RELEASES]

#include "app/document.h"
#include "model/file_item.h"
#include "model/options.h"
#include "model/release_item.h"
#include "model/release_root.h"
#include "model/root_item.h"
#include "model/version_item.h"

#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

using namespace kestro;

namespace {

double SecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void Generate(CKestroDoc& doc, int files, int revisions, int releases)
{
    for (int f = 0; f < files; ++f) {
        auto file = std::make_unique<RCSFileItem>("dir" + std::to_string(f % 50) + "\\file" + std::to_string(f) + ".c",
                                                  doc.root.get());
        RCSFileItem* fileItem = file.get();
        doc.root->AddChild(std::move(file));
        for (int r = 1; r <= revisions; ++r) {
            auto revision = std::make_unique<RCSVersionItem>();
            revision->name = "1." + std::to_string(r);
            revision->file = fileItem;
            revision->message = "Change number " + std::to_string(r) + " of this file";
            RCSVersionItem* added = revision.get();
            fileItem->AddChild(std::move(revision));
            if (r == revisions) {
                for (int k = 0; k < releases; ++k)
                    doc.releaseRoot->FindOrCreateRelease("R" + std::to_string(k), added)->AddRevision(added);
            }
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    const int files = argc > 1 ? std::atoi(argv[1]) : 5000;
    const int revisions = argc > 2 ? std::atoi(argv[2]) : 10;
    const int releases = argc > 3 ? std::atoi(argv[3]) : 3;

    QTemporaryDir scratch;
    std::filesystem::current_path(scratch.path().toStdString());
    RCSOptions::instance().defaultSiteName = "Bench";

    CKestroDoc doc;
    doc.OnNewDocument();
    auto start = std::chrono::steady_clock::now();
    Generate(doc, files, revisions, releases);
    const double built = SecondsSince(start);

    std::string error;
    start = std::chrono::steady_clock::now();
    if (!doc.OnSaveDocument("Bench.rcs", error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    const double saved = SecondsSince(start);

    start = std::chrono::steady_clock::now();
    if (!doc.OnOpenDocument("Bench.rcs", error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    const double opened = SecondsSince(start);

    const long items = static_cast<long>(files) * (1 + revisions) + static_cast<long>(releases) * (1 + files);
    std::printf("project: %d files x %d revisions, %d releases = %ld items\n", files, revisions, releases, items);
    std::printf("build in memory: %.3f s\n", built);
    std::printf("save:            %.3f s\n", saved);
    std::printf("open:            %.3f s\n", opened);
    std::printf("file size:       %.1f MB\n",
                static_cast<double>(std::filesystem::file_size("Bench.rcs")) / 1e6);
    return 0;
}
