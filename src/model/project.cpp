#include "model/project.h"

#include "model/release_root.h"
#include "model/root_item.h"
#include "model/site_list.h"

#include <atomic>

namespace kestro {

namespace {

std::atomic<Project*> currentProject{nullptr};

} // namespace

Project::Project()
{
    currentProject.store(this);
}

Project::~Project()
{
    Close();
}

Project* Project::current()
{
    return currentProject.load();
}

void Project::Close()
{
    Project* self = this;
    currentProject.compare_exchange_strong(self, nullptr);
    root.reset();
    releaseRoot.reset();
    siteList.reset();
}

} // namespace kestro
