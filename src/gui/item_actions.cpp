#include "gui/item_actions.h"

#include "app/command_locks.h"
#include "gui/command_dispatch.h"
#include "gui/main_frame.h"
#include "gui/tree_view.h"
#include "model/file_item.h"
#include "model/version_item.h"
#include "ops/compare_choice.h"

#include <QMenu>

#include <string>

namespace kestro::gui {

bool FillItemMenu(CMainFrame& frame, const QPoint& pos, QMenu& menu)
{
    CKestroView& view = frame.view();
    QTreeWidgetItem* node = view.itemAt(pos);
    if (!node)
        return false;
    // A node among two picked revisions keeps the picks, so that Compare
    // from its menu compares them.
    if (node->isSelected())
        view.setCurrentItem(node, 0, QItemSelectionModel::NoUpdate);
    else
        view.setCurrentItem(node);
    frame.UpdateCommandUI();
    bool separatorDue = false;
    for (const auto& group : ItemCommandGroups()) {
        bool any = false;
        for (Command command : group) {
            QAction* action = frame.action(command);
            if (!action->isEnabled())
                continue;
            if (separatorDue && !any)
                menu.addSeparator();
            menu.addAction(action);
            any = true;
        }
        separatorDue = separatorDue || any;
    }
    return true;
}

void ActivateNode(CMainFrame& frame, QTreeWidgetItem* node)
{
    if (!node)
        return;
    RCSItem* target = nullptr;
    std::string revision1;
    std::string revision2;
    if (!CommandLocks::instance().IsCommandRunning()) {
        // Read under the tree lock: the status refresh may be changing the
        // item.
        TreeLock lock(&frame);
        RCSItem* item = frame.view().selectedItem();
        if (item && item->IsRevision()) {
            auto* revision = static_cast<RCSVersionItem*>(item);
            revision1 = PreviousRevision(*revision);
            revision2 = revision->name;
            if (!revision1.empty())
                target = revision->file;
        } else if (auto* file = dynamic_cast<RCSFileItem*>(item); file && file->StatusCode() == Modified) {
            revision1 = file->workingRevision;
            target = file;
        }
    }
    if (target)
        frame.dispatch().CompareRevisions(target, revision1, revision2);
    else
        node->setExpanded(!node->isExpanded());
}

} // namespace kestro::gui
