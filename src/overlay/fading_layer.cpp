#include "overlay/fading_layer.h"

#include <algorithm>
#include <cstdlib>

#include "trail/stroke.h"

namespace {

// Room around the trail when the window is placed, in pixels, and the steps
// its size grows in. Little: Wine copies the whole window at every present,
// so a frame costs more in a larger window.
constexpr int kRoom = 48;

trail::Rect Around(trail::Point p, int reach) noexcept { return {p.x - reach, p.y - reach, p.x + reach + 1, p.y + reach + 1}; }

trail::Rect Offset(trail::Rect r, int dx, int dy) noexcept { return {r.left + dx, r.top + dy, r.right + dx, r.bottom + dy}; }

}  // namespace

bool FadingLayer::ShowSample(HWND window, HWND insertAfter, const trail::TrailHistory& history,
                             const trail::TrailStyle& style, trail::Rect screen, trail::Point pointer) noexcept {
    // The whole window is presented when it moves or grows, is shown again,
    // or the style (its opacity among it) changed; else what changed.
    const bool whole = !shown_ || !(style == style_);
    const trail::Rect before = trail::Union(drawn_, headDrawn_);
    style_ = style;
    const int margin = trail::FadingMargin(image_, nullptr, style);
    const trail::TrueScaleFrame frame = trail::FrameTrail(history, margin, screen);
    // The head will run on about as far as the pointer went since the last
    // sample: the window holds that too, so that it moves at a sample, not in
    // the middle of the frames.
    const int lead = std::max(std::abs(history[0].x - history[1].x), std::abs(history[0].y - history[1].y));
    const trail::Rect placed = trail::PlaceFadingWindow(trail::Union(frame.window, Around(pointer, margin + lead)),
                                                        placed_, trail::Union(screen, frame.window), kRoom);
    if (!canvas_.ready() || trail::Width(placed) != trail::Width(placed_) ||
        trail::Height(placed) != trail::Height(placed_)) {
        // A new size: a new image, zeroed, at the window's size.
        canvas_.Detach();
        if (!image_.Create(trail::Width(placed), trail::Height(placed)) || !canvas_.Attach(image_)) {
            Release();
            Hide(window);
            return false;
        }
    } else {
        canvas_.Clear(before);
    }
    const trail::Rect previous = placed_;
    placed_ = placed;
    const int dx = frame.window.left - placed.left;
    const int dy = frame.window.top - placed.top;
    path_ = frame.path;
    for (int i = 0; i < path_.count; ++i) path_.pixels[i] = {path_.pixels[i].x + dx, path_.pixels[i].y + dy};
    drawn_ = Offset(frame.window, -placed.left, -placed.top);
    trail::DrawFadingTrail(canvas_, drawn_, path_, style_);
    canvas_.Keep(drawn_);

    head_ = pointer;
    trail::StrokeSamples head;
    headDrawn_ = HeadRect(pointer, head);
    trail::DrawFadingHead(canvas_, headDrawn_, head, path_, style_);
    const trail::Rect changed = trail::Union(before, trail::Union(drawn_, headDrawn_));
    if (!Present(window, whole || placed != previous ? nullptr : &changed)) return false;
    // The z-order is asserted when the window is shown and at every sample, not at every frame.
    ::SetWindowPos(window, insertAfter, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW | SWP_NOACTIVATE);
    shown_ = true;
    return true;
}

bool FadingLayer::ShowFrame(HWND window, trail::Point pointer) noexcept {
    if (!shown_ || !canvas_.ready() || pointer == head_) return true;
    trail::StrokeSamples head;
    const trail::Rect covered = HeadRect(pointer, head);
    if (!trail::Contains(canvas_.Bounds(), covered)) return false;
    head_ = pointer;
    // What the head covered before goes back to the sample's pixels, and the head is drawn anew over them.
    const trail::Rect dirty = trail::Union(covered, headDrawn_);
    canvas_.Restore(dirty);
    trail::DrawFadingHead(canvas_, dirty, head, path_, style_);
    headDrawn_ = covered;
    Present(window, &dirty);
    return true;
}

trail::Rect FadingLayer::HeadRect(trail::Point pointer, trail::StrokeSamples& line) const noexcept {
    const trail::Point at{pointer.x - placed_.left, pointer.y - placed_.top};
    line = trail::HeadLine(at, path_, !style_.straightLines, static_cast<float>(canvas_.Pixels(style_.lineWidthPt)));
    trail::Rect covered = style_.drawLines ? trail::LineBounds(line, 2.0f) : trail::Rect{};
    if (style_.drawPoints && path_.count > 0)
        covered = trail::Union(covered, Around(path_.pixels[0], canvas_.Pixels(style_.pointWidthPt) / 2 + 2));
    return covered;
}

bool FadingLayer::Present(HWND window, const trail::Rect* dirty) noexcept {
    POINT position{placed_.left, placed_.top};
    SIZE size{trail::Width(placed_), trail::Height(placed_)};
    POINT origin{0, 0};
    // The opacity is the constant alpha over the image's own.
    BLENDFUNCTION blend{AC_SRC_OVER, 0, trail::AlphaFromOpacity(style_.opacityPercent), AC_SRC_ALPHA};
    const RECT changed = dirty ? RECT{dirty->left, dirty->top, dirty->right, dirty->bottom} : RECT{};
    // One call moves, sizes and paints, so no frame shows the old trail at
    // the new place. While the window keeps its place and size, only the
    // rectangle that changed is blended and uploaded ("UPDATELAYEREDWINDOWINFO
    // structure", Microsoft Docs).
    const UPDATELAYEREDWINDOWINFO info{sizeof info, nullptr,  &position, &size, canvas_.dc(), &origin, 0,
                                       &blend,      ULW_ALPHA, dirty ? &changed : nullptr};
    if (present(window, &info)) return true;
    // Never a stale image: hidden until the next sample tries again.
    Hide(window);
    return false;
}

void FadingLayer::Hide(HWND window) noexcept {
    ::ShowWindow(window, SW_HIDE);
    shown_ = false;
}

void FadingLayer::Release() noexcept {
    canvas_.Detach();
    image_.Destroy();
    placed_ = drawn_ = headDrawn_ = {};
    path_ = {};
    shown_ = false;
}
