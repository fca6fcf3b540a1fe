#include "overlay/fading_layer.h"

#include <algorithm>
#include <cstdlib>

#include "trail/stroke.h"
#include "win/screen.h"

namespace {

// Room around what a window must hold when it is placed, in pixels, and the
// steps its size is rounded to. Little: a larger window costs more to present.
constexpr int kRoom = 24;

trail::Rect Around(trail::Point p, int reach) noexcept {
    return {p.x - reach, p.y - reach, p.x + reach + 1, p.y + reach + 1};
}

trail::Rect Offset(trail::Rect r, int dx, int dy) noexcept {
    return {r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
}

enum class Fit { Kept, Made, Failed };

// The canvas on an image of `placed`'s size: kept while the size holds, else
// made anew (zeroed).
Fit FitCanvas(trail::FadingCanvas& canvas, win::BackBuffer& image, trail::Rect placed, trail::Rect current) noexcept {
    if (canvas.ready() && trail::Width(placed) == trail::Width(current) &&
        trail::Height(placed) == trail::Height(current))
        return Fit::Kept;
    canvas.Detach();
    return image.Create(trail::Width(placed), trail::Height(placed)) && canvas.Attach(image) ? Fit::Made : Fit::Failed;
}

}  // namespace

FadingLayer::~FadingLayer() { Close(); }

void FadingLayer::Close() noexcept {
    Release();
    if (headWindow_ && ::IsWindow(headWindow_)) ::DestroyWindow(headWindow_);
    headWindow_ = nullptr;
}

bool FadingLayer::ShowSample(HWND window, HWND insertAfter, const trail::TrailHistory& history,
                             const trail::TrailStyle& style, trail::Rect screen, trail::Point pointer) noexcept {
    window_ = window;
    if (!headWindow_) headWindow_ = win::MakeClickThroughWindow();
    // The whole window is presented when it moves or grows, is shown again,
    // or the style (its opacity among it) changed; else what changed.
    const bool whole = !shown_ || !(style == style_);
    const trail::Rect before = drawn_;
    style_ = style;
    const int margin = trail::FadingMargin(image_, nullptr, style);
    const trail::TrueScaleFrame frame = trail::FrameTrail(history, margin, screen);
    screen_ = trail::Union(screen, frame.window);
    const trail::Rect placed = trail::PlaceFadingWindow(frame.window, placed_, screen_, kRoom);
    const Fit fit = FitCanvas(canvas_, image_, placed, placed_);
    if (fit == Fit::Failed) return Fail();
    if (fit == Fit::Kept) canvas_.Clear(before);
    const trail::Rect previous = placed_;
    placed_ = placed;
    const int dx = frame.window.left - placed.left;
    const int dy = frame.window.top - placed.top;
    path_ = frame.path;
    for (int i = 0; i < path_.count; ++i) path_.pixels[i] = {path_.pixels[i].x + dx, path_.pixels[i].y + dy};
    newestOnScreen_ = history[0];
    // Beyond a few hundred pixels the head's window is placed anew in a frame instead.
    constexpr int kLongestLead = 256;
    lead_ =
        std::min(kLongestLead, std::max(std::abs(history[0].x - history[1].x), std::abs(history[0].y - history[1].y)));
    drawn_ = Offset(frame.window, -placed.left, -placed.top);
    trail::DrawFadingTrail(canvas_, drawn_, path_, style_);
    const trail::Rect changed = trail::Intersect(trail::Union(before, drawn_), canvas_.Bounds());
    if (!Present(window, canvas_, placed_, whole || placed != previous ? nullptr : &changed)) return false;
    if (!ShowHead(pointer, whole)) return false;
    // The z-order and the showing are asserted at every sample, not at every
    // frame: the trail's just below `insertAfter`, the head's just above it.
    // Looked at first, as moving a window costs more than asking where it is.
    // Whether the windows are still shown is asked of the system, not of our
    // own note: the trail's window is owned by the main window, and "an owned
    // window is hidden when its owner is minimized" ("Window Features",
    // Microsoft Docs), so a restore and a minimise hide it behind our back.
    const bool inOrder = shown_ && ::IsWindowVisible(window) && ::IsWindowVisible(headWindow_) &&
                         ::GetWindow(window, GW_HWNDPREV) == headWindow_ &&
                         ::GetWindow(headWindow_, GW_HWNDPREV) == (insertAfter == HWND_TOPMOST ? nullptr : insertAfter);
    if (!inOrder) {
        constexpr UINT kShow = SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW | SWP_NOACTIVATE;
        // Each goes just below `insertAfter`, the head's last, so above the trail's.
        ::SetWindowPos(window, insertAfter, 0, 0, 0, 0, kShow);
        ::SetWindowPos(headWindow_, insertAfter, 0, 0, 0, 0, kShow);
    }
    shown_ = true;
    return true;
}

void FadingLayer::ShowFrame(trail::Point pointer) noexcept {
    if (!shown_ || pointer == head_) return;
    ShowHead(pointer, false);
}

bool FadingLayer::ShowHead(trail::Point pointer, bool whole) noexcept {
    head_ = pointer;
    const int margin = trail::FadingMargin(image_, nullptr, style_);
    // The head's window holds the newest sample and the pointer. When it no
    // longer does, it is placed anew with room for as far again as the
    // pointer went between the last two samples, so that it moves about once
    // a sample, and made anew when it has grown far larger than that needs.
    const trail::Rect held = trail::Union(Around(newestOnScreen_, margin), Around(pointer, margin));
    trail::Rect placed = headPlaced_;
    if (!trail::Contains(headPlaced_, held) || !headCanvas_.ready()) {
        const trail::Rect needed = trail::Union(Around(newestOnScreen_, margin + lead_), Around(pointer, margin));
        const auto area = [](trail::Rect r) { return static_cast<long long>(trail::Width(r)) * trail::Height(r); };
        const bool oversized = area(headPlaced_) > 4 * area(trail::Inflate(needed, kRoom));
        placed = trail::PlaceFadingWindow(needed, oversized ? trail::Rect{} : headPlaced_, screen_, kRoom);
    }
    const Fit fit = FitCanvas(headCanvas_, headImage_, placed, headPlaced_);
    if (fit == Fit::Failed) return Fail();
    whole = whole || fit == Fit::Made || placed != headPlaced_;
    headImage_.SetDpi(image_.dpi());
    headPlaced_ = placed;

    // The newest two samples in the head's pixels: all the head needs of the trail.
    trail::PlacedPath recent;
    recent.count = std::min(path_.count, 2);
    for (int i = 0; i < recent.count; ++i)
        recent.pixels[i] = {path_.pixels[i].x + placed_.left - placed.left,
                            path_.pixels[i].y + placed_.top - placed.top};
    const trail::Point at{pointer.x - placed.left, pointer.y - placed.top};
    const trail::StrokeSamples line =
        trail::HeadLine(at, recent, !style_.straightLines, static_cast<float>(headCanvas_.Pixels(style_.lineWidthPt)));
    trail::Rect covered = style_.drawLines ? trail::LineBounds(line, 2.0f) : trail::Rect{};
    if (style_.drawPoints && recent.count > 0)
        covered = trail::Union(covered, Around(recent.pixels[0], headCanvas_.Pixels(style_.pointWidthPt) / 2 + 2));
    // What the head covered before is cleared, and the head drawn anew. At the
    // screen's edge the window is cut to the screen but the pen's reach is
    // not: the dirty rectangle must lie within the window ("UPDATELAYEREDWINDOWINFO
    // structure", Microsoft Docs).
    const trail::Rect dirty =
        whole ? headCanvas_.Bounds() : trail::Intersect(trail::Union(covered, headDrawn_), headCanvas_.Bounds());
    headCanvas_.Clear(dirty);
    trail::DrawFadingHead(headCanvas_, dirty, line, recent, style_);
    headDrawn_ = covered;
    return Present(headWindow_, headCanvas_, headPlaced_, whole ? nullptr : &dirty);
}

bool FadingLayer::Present(HWND window, trail::FadingCanvas& canvas, trail::Rect placed,
                          const trail::Rect* dirty) noexcept {
    POINT position{placed.left, placed.top};
    SIZE size{trail::Width(placed), trail::Height(placed)};
    POINT origin{0, 0};
    // The opacity is the constant alpha over the image's own.
    BLENDFUNCTION blend{AC_SRC_OVER, 0, trail::AlphaFromOpacity(style_.opacityPercent), AC_SRC_ALPHA};
    const RECT changed = dirty ? RECT{dirty->left, dirty->top, dirty->right, dirty->bottom} : RECT{};
    // One call moves, sizes and paints, so no frame shows the old trail at
    // the new place. While the window keeps its place and size, it is given
    // neither, and only the rectangle that changed is blended and uploaded
    // ("UPDATELAYEREDWINDOWINFO structure", Microsoft Docs).
    const UPDATELAYEREDWINDOWINFO info{
        sizeof info, nullptr,   dirty ? nullptr : &position, dirty ? nullptr : &size, canvas.dc(), &origin, 0,
        &blend,      ULW_ALPHA, dirty ? &changed : nullptr};
    if (present(window, &info)) return true;
    // Never a stale image: hidden until the next sample tries again.
    Hide(window_);
    return false;
}

bool FadingLayer::Fail() noexcept {
    Release();
    Hide(window_);
    return false;
}

void FadingLayer::Hide(HWND window) noexcept {
    ::ShowWindow(window, SW_HIDE);
    if (headWindow_) ::ShowWindow(headWindow_, SW_HIDE);
    shown_ = false;
}

void FadingLayer::Release() noexcept {
    canvas_.Detach();
    image_.Destroy();
    headCanvas_.Detach();
    headImage_.Destroy();
    placed_ = headPlaced_ = drawn_ = headDrawn_ = {};
    path_ = {};
    // The head's window shows its last image until it is hidden; the trail's is its owner's to hide.
    if (headWindow_) ::ShowWindow(headWindow_, SW_HIDE);
    shown_ = false;
}
