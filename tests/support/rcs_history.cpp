#include "support/rcs_history.h"

#include "model/item_view.h"
#include "model/paths.h"
#include "model/string_helpers.h"
#include "rcs/command_runner.h"

#include <algorithm>

#include <sys/stat.h>
#include <utime.h>

namespace kestro::test {

int RunProgram(const std::vector<std::string>& arguments, std::string* output)
{
    std::string command = arguments.front();
    for (std::size_t i = 1; i < arguments.size(); ++i)
        AppendArgument(command, arguments[i]);
    std::string printed;
    const int result = RunCommand(printed, command, std::string(), false);
    if (output)
        *output = printed;
    return result;
}

void CheckIn(const std::string& path, const std::string& text, const std::string& message,
             const std::vector<std::string>& options)
{
    WriteText(path, text);
    const std::filesystem::path target(path);
    std::filesystem::create_directories(target.parent_path() / "RCS");
    std::vector<std::string> arguments{"ci", "-f", "-t-test file", "-m" + message};
    arguments.insert(arguments.end(), options.begin(), options.end());
    // Keep the working file unless the caller keeps it locked.
    const bool keeps = std::any_of(options.begin(), options.end(), [](const std::string& option) {
        return option.starts_with("-l") || option.starts_with("-u");
    });
    if (!keeps)
        arguments.push_back("-u");
    arguments.push_back(path);
    std::string output;
    ASSERT_EQ(RunProgram(arguments, &output), 0) << output;
}

std::string Rlog(const std::string& path)
{
    std::string output;
    EXPECT_EQ(RunProgram({"rlog", path}, &output), 0) << output;
    return output;
}

void Rewrite(const std::string& path, const std::string& text)
{
    std::filesystem::permissions(path, std::filesystem::perms::owner_write, std::filesystem::perm_options::add);
    WriteText(path, text);
}

std::string RevisionText(const std::string& rcsPath, const std::string& revision)
{
    std::string text;
    EXPECT_EQ(RunProgram({"co", "-q", "-ko", "-p" + revision, rcsPath}, &text), 0) << text;
    return text;
}

std::string LogMessage(const std::string& rcsPath, const std::string& revision)
{
    std::string output;
    EXPECT_EQ(RunProgram({"rlog", "-N", "-r" + revision, rcsPath}, &output), 0) << output;
    std::size_t start = output.find("\ndate: ");
    if (start == std::string::npos)
        return "(none)";
    start = output.find('\n', start + 1) + 1;
    if (output.compare(start, 10, "branches: ") == 0)
        start = output.find('\n', start) + 1;
    return output.substr(start, output.rfind(std::string(77, '=')) - start);
}

std::time_t ModificationTime(const std::string& path)
{
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return info.st_mtime;
}

void SetModificationTime(const std::string& path, std::time_t time)
{
    const utimbuf times{time, time};
    ASSERT_EQ(::utime(path.c_str(), &times), 0) << path;
}

std::size_t Count(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

RCSFileItem* RcsProjectTest::ModelCheckIn(const std::string& name, const std::string& text,
                                          const std::string& message)
{
    const std::string path = doc->GetWorkingDirectory() + name;
    std::error_code ignored;
    std::filesystem::permissions(path, std::filesystem::perms::owner_write, std::filesystem::perm_options::add,
                                 ignored);
    WriteText(path, text);
    RCSFileItem* file = doc->root->FindFile(ModelName(name));
    if (!file)
        file = doc->AddFile(path);
    EXPECT_NE(file, nullptr) << name;
    if (!file)
        return nullptr;
    file->PrepareCheckin();
    CheckinSettings& settings = RCSOptions::instance().checkin;
    settings.logMessage = message;
    settings.lock = true;
    settings.force = true;
    EXPECT_EQ(file->Checkin(nullptr), 0) << Results();
    return file;
}

int RcsProjectTest::Send(const std::string& site, const std::string& release, const std::string& original,
                         int choice)
{
    CommandResults::instance().ClearResults();
    SendSettings& settings = RCSOptions::instance().send;
    settings.destinationSite = site;
    settings.releaseToSend = release;
    settings.originalRelease = original;
    settings.sendChoice = choice;
    return doc->siteList->SendRelease();
}

int RcsProjectTest::Receive(const std::string& commandFile)
{
    CommandResults::instance().ClearResults();
    return doc->siteList->ReceiveRelease(commandFile);
}

int RcsProjectTest::Import(const std::string& directory, const std::string& release, bool subdirectories,
                           bool merge)
{
    CommandResults::instance().ClearResults();
    ImportSettings& settings = RCSOptions::instance().import;
    settings = ImportSettings();
    settings.sourceSite = "Paris";
    settings.sourceDirectory = directory;
    settings.releaseName = release;
    settings.message = "Delivered by Paris";
    settings.lock = true;
    settings.includeSubdirectories = subdirectories;
    settings.mergeAfterImport = merge;
    return doc->siteList->ImportRelease();
}

std::map<std::string, RevisionRow> Revisions(const RCSItem& file)
{
    std::map<std::string, RevisionRow> found;
    for (const auto& child : file.children) {
        const auto* revision = static_cast<const RCSVersionItem*>(child.get());
        found[revision->name] = {static_cast<int>(revision->StatusCode()), revision->locker, revision->message};
        found.merge(Revisions(*revision));
    }
    return found;
}

std::string LogBlock(const std::string& revision, const std::string& text)
{
    return "----------------------------\r\nrevision " + revision
           + "\r\ndate: 2024/01/02 03:04:05;  author: paul;  state: Exp;\r\n" + text
           + "\r\n=============================================================================\r\n.\r\n";
}

std::string Results()
{
    return CommandResults::instance().Text();
}

std::string TakeResults()
{
    std::string text = Results();
    CommandResults::instance().ClearResults();
    return text;
}

RcsProjectTest::RcsProjectTest()
{
    RCSOptions::instance().userName = LoginName();
    CommandResults::instance().ClearResults();
    SetItemView(&view);
    doc->InsertTreesIntoView();
}

void RcsProjectTest::SaveAs(const std::string& name)
{
    std::string error;
    EXPECT_TRUE(doc->OnSaveDocument(scratch.path() + name, error)) << error;
}

} // namespace kestro::test
