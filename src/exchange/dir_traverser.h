#pragma once

// Walks a directory tree the way TreeTraverser walks an item tree: `depth`
// counts the levels above the first one visited, with the same flags. Names
// beginning with "." are neither entered nor visited. Symbolic links are
// visited as themselves and never followed, so a walk stays inside the tree
// it was started on and cannot loop.

#include <cstdint>
#include <string>

namespace kestro {

class DirTraverser {
public:
    enum Flags : std::uint16_t {
        VisitAllLevels = 1,
        Unlimited = 2,
        PostOrder = 4,
    };

    DirTraverser(std::int16_t startDepth, std::uint16_t walkFlags) : depth(startDepth), flags(walkFlags) {}
    virtual ~DirTraverser() = default;

    // A non-zero result ends the whole walk and is returned by Traverse.
    virtual int Visit() = 0;
    // 0 when the path does not exist.
    int Traverse(const std::string& path);

    std::int16_t depth;
    std::uint16_t flags;

    // The entry being visited: its path as the walk built it from the start
    // path, and what it is. A link to a directory is neither.
    std::string fullPath;
    bool isDirectory = false;
    bool isFile = false;  // a regular file, or a link to one
};

// Removes every entry it visits; failures are ignored.
class DelTraverser : public DirTraverser {
public:
    using DirTraverser::DirTraverser;
    int Visit() override;
};

} // namespace kestro
