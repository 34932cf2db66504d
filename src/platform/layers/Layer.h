#pragma once
// A small retained layer tree, drawn with cairo at a given media time (LayerRender.h).
//
// Geometry. All coordinates have y growing downward. A layer has its own coordinate space,
// in which its background, contents, shape, gradient, sublayers and mask are laid out:
//  - `bounds` is the layer's rectangle in its own space; its origin is the coordinate of
//    the layer's top-left corner there (usually (0, 0)).
//  - `anchorPoint` picks a point of the bounds in unit coordinates ((0, 0) the top-left
//    corner, (1, 1) the bottom-right, (0.5, 0.5) the centre, the default).
//  - `position` is where that anchor point lies in the superlayer's space.
//  - `transform` applies about the anchor point: a point p of the layer goes to
//    position + transform(p − anchor), where transform includes its own translation.
//  - A bare layer (zero bounds, zero position) therefore draws its sublayers in its
//    superlayer's coordinates, moved by its transform only.
// Unit coordinates of gradients share the orientation: (0, 0) is the top-left of the bounds.
//
// Drawing, back to front: the background colour (rounded by `cornerRadius`), the contents
// (drawContent(): the image stretched over the bounds, or what a subclass draws), then the
// sublayers in order. Nothing is clipped to the bounds. A layer with a mask, an opacity
// below 1 or a compositing filter is drawn as a group: everything it draws is gathered,
// then multiplied by the mask's alpha (the mask is laid out in the layer's own space, like
// a sublayer; outside the mask nothing shows), then by the opacity, then composited onto
// what lies beneath it in the same surface with the filter (normal or multiply).
//
// Nothing animates implicitly: setting a property shows the new value at once; only
// animations added with add() move anything. Main thread only.

#include "platform/Blend.h"
#include "platform/Clock.h"
#include "platform/Color.h"
#include "platform/Geometry.h"
#include "platform/layers/Animation.h"

#include <cairo.h>

#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace nolby {

class Layer : public std::enable_shared_from_this<Layer> {
public:
    Layer() = default;
    virtual ~Layer() = default;
    Layer(const Layer&) = delete;
    Layer& operator=(const Layer&) = delete;

    // Found again by name and by marks (a mark is a flag set to true under a key).
    std::string name;
    std::set<std::string> marks;
    bool marked(std::string_view mark) const { return marks.count(std::string(mark)) > 0; }

    Rect bounds{0, 0, 0, 0};
    Point position;
    Point anchorPoint{0.5, 0.5};
    Affine transform;
    double opacity = 1;
    bool hidden = false;
    // Shown stretched over the bounds, sampled bilinearly, its edge pixels extended.
    ImageRef contents;
    Color backgroundColor{0, 0, 0, 0};
    double cornerRadius = 0;
    // normal or multiply (other modes go through cairo's own operators).
    BlendMode compositingFilter = BlendMode::normal;
    // Its alpha masks this layer; it has no superlayer.
    std::shared_ptr<Layer> mask;

    // The bounding box of the bounds in the superlayer's space (with the model transform).
    Rect frame() const;
    // Sets the bounds' size to the frame's and places the anchor point inside it, so that an
    // untransformed layer covers `frame`; the bounds' origin is kept.
    void setFrame(const Rect& frame);
    // The map from this layer's space into its superlayer's at time t (presented transform).
    Affine toSuperlayer(double t) const;

    // Sublayers, drawn in order (later ones above).
    const std::vector<std::shared_ptr<Layer>>& sublayers() const { return sublayers_; }
    std::shared_ptr<Layer> superlayer() const { return superlayer_.lock(); }
    // Appends `layer` (taken from its former superlayer first).
    void addSublayer(const std::shared_ptr<Layer>& layer);
    // Inserts at `index`, clamped to 0...count.
    void insertSublayer(const std::shared_ptr<Layer>& layer, size_t index);
    void removeFromSuperlayer();
    void removeAllSublayers();

    // Adds a copy of `animation` under `key`, replacing one with the same key. An empty
    // begin time becomes `now`.
    void add(const Animation& animation, const std::string& key, double now);
    void add(const Animation& animation, const std::string& key, const Clock& clock) {
        add(animation, key, clock.now());
    }
    std::shared_ptr<const Animation> animation(std::string_view key) const;
    std::vector<std::string> animationKeys() const;
    void removeAnimation(std::string_view key);
    void removeAllAnimations();

    // The model value of a property (what shows when nothing animates it). Keys a layer
    // does not have read as their defaults: strokeEnd 1, startPoint (0.5, 0), endPoint
    // (0.5, 1), transform.scale 1.
    virtual LayerValue value(KeyPath key) const;
    // The value shown at media time t: the model value as the layer's animations present
    // it. The transform includes any transform.scale animation. Contents may be a CrossFade.
    LayerValue presented(KeyPath key, double t) const;
    double presentedNumber(KeyPath key, double t) const;
    Point presentedPoint(KeyPath key, double t) const;
    Affine presentedTransform(double t) const;

    // Draws what the layer itself shows above its background, in its own space, at time t:
    // the contents image. Subclasses draw their shape, gradient or ink, after the contents.
    virtual void drawContent(cairo_t* cr, double t) const;
    // The area drawContent() and the background may cover, in the layer's own space; null
    // when they draw nothing. Groups are sized from it.
    virtual Rect drawnExtent(double t) const;

    // Every animation with its key, in the order added (for the renderer and pruning).
    struct Keyed {
        std::string key;
        std::shared_ptr<const Animation> animation;
    };
    const std::vector<Keyed>& animations() const { return animations_; }
    // Drops finished animations that are removed on completion; returns how many.
    size_t pruneAnimations(double t);

private:
    std::vector<std::shared_ptr<Layer>> sublayers_;
    std::weak_ptr<Layer> superlayer_;
    std::vector<Keyed> animations_;
};

using LayerRef = std::shared_ptr<Layer>;

// The bounding box of a rectangle mapped through `m` (null stays null).
Rect mappedBounds(const Affine& m, const Rect& r);

namespace draw {
// Paints an image stretched over `rect`: bilinear, edges extended, at `alpha`, with `op`.
void stretchedImage(cairo_t* cr, const Image& image, const Rect& rect, double alpha = 1,
                    cairo_operator_t op = CAIRO_OPERATOR_OVER);
}  // namespace draw

}  // namespace nolby
