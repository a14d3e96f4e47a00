// Reads arbitrary bytes as the output of one rlog run, in each of the ways
// the program reads such output, and then touches every link of both trees
// so that a dangling one shows.

#include "app/document.h"
#include "model/file_item.h"
#include "model/release_item.h"
#include "model/release_root.h"
#include "model/revision_log.h"
#include "model/root_item.h"
#include "rcs/rlog_layout.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace {

struct Project {
    Project()
    {
        doc.OnNewDocument();
        auto made = std::make_unique<kestro::RCSFileItem>("a.c", doc.root.get());
        file = made.get();
        doc.root->AddChild(std::move(made));
    }
    kestro::CKestroDoc doc;
    kestro::RCSFileItem* file = nullptr;
};

void Walk(const kestro::RCSItem& item)
{
    // Display texts follow the revision, file and site links.
    const std::string text = item.GetDisplayText() + item.GetDescription();
    (void)text;
    for (const auto& child : item.children)
        Walk(*child);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Project project;
    // Every input starts from an empty history and release tree, so that a
    // failure can be replayed alone. The releases go first: their entries
    // point at the revisions.
    project.doc.releaseRoot->children.clear();
    project.file->children.clear();
    auto made = std::make_unique<kestro::RCSReleaseItem>("Beta 1");
    kestro::RCSReleaseItem* release = made.get();
    project.doc.releaseRoot->AddChild(std::move(made));

    const std::string output(reinterpret_cast<const char*>(data), size);
    // The checks that decide whether the output is read one revision at a
    // time, with the input standing for each of rlog's outputs in turn.
    (void)kestro::IsUnambiguous(kestro::ScanRlogLayout(output));
    std::string description, block;
    if (kestro::DescriptionOf(output, description))
        (void)kestro::SingleRevisionBlock(output, description, "1.1", block);
    kestro::RevisionLog log;
    (void)kestro::ReadRevisionLog(output, "1.1", log);
    project.file->ParseRlog(output, false, nullptr);
    project.file->ParseRlog(output, true, release);
    project.file->ParseRlog(output, false, release, false);
    Walk(*project.doc.root);
    Walk(*project.doc.releaseRoot);
    return 0;
}
