#include "gui/application.h"

#include "app/document.h"
#include "gui/command_dispatch.h"
#include "gui/main_frame.h"
#include "model/paths.h"
#include "model/string_helpers.h"

namespace kestro::gui {

CKestroDoc* OpenDocumentFile(CMainFrame& frame, const QString& path)
{
    std::string fullPath, directory, fileName, extension;
    if (SplitPath(path.toStdString(), fullPath, directory, fileName, extension) != 1)
        return nullptr;
    CKestroDoc& doc = frame.document();
    if (EqualsNoCase(extension, "rcs"))
        return frame.OpenProject(QString::fromStdString(fullPath)) ? &doc : nullptr;
    if (EqualsNoCase(extension, "rcc")) {
        // The same guarded way as the Receive command: the work runs on the
        // worker, never on this thread.
        frame.dispatch().ReceiveCommandFile(QString::fromStdString(fullPath));
        return &doc;
    }
    if (!doc.root) {
        TreeLock lock(&frame);
        if (!doc.OnNewDocument())
            return nullptr;
    }
    frame.dispatch().AddFiles({QString::fromStdString(fullPath)});
    return &doc;
}

} // namespace kestro::gui
