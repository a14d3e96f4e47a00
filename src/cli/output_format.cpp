#include "cli/output_format.h"

#include "app/text_tree_view.h"
#include "model/file_item.h"
#include "model/release_item.h"
#include "model/release_root.h"
#include "model/root_item.h"
#include "model/version_item.h"

namespace kestro::cli {

namespace {

const char* KindOf(const RCSItem* item)
{
    if (dynamic_cast<const RCSRoot*>(item))
        return "project";
    if (dynamic_cast<const RCSFileItem*>(item))
        return "file";
    if (dynamic_cast<const RCSVersionItem*>(item))
        return "revision";
    if (dynamic_cast<const RCSReleaseRoot*>(item))
        return "releases";
    if (dynamic_cast<const RCSReleaseItem*>(item))
        return "release";
    return "entry";
}

void RenderNode(const TextTreeView& view, NodeId id, int depth, std::string& out)
{
    const TextTreeView::Node* node = view.node(id);
    if (!node)
        return;
    out += std::to_string(depth) + "\t" + std::to_string(node->image) + "\t" + KindOf(node->item) + "\t"
           + EscapeField(node->item ? node->item->name : std::string()) + "\t" + EscapeField(node->text) + "\n";
    for (const NodeId child : node->children)
        RenderNode(view, child, depth + 1, out);
}

} // namespace

std::string EscapeField(std::string_view text)
{
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '\\': escaped += "\\\\"; break;
        case '\t': escaped += "\\t"; break;
        case '\n': escaped += "\\n"; break;
        case '\r': escaped += "\\r"; break;
        default: escaped += c;
        }
    }
    return escaped;
}

std::string UnescapeField(std::string_view text)
{
    std::string plain;
    plain.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            plain += text[i];
            continue;
        }
        switch (text[++i]) {
        case 't': plain += '\t'; break;
        case 'n': plain += '\n'; break;
        case 'r': plain += '\r'; break;
        case '\\': plain += '\\'; break;
        default: plain += '\\'; plain += text[i];
        }
    }
    return plain;
}

std::string RenderTreeAsFields(const TextTreeView& view)
{
    std::string out;
    for (const NodeId id : view.topLevelNodes())
        RenderNode(view, id, 0, out);
    return out;
}

} // namespace kestro::cli
