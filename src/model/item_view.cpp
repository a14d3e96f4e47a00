#include "model/item_view.h"

#include <atomic>

namespace kestro {

namespace {
std::atomic<ItemView*> currentView{nullptr};
}

ItemView* CurrentItemView()
{
    return currentView.load();
}

void SetItemView(ItemView* view)
{
    currentView.store(view);
}

} // namespace kestro
