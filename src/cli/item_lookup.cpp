#include "cli/item_lookup.h"

#include "app/document.h"
#include "model/file_item.h"
#include "model/paths.h"
#include "model/release_item.h"
#include "model/release_root.h"
#include "model/release_version_item.h"
#include "model/root_item.h"
#include "model/version_item.h"

#include <filesystem>

namespace kestro::cli {

namespace {

constexpr std::string_view ReleasePrefix = "release:";

RCSFileItem* FindFileItem(CKestroDoc& doc, const std::string& name, const std::string& callerDirectory,
                          std::string& error)
{
    if (!callerDirectory.empty() && !name.empty()) {
        const std::string native = NativePath(name);
        const std::string path = FullPath(native.front() == '/' ? native : callerDirectory + native);
        const std::string& working = doc.workingDirectory;
        std::error_code missing;
        if (path.starts_with(working) && std::filesystem::exists(path, missing)) {
            if (RCSFileItem* file = doc.root->FindFile(ModelName(path.substr(working.size()))))
                return file;
        }
    }
    RCSFileItem* file = doc.root->FindFile(ModelName(name));
    if (!file)
        error = "No file " + name + " in the project";
    return file;
}

} // namespace

RCSItem* FindItem(CKestroDoc& doc, const std::string& argument, std::string& error,
                  const std::string& callerDirectory)
{
    if (argument.empty())
        return doc.root.get();
    if (argument.starts_with(ReleasePrefix)) {
        const std::string rest = argument.substr(ReleasePrefix.size());
        const std::size_t slash = rest.find('/');
        const std::string releaseName = rest.substr(0, slash);
        RCSReleaseItem* release = doc.releaseRoot->FindRelease(releaseName);
        if (!release) {
            error = "No release " + releaseName + " in the project";
            return nullptr;
        }
        if (slash == std::string::npos)
            return release;
        const std::string fileName = rest.substr(slash + 1);
        RCSReleaseVersionItem* entry = release->FindFileEntry(ModelName(fileName));
        if (!entry)
            error = "Release " + releaseName + " has no entry for " + fileName;
        return entry;
    }
    const std::size_t at = argument.rfind('@');
    if (at != std::string::npos) {
        RCSFileItem* file = FindFileItem(doc, argument.substr(0, at), callerDirectory, error);
        if (!file)
            return nullptr;
        const std::string number = argument.substr(at + 1);
        RCSVersionItem* revision = file->FindRevision(number);
        if (!revision)
            error = file->name + " has no revision " + number;
        return revision;
    }
    return FindFileItem(doc, argument, callerDirectory, error);
}

} // namespace kestro::cli
