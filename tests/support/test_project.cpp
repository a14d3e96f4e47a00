#include "support/test_project.h"

#include "model/item_view.h"

#include <QCryptographicHash>

#include <gtest/gtest.h>

#include <fstream>
#include <pwd.h>
#include <unistd.h>

namespace kestro::test {

ScratchDirectory::ScratchDirectory() : previous_(std::filesystem::current_path())
{
    std::filesystem::current_path(dir_.path().toStdString());
}

ScratchDirectory::~ScratchDirectory()
{
    std::error_code ignored;
    std::filesystem::current_path(previous_, ignored);
}

std::string ScratchDirectory::path() const
{
    return std::filesystem::path(dir_.path().toStdString()).lexically_normal().string() + "/";
}

void WriteText(const std::string& path, const std::string& text)
{
    const std::filesystem::path target(path);
    if (target.has_parent_path())
        std::filesystem::create_directories(target.parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::map<std::string, QByteArray> TreeChecksums(const std::string& directory)
{
    namespace fs = std::filesystem;
    std::map<std::string, QByteArray> sums;
    for (const auto& entry : fs::recursive_directory_iterator(directory)) {
        QByteArray sum = entry.is_symlink() ? QByteArray::fromStdString("link " + fs::read_symlink(entry.path()).string())
                         : entry.is_regular_file()
                             ? QCryptographicHash::hash(QByteArray::fromStdString(ReadFile(entry.path().string())),
                                                        QCryptographicHash::Sha256)
                             : QByteArray("directory");
        sum += " mode " + QByteArray::number(static_cast<int>(entry.symlink_status().permissions()));
        sums[fs::relative(entry.path(), directory).string()] = sum;
    }
    return sums;
}

std::string LoginName()
{
    const passwd* entry = getpwuid(geteuid());
    return entry ? entry->pw_name : std::string();
}

void ResetOptions()
{
    RCSOptions& options = RCSOptions::instance();
    options = RCSOptions();
    options.defaultSiteName = "London";
    options.userName = "fred";
}

ProjectFixture::ProjectFixture()
{
    ResetOptions();
    SetItemView(nullptr);
    doc = std::make_unique<CKestroDoc>();
    doc->OnNewDocument();
}

ProjectFixture::~ProjectFixture()
{
    SetItemView(nullptr);
    doc.reset();
}

RCSFileItem* ProjectFixture::Add(const std::string& path)
{
    RCSFileItem* file = doc->AddFile(path);
    EXPECT_NE(file, nullptr) << path;
    return file;
}

RCSFileItem* AddFile(RCSRoot& root, const std::string& name)
{
    auto file = std::make_unique<RCSFileItem>(name, &root);
    RCSFileItem* added = file.get();
    root.AddChild(std::move(file));
    return added;
}

RCSVersionItem* AddRevision(RCSItem& parent, RCSFileItem& file, const std::string& number, std::time_t date,
                            const std::string& message)
{
    auto revision = std::make_unique<RCSVersionItem>();
    RCSVersionItem* added = revision.get();
    added->name = number;
    added->file = &file;
    added->date = date;
    added->message = message;
    parent.AddChild(std::move(revision));
    return added;
}

} // namespace kestro::test
