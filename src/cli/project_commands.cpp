// The commands on the project as a whole: new, show, add, sync and demo.

#include "app/demo_project.h"
#include "app/text_tree_view.h"
#include "cli/cli_session.h"
#include "cli/item_lookup.h"
#include "cli/output_format.h"
#include "model/item.h"
#include "model/paths.h"

#include <filesystem>
#include <iostream>

namespace kestro::cli {

int CommandNew(const Arguments& args)
{
    std::error_code error;
    if (std::filesystem::exists(args.project, error))
        return Fail(args.project + " already exists");
    CKestroDoc doc;
    doc.OnNewDocument();
    std::string message;
    if (!doc.OnSaveDocument(args.project, message))
        return Fail(message);
    return 0;
}

int CommandShow(const Arguments& args)
{
    if (const std::string* format = Value(args, "--format"); format && *format != "tsv" && *format != "text")
        return UsageFail("--format takes text or tsv");
    TextTreeView view;
    SetItemView(&view);
    Session session;
    const bool opened = session.Open(args.project, false);
    if (opened)
        session.doc.InsertTreesIntoView();
    SetItemView(nullptr);
    if (!opened)
        return 1;
    const std::string* format = Value(args, "--format");
    if (format && *format == "tsv")
        std::cout << RenderTreeAsFields(view);
    else
        std::cout << view.Render(Has(args, "--codes"));
    return 0;
}

int CommandAdd(const Arguments& args)
{
    // Paths may be written with either separator and are taken relative to
    // the caller's directory, before the project's becomes current.
    std::vector<std::string> paths;
    for (const std::string& item : args.items) {
        paths.push_back(FullPath(NativePath(item)));
        std::error_code error;
        if (!std::filesystem::is_regular_file(paths.back(), error))
            return Fail("No file " + item + " to add");
    }
    Session session;
    if (!session.Open(args.project))
        return 1;
    bool historiesRead = false;
    const std::vector<RCSFileItem*> added = session.doc.AddFiles(paths, &historiesRead);
    return session.Finish(added.size() == args.items.size() && historiesRead ? 0 : 1);
}

int CommandSync(const Arguments& args)
{
    Session session;
    // Synchronising brings the status of what it reads up to date itself.
    session.doc.statusOnOpen = false;
    if (!session.Open(args.project))
        return 1;
    std::string error;
    RCSItem* item = FindItem(session.doc, args.items.empty() ? std::string() : args.items.front(), error, session.callerDirectory());
    if (!item)
        return Fail(error);
    const int result = item->Synchronise(true);
    session.doc.SetModifiedFlag(true);
    return session.Finish(result);
}

int CommandDemo(const Arguments& args)
{
    // The one command without a project file: its argument is the directory.
    const std::string directory = args.project;
    CKestroDoc doc;
    std::string projectPath;
    std::string error;
    if (!BuildDemoProject(doc, directory, projectPath, error))
        return Fail(error);
    std::cout << projectPath << "\n";
    return 0;
}

} // namespace kestro::cli
