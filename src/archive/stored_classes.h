#pragma once

// The classes that may appear as objects in a project file, by their stored
// names, with the schema numbers this program can read. The archive reads
// objects through this table; the model, which owns the classes, defines it
// (model/stored_classes.cpp).

#include "archive/archive.h"

#include <cstdint>
#include <memory>
#include <string_view>

namespace kestro {

struct StoredClass {
    const char* name;
    std::uint16_t oldestSchema;
    std::uint16_t newestSchema;
    std::unique_ptr<Serializable> (*create)();
};

// Null when no class of that name may be stored.
const StoredClass* FindStoredClass(std::string_view name);

} // namespace kestro
