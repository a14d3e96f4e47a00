#include "gui/app_icon.h"

#include <QDirIterator>

namespace kestro::gui {

QIcon ApplicationIcon()
{
    // The build renders one PNG per size into the resources, laid out as
    // the icon theme lays them out: SIZExSIZE/apps/kestro.png.
    QIcon icon;
    QDirIterator renderings(QStringLiteral(":/icons"), {QStringLiteral("kestro.png")}, QDir::Files,
                            QDirIterator::Subdirectories);
    while (renderings.hasNext())
        icon.addFile(renderings.next());
    return icon;
}

} // namespace kestro::gui
