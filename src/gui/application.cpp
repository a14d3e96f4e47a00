#include "gui/application.h"

#include "app/document.h"
#include "gui/command_dispatch.h"
#include "gui/gui_interaction.h"
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
        ShowMessageBox(&frame,
                       QString::fromStdString(fullPath
                                              + "\r\nis a release from another site. Receiving releases is not "
                                                "available yet, so nothing was received."),
                       MessageIcon::Information);
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
