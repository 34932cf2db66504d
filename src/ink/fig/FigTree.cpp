// Trees: a hierarchy of nodes in rounded boxes, circles or bare text, one row per depth.
// Leaves take consecutive columns from the left and every parent sits over the middle of its
// first and last child. Edges and their labels are drawn first (FigTreeEdges.cpp), then the
// nodes, parents before their children.
#include "ink/fig/Fig.h"
#include "ink/ops/StrokeOp.h"

#include <algorithm>
#include <memory>

namespace nolby {

Fig::NodeRef Fig::treeBuild(const J& o, int depth, int& budget) {
    auto node = std::make_shared<Node>(o, depth);
    --budget;
    if (depth >= kMaxTreeDepth) return node;
    for (const J& kid : o.objs("kids")) {
        // The budget never grows back, so once it is spent every later kid is left out.
        if (budget < 1) break;
        node->kids.push_back(treeBuild(kid, depth + 1, budget));
    }
    return node;
}

void Fig::treeWalk(const NodeRef& node, std::vector<NodeRef>& list) {
    list.push_back(node);
    for (const NodeRef& kid : node->kids) treeWalk(kid, list);
}

void Fig::treePlace(Node& node, int& counter) {
    if (node.kids.empty()) {
        node.slot = counter++;
        return;
    }
    for (const NodeRef& kid : node.kids) treePlace(*kid, counter);
    node.slot = (node.kids.front()->slot + node.kids.back()->slot) / 2;
}

int Fig::treeSpan(const Node& node) {
    if (node.kids.empty()) return 1;
    int n = 0;
    for (const NodeRef& kid : node.kids) n += treeSpan(*kid);
    return n;
}

double Fig::spreadWidth(const Node& node, const TreeFrame& f) const {
    return std::min(std::max(0.86 * f.CW * treeSpan(node), f.NW), 26 * k);
}

double Fig::fitSize(const std::string& text, double w, double h, double cap) const {
    // The same trial as `fit`: start at 62 % of the height, shrink by 10 % while too big.
    const double width = 0.88 * w;
    double s = std::min(0.62 * h, cap);
    Hand::Result m = measure(text, width, s, Faces::Face::hand);
    auto fits = [&] { return m.lines.size() <= 2 && m.height <= 0.98 * h && m.width <= width; };
    for (int tries = 0; !fits() && s > 13 * u && tries < kMaxFitTries; ++tries) {
        s = 0.9 * s;
        m = measure(text, width, s, Faces::Face::hand);
    }
    return s;
}

double Fig::treeTextSize(const std::vector<NodeRef>& list, const TreeFrame& f) const {
    // With elbow connectors the tree reads as one chart: every node shares the smallest size
    // that any node's text needs.
    double size = textSize;
    for (const NodeRef& n : list) {
        const std::string text = n->o.str("text", "");
        if (blank(text)) continue;
        size = std::min(size, fitSize(text, spreadWidth(*n, f), f.NH, textSize));
    }
    return size;
}

void Fig::treeNode(const Node& node, const std::string& itemColor, const TreeFrame& f, double cap, double w) {
    const std::string own = node.o.str("c", "");
    const Color color = Ink::color(own.empty() ? itemColor : own, Ink::ink);
    const double bw = f.circle ? f.CWd : f.elbow ? spreadWidth(node, f) : f.NW;
    const Rect rect{node.x - bw / 2, node.y - f.NH / 2, bw, f.NH};

    // Any name washes, "none" included: an unknown name takes the highlighter's own colour.
    const std::string fillName = node.o.str("fill", "");
    if (!fillName.empty()) f.circle ? washOval(rect, fillName) : wash(rect, fillName);
    if (node.o.bool_("hl", false)) f.circle ? washOval(rect, "yellow") : wash(rect, "yellow");

    Path path;
    if (f.circle) rough.ellipse(path, node.x, node.y, f.CWd, f.NH, 1);
    else if (!f.none) rough.rect(path, rect.x, rect.y, bw, f.NH, true, 1);
    if (!path.isEmpty()) ops.push_back(std::make_shared<StrokeOp>(path, pen(color, 0.9 * w), 1, 1));

    // A circle's text keeps off its curved sides.
    const Rect textBox = f.circle ? rect.insetBy(0.04 * bw, 0) : rect;
    fit(node.o.str("text", ""), textBox, color, cap, Faces::Face::hand);
}

void Fig::tree(const J& o, Color /*color: nodes take their own*/, double w) {
    const std::optional<J> rootObject = o.obj("root");
    if (!rootObject) return;
    const double x = cl(o.num("x", 2)), y = cl(o.num("y", 3));
    const double width = cl(o.num("w", 96)), height = cl(o.num("h", boxH - 6));
    // An area with no room draws nothing, rather than nodes piled up or turned inside out.
    if (!(width > 0) || !(height > 0)) return;

    int budget = kMaxTreeNodes;
    const NodeRef root = treeBuild(*rootObject, 0, budget);
    std::vector<NodeRef> list;
    treeWalk(root, list);
    int levels = 1;
    for (const NodeRef& n : list) levels = std::max(levels, n->depth + 1);
    int counter = 0;
    treePlace(*root, counter);
    const int leaves = std::max(counter, 1);

    TreeFrame f;
    f.left = ox + x * k;
    f.top = oy + y * k;
    f.CW = width * k / leaves;
    f.RH = height * k / levels;
    f.NW = std::min(26 * k, 0.86 * f.CW);
    f.NH = std::min(10 * k, 0.56 * f.RH);
    f.CWd = std::min(1.3 * f.NH, f.NW);
    for (const NodeRef& n : list) {
        n->x = f.left + f.CW * (n->slot + 0.5);
        n->y = f.top + f.RH * (n->depth + 0.5);
    }

    const std::string shape = o.str("shape", "box");
    f.circle = shape == "circle";
    f.none = shape == "none";
    f.elbow = o.bool_("elbow", false) || o.str("lines", "") == "elbow";
    f.arrows = o.str("edge", "") == "arrow";

    TreeEdges edges;
    if (f.elbow) elbowEdges(list, f, edges);
    else straightEdges(list, f, edges);
    const Color ec = Ink::color(o.str("ec", "grey"), Ink::ink);
    const Pen edgePen = pen(ec, 2 * pw);
    if (!edges.lines.isEmpty()) ops.push_back(std::make_shared<StrokeOp>(edges.lines, edgePen, 1, 1));
    if (!edges.heads.isEmpty()) ops.push_back(std::make_shared<StrokeOp>(edges.heads, edgePen, 2, 1));
    ops.insert(ops.end(), edges.labels.begin(), edges.labels.end());

    const double cap = f.elbow ? treeTextSize(list, f) : textSize;
    const std::string itemColor = o.str("c", "ink");
    for (const NodeRef& n : list) treeNode(*n, itemColor, f, cap, w);
}

}  // namespace nolby
