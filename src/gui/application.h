#pragma once

// Every file handed to the program (the command line, a drop on the window,
// the recent-file list) arrives here and is routed by its extension: a
// project file (".rcs") is opened, a release command file (".rcc") is
// received, and any other file is added to the project.

#include <QString>

namespace kestro {
class CKestroDoc;
}

namespace kestro::gui {

class CMainFrame;

// The document, or null when the file was not taken (it does not exist, is
// a directory, or the project could not be opened).
CKestroDoc* OpenDocumentFile(CMainFrame& frame, const QString& path);

} // namespace kestro::gui
