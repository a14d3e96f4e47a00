#pragma once

// The open project as items and commands see it: its trees, its sites and
// the directories it works in. The document (app/document.h), which also
// reads and writes the project file, is the one kind of project.

#include <memory>
#include <string>

namespace kestro {

class RCSRoot;
class RCSReleaseRoot;
class SiteList;

class Project {
public:
    Project();
    virtual ~Project();
    Project(const Project&) = delete;
    Project& operator=(const Project&) = delete;

    // The open project of the process, or null.
    static Project* current();

    std::unique_ptr<RCSRoot> root;
    std::unique_ptr<RCSReleaseRoot> releaseRoot;
    std::unique_ptr<SiteList> siteList;

    // The project file's path; empty before it is first saved.
    virtual const std::string& GetPathName() const = 0;
    // The project file's name without its extension.
    virtual std::string GetTitle() const = 0;
    virtual std::string GetProjectDirectory() const = 0;
    // Absolute, ends in "/".
    virtual std::string GetWorkingDirectory() const = 0;
    virtual void SetModifiedFlag(bool modified = true) = 0;
    // Writes the release name file, when the project has one, for a release
    // just made.
    virtual void WriteReleaseNameFile(const std::string& releaseName) const = 0;

protected:
    // Stops this project being the current one and drops its trees, items
    // before the sites they refer to. A derived class calls it in its
    // destructor, while its own parts still exist.
    void Close();
};

} // namespace kestro
