#pragma once

// Scaffolding for tests that need a project: a temporary directory that is
// the current directory for the test's life, fresh options, and a document.

#include "app/document.h"
#include "app/text_tree_view.h"
#include "model/options.h"

#include <QByteArray>
#include <QTemporaryDir>

#include <filesystem>
#include <map>
#include <memory>
#include <string>

namespace kestro::test {

class ScratchDirectory {
public:
    ScratchDirectory();
    ~ScratchDirectory();
    // The directory with a trailing "/".
    std::string path() const;
    // Writes a file below the directory, making its directories.
    void write(const std::string& relative, const std::string& content) const;

private:
    QTemporaryDir dir_;
    std::filesystem::path previous_;
};

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
    ScratchDirectory scratch;
    std::unique_ptr<CKestroDoc> doc;
};

} // namespace kestro::test
