#pragma once

#include <string>

namespace kestro::cli {

// Makes the heap that opening the project will take ready in one step.
// Building a project's tree makes tens of thousands of small objects, and
// the first touch of each heap page costs a page fault; on a virtual
// machine those faults cost more than the building itself, while readying
// the same pages in one call costs a tenth of that. The command line lives
// for one command, so the heap is kept rather than given back on the way.
void PrepareHeapForProject(const std::string& projectPath);

} // namespace kestro::cli
