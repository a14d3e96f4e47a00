// Bringing a release in from another site: receive applies a command file
// that the site sent, import takes a directory tree of its files. Paths are
// taken relative to the directory the command was started in.

#include "cli/cli_session.h"
#include "model/options.h"
#include "model/paths.h"
#include "model/site_list.h"
#include "ops/commands.h"

#include <filesystem>

namespace kestro::cli {

int CommandReceive(const Arguments& args)
{
    // Opening the project makes its directory current.
    const std::string path = FullPath(args.items.front());
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return Fail(args.items.front() + " is not a file");
    Session session;
    if (!session.Open(args.project))
        return 1;
    // The receive dialog's switches; lock and keep-time do not govern a
    // receive's check-ins, which always lock and take the current time.
    ReceiveSettings& settings = RCSOptions::instance().receive;
    settings.lock = false;
    settings.keepTime = false;
    settings.mergeAfterImport = Has(args, "--merge");
    const int result = session.doc.siteList->ReceiveRelease(path);
    session.doc.SetModifiedFlag(true);
    return session.Finish(result);
}

int CommandImport(const Arguments& args)
{
    const std::string* site = Value(args, "--site");
    const std::string* directory = Value(args, "--dir");
    const std::string* release = Value(args, "--release");
    if (!site || !directory || !release)
        return UsageFail("import needs --site SITE, --dir DIRECTORY and --release NAME");
    if (!IsValidReleaseName(*release))
        return 1;
    const std::string sourceDirectory = FullPath(*directory);
    Session session;
    if (!session.Open(args.project))
        return 1;
    // The settings the import dialog would hold, each from the command line.
    ImportSettings& settings = RCSOptions::instance().import;
    settings.sourceSite = *site;
    settings.sourceDirectory = sourceDirectory;
    settings.releaseName = *release;
    const std::string* message = Value(args, "-m");
    settings.message = message ? *message : std::string();
    settings.includeSubdirectories = Has(args, "--subdirectories");
    settings.mergeAfterImport = Has(args, "--merge");
    settings.lock = Has(args, "--lock");
    settings.force = Has(args, "--force");
    settings.keepTime = Has(args, "--keep-time");
    settings.determineRevision = Has(args, "--determine-revision");
    const int result = session.doc.siteList->ImportRelease();
    session.doc.SetModifiedFlag(true);
    return session.Finish(result);
}

} // namespace kestro::cli
