#pragma once

// Scaffolding for tests that need a project: a temporary directory that is
// the current directory for the test's life, fresh options, a document and
// the item classes it holds.

#include "app/document.h"
#include "app/text_tree_view.h"
#include "model/file_item.h"
#include "model/options.h"
#include "model/release_item.h"
#include "model/release_root.h"
#include "model/release_version_item.h"
#include "model/root_item.h"
#include "model/site_list.h"
#include "model/version_item.h"

#include <QByteArray>
#include <QTemporaryDir>

#include <filesystem>
#include <map>
#include <memory>
#include <string>

namespace kestro::test {

// Writes a file, making its directories.
void WriteText(const std::string& path, const std::string& text);

class ScratchDirectory {
public:
    ScratchDirectory();
    ~ScratchDirectory();
    // The directory with a trailing "/".
    std::string path() const;
    // Writes a file below the directory.
    void write(const std::string& relative, const std::string& content) const { WriteText(path() + relative, content); }

private:
    QTemporaryDir dir_;
    std::filesystem::path previous_;
};

// Whether the part occurs in the text.
inline bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The whole content of a file; empty when it cannot be read.
std::string ReadFile(const std::string& path);

// What must not change below a directory, by relative path: each file's
// checksum, each link's target, each entry's mode.
std::map<std::string, QByteArray> TreeChecksums(const std::string& directory);

// The login name of the user running the tests, as RCS records it.
std::string LoginName();

// Options back at their defaults with a known site name, user and format.
void ResetOptions();

// A new project document in a scratch directory.
struct ProjectFixture {
    ProjectFixture();
    ~ProjectFixture();
    // Adds a file to the project, failing the test when it cannot.
    RCSFileItem* Add(const std::string& path);
    ScratchDirectory scratch;
    std::unique_ptr<CKestroDoc> doc;
};

// A file item added to the root, and a revision added below a file or a
// revision.
RCSFileItem* AddFile(RCSRoot& root, const std::string& name);
RCSVersionItem* AddRevision(RCSItem& parent, RCSFileItem& file, const std::string& number, std::time_t date = 0,
                            const std::string& message = "");

} // namespace kestro::test
