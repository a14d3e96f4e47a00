#include "archive/stored_classes.h"

#include "model/file_item.h"
#include "model/release_item.h"
#include "model/release_root.h"
#include "model/release_version_item.h"
#include "model/root_item.h"
#include "model/site.h"
#include "model/site_list.h"
#include "model/version_item.h"

#include <array>

namespace kestro {

namespace {

template <class T>
std::unique_ptr<Serializable> Create()
{
    return std::make_unique<T>();
}

const std::array<StoredClass, 8> storedClasses{{
    {"SiteList", 1, 3, &Create<SiteList>},
    {"Site", 1, 3, &Create<Site>},
    {"RCSRoot", 1, 4, &Create<RCSRoot>},
    {"RCSFileItem", 1, 4, &Create<RCSFileItem>},
    {"RCSVersionItem", 1, 4, &Create<RCSVersionItem>},
    {"RCSReleaseRoot", 1, 4, &Create<RCSReleaseRoot>},
    {"RCSReleaseItem", 1, 4, &Create<RCSReleaseItem>},
    {"RCSReleaseVersionItem", 1, 4, &Create<RCSReleaseVersionItem>},
}};

} // namespace

const StoredClass* FindStoredClass(std::string_view name)
{
    for (const StoredClass& stored : storedClasses) {
        if (name == stored.name)
            return &stored;
    }
    return nullptr;
}

} // namespace kestro
