// Reads arbitrary bytes as a project, as opening a project file does, and
// then touches every link of what was read so that a dangling one shows.

#include "app/document.h"
#include "model/options.h"
#include "model/release_root.h"
#include "model/root_item.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

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
    // Reading a project replaces the command settings; every input starts
    // from the same ones so that a failure can be replayed alone.
    static const kestro::RCSOptions initial = kestro::RCSOptions::instance();
    kestro::RCSOptions::instance() = initial;

    kestro::CKestroDoc doc;
    std::string error;
    if (doc.LoadFromBytes(std::string(reinterpret_cast<const char*>(data), size), error)) {
        Walk(*doc.root);
        Walk(*doc.releaseRoot);
    }
    return 0;
}
