#include "app/demo_project.h"

#include "app/document.h"
#include "model/file_item.h"
#include "model/string_helpers.h"
#include "rcs/command_runner.h"

#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <utime.h>

namespace fs = std::filesystem;

namespace kestro {

namespace {

struct Step {
    std::vector<std::string> arguments;  // program first
    std::string fileText;                // written to writeTo before the step
    std::string writeTo;
};

void WriteText(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

bool Run(const std::vector<std::string>& arguments, std::string& error)
{
    std::string command = arguments.front();
    for (std::size_t i = 1; i < arguments.size(); ++i)
        AppendArgument(command, arguments[i]);
    std::string output;
    const int result = RunCommand(output, command, std::string(), false);
    if (result != 0) {
        error = command + " failed (" + std::to_string(result) + "):\n" + output;
        return false;
    }
    return true;
}

// The history of the demo files, oldest first. Dates are given so that the
// revisions read like real work spread over some weeks.
std::vector<Step> History()
{
    const std::string mainV1 = "#include <stdio.h>\n\nint main(void)\n{\n    return 0;\n}\n";
    const std::string mainV2 = "#include <stdio.h>\n\nint main(int argc, char **argv)\n{\n"
                               "    return argc > 1 ? parse(argv[1]) : 0;\n}\n";
    const std::string mainV3 = mainV2 + "\n/* errors are reported with their line numbers */\n";
    const std::string parserV1 = "int parse(const char *name)\n{\n    return 0;\n}\n";
    const std::string parserV2 = "int parse(const char *name)\n{\n    return name[0] != 0;\n}\n";
    const std::string parserParis = parserV2 + "/* Paris: accept an empty name */\n";
    const std::string parserRecovery = parserParis + "/* experimental error recovery */\n";
    const std::string readmeV1 = "The demo project.\n";
    const std::string readmeV2 = "The demo project.\nBuild it with make.\n";
    return {
        {{"ci", "-l", "-d2026/01/05 10:00:00", "-t-The main program", "-mInitial revision", "src/main.c"}, mainV1, "src/main.c"},
        {{"ci", "-u", "-d2026/01/05 10:05:00", "-t-The parser", "-mInitial revision", "src/parser.c"}, parserV1, "src/parser.c"},
        {{"ci", "-u", "-d2026/01/05 10:10:00", "-t-Read me first", "-mInitial revision", "doc/readme.txt"}, readmeV1, "doc/readme.txt"},
        {{"ci", "-l", "-d2026/01/12 09:30:00", "-mRead the file name from the command line", "src/main.c"}, mainV2, "src/main.c"},
        {{"co", "-f", "-l", "src/parser.c"}, "", ""},
        {{"ci", "-u", "-d2026/01/12 09:45:00", "-mReject empty names", "src/parser.c"}, parserV2, "src/parser.c"},
        {{"co", "-f", "-l", "doc/readme.txt"}, "", ""},
        {{"ci", "-u", "-d2026/01/13 16:20:00", "-mHow to build\nMentions make only.", "doc/readme.txt"}, readmeV2, "doc/readme.txt"},
        {{"rcs", "-q", "-NRelease_1:1.2", "src/main.c"}, "", ""},
        {{"rcs", "-q", "-NRelease_1:1.2", "src/parser.c"}, "", ""},
        {{"rcs", "-q", "-NRelease_1:1.2", "doc/readme.txt"}, "", ""},
        {{"co", "-f", "-l1.2", "src/parser.c"}, "", ""},
        {{"ci", "-l", "-r1.2.1", "-d2026/01/20 11:00:00", "-mPatch for the Paris site", "src/parser.c"}, parserParis, "src/parser.c"},
        {{"ci", "-u", "-r1.2.1.1.1", "-d2026/01/27 15:00:00", "-mExperimental error recovery", "src/parser.c"}, parserRecovery, "src/parser.c"},
        {{"rcs", "-q", "-b1.2.1", "src/parser.c"}, "", ""},
        {{"co", "-f", "-u", "src/parser.c"}, "", ""},
        {{"ci", "-l", "-d2026/02/02 14:00:00", "-mReport errors with line numbers", "src/main.c"}, mainV3, "src/main.c"},
        {{"rcs", "-q", "-NBeta_2:1.3", "src/main.c"}, "", ""},
        {{"rcs", "-q", "-NBeta_2:1.2.1.1", "src/parser.c"}, "", ""},
        {{"rcs", "-q", "-NBeta_2:1.2", "doc/readme.txt"}, "", ""},
    };
}

std::time_t ModificationTime(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_mtime : 0;
}

// Records what a check-in or check-out through the program would have
// recorded for a working file.
void RecordCheckout(RCSFileItem* file, const std::string& revision)
{
    file->workingRevision = revision;
    file->recordedTime = ModificationTime(file->GetWorkingPath());
    file->UpdateStatus();
}

} // namespace

bool BuildDemoProject(CKestroDoc& doc, const std::string& directory, std::string& projectPath, std::string& error)
{
    std::error_code failure;
    fs::create_directories(directory, failure);
    if (!fs::is_directory(directory, failure)) {
        error = "Cannot create the directory " + directory;
        return false;
    }
    if (!fs::is_empty(directory, failure)) {
        error = "The directory " + directory + " is not empty; the demo project needs an empty one";
        return false;
    }
    fs::current_path(directory, failure);
    for (const char* rcsDirectory : {"src/RCS", "doc/RCS"})
        fs::create_directories(rcsDirectory, failure);
    if (failure) {
        error = "Cannot write in the directory " + directory + ": " + failure.message();
        return false;
    }

    for (const Step& step : History()) {
        if (!step.writeTo.empty())
            WriteText(step.writeTo, step.fileText);
        if (!Run(step.arguments, error))
            return false;
    }
    WriteText("src/lexer.c", "/* not checked in yet */\nint next_token(void);\n");

    doc.OnNewDocument();
    projectPath = fs::absolute("Demo.rcs").lexically_normal().string();
    if (!doc.OnSaveDocument(projectPath, error))
        return false;
    const std::vector<RCSFileItem*> files =
        doc.AddFiles({"src/main.c", "src/parser.c", "doc/readme.txt", "src/lexer.c"});
    if (files.size() != 4) {
        error = "The demo files could not be added to the project";
        return false;
    }
    RecordCheckout(files[0], "1.3");
    RecordCheckout(files[1], "1.2.1.1");
    RecordCheckout(files[2], "1.2");
    // The read-me file changes after its check-out.
    WriteText("doc/readme.txt", "The demo project.\nBuild it with make.\nRun it with ./demo.\n");
    const std::time_t later = files[2]->recordedTime + 60;
    utimbuf times{later, later};
    utime("doc/readme.txt", &times);
    files[2]->UpdateStatus();
    return doc.OnSaveDocument(projectPath, error);
}

} // namespace kestro
