// kestro-cli: runs one command on a project file and saves the project when
// the command changed it.

#include "app/document.h"
#include "app/text_tree_view.h"
#include "cli/cli_arguments.h"
#include "model/options.h"

#include <QCoreApplication>

#include <cstdio>
#include <filesystem>
#include <iostream>

namespace {

using kestro::CKestroDoc;
using kestro::cli::Arguments;

const char* const usage =
    "Usage: kestro-cli COMMAND PROJECT.rcs [OPTIONS] [ITEMS]\n"
    "\n"
    "Commands:\n"
    "  new PROJECT.rcs             create an empty project (refuses an existing file)\n"
    "  show PROJECT.rcs [--codes]  print the release tree and the file tree, one node\n"
    "                              a line, two spaces of indent per level; --codes\n"
    "                              starts each line with the item's status code\n"
    "\n"
    "Exit status: 0 on success, 1 when the command failed, 2 for a usage error.\n";

int UsageError(const std::string& message)
{
    std::cerr << "kestro-cli: " << message << "\n\n" << usage;
    return 2;
}

int CommandNew(const Arguments& args)
{
    std::error_code error;
    if (std::filesystem::exists(args.project, error)) {
        std::cerr << "kestro-cli: " << args.project << " already exists\n";
        return 1;
    }
    CKestroDoc doc;
    doc.OnNewDocument();
    std::string message;
    if (!doc.OnSaveDocument(args.project, message)) {
        std::cerr << "kestro-cli: " << message << "\n";
        return 1;
    }
    return 0;
}

int CommandShow(const Arguments& args)
{
    kestro::TextTreeView view;
    kestro::SetItemView(&view);
    CKestroDoc doc;
    std::string message;
    const bool opened = doc.OnOpenDocument(args.project, message);
    if (opened)
        doc.InsertTreesIntoView();
    kestro::SetItemView(nullptr);
    if (!opened) {
        std::cerr << "kestro-cli: " << message << "\n";
        return 1;
    }
    std::cout << view.Render(args.flags.count("--codes") > 0);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    for (const std::string& argument : arguments) {
        if (argument == "--help" || argument == "-h") {
            std::cout << usage;
            return 0;
        }
    }
    Arguments args;
    std::string error;
    if (!kestro::cli::ParseArguments(arguments, {}, args, error))
        return UsageError(error);
    if (args.command.empty())
        return UsageError("no command given");
    if (args.project.empty())
        return UsageError("no project file given");

    kestro::RCSOptions::instance().LoadOptions();
    if (args.command == "new")
        return CommandNew(args);
    if (args.command == "show")
        return CommandShow(args);
    return UsageError("unknown command " + args.command);
}
