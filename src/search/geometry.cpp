#include "search/geometry.h"

#include <cstring>

#include "datafile/settings.h"
#include "target/target.h"

static int32_t max2(int32_t a, int32_t b)
{
    return a > b ? a : b;
}

int32_t scale_to_dpi(int32_t pixels, uint32_t dpi)
{
    const int64_t scaled = static_cast<int64_t>(pixels) * dpi;
    const int64_t half = base_dpi / 2;
    return static_cast<int32_t>((scaled >= 0 ? scaled + half : scaled - half) / static_cast<int64_t>(base_dpi));
}

os_rect search_window_rect(int32_t with_offsets, uint32_t dpi)
{
    auto at_dpi = [dpi](int32_t pixels) { return scale_to_dpi(pixels, dpi); };
    const int32_t dx = with_offsets == 1 ? at_dpi(settings.window_offset_x) : 0;
    const int32_t dy = with_offsets == 1 ? at_dpi(settings.window_offset_y) : 0;
    const int32_t px = target.caret_point.x, py = target.caret_point.y;
    const int32_t w = at_dpi(settings.search_window_width);
    const int32_t lw = at_dpi(settings.list_window_width), lh = at_dpi(settings.list_window_height);
    const int32_t vw = at_dpi(settings.preview_width), vh = at_dpi(settings.preview_height);
    const int32_t height = at_dpi(search_window_height), margin = at_dpi(screen_margin);
    // Kept on the monitor of the caret.
    const os_rect bounds = placement_bounds();
    const int32_t top = bounds.top + margin, left = bounds.left + margin;
    const int32_t right_edge = bounds.right, bottom_edge = bounds.bottom;
    const int32_t bottom_gap = height + margin; // 28 at 96 DPI

    int32_t total_width, y;
    if (settings.preview_mode == preview_above) {
        // The preview stands above the search window, the list below it.
        total_width = max2(max2(lw, vw), w) + dx;
        const int32_t all_height = lh + height + dy;
        if (py - vh + dy < top)
            y = vh + top;
        else if (py + all_height > bottom_edge - margin)
            y = bottom_edge - lh - bottom_gap;
        else
            y = py + dy;
    }
    else {
        // The preview (if any) stands beside the list.
        total_width = max2(lw + vw, w) + dx;
        const int32_t all_height = max2(lh, vh) + height + dy;
        if (py + dy < top)
            y = top;
        else if (py + all_height > bottom_edge - margin)
            y = bottom_edge - max2(lh, vh) - bottom_gap;
        else
            y = py + dy;
    }
    int32_t x;
    if (px + total_width > right_edge - margin)
        x = right_edge - (total_width - dx) - margin;
    else
        x = max2(px + dx, left);
    return os_rect{x, y, x + w, y + height};
}

static os_rect rect_at(int32_t x, int32_t y, int32_t width, int32_t height)
{
    return os_rect{x, y, x + width, y + height};
}

search_window_layout place_search_window_layout(const os_rect &search, uint32_t dpi)
{
    auto at_dpi = [dpi](int32_t pixels) { return scale_to_dpi(pixels, dpi); };
    const int32_t vw = at_dpi(settings.preview_width), vh = at_dpi(settings.preview_height);
    const int32_t gw = at_dpi(guidance_width), gh = at_dpi(guidance_height);
    search_window_layout out;
    memset(&out, 0, sizeof out);
    out.search = search;
    out.list = rect_at(search.left, search.bottom, at_dpi(settings.list_window_width),
                       at_dpi(settings.list_window_height));
    target.popup_origin = os_point{search.left, search.bottom};
    if (settings.preview_mode == preview_beside) {
        out.preview = rect_at(out.list.right, out.list.top, vw, vh);
        out.has_preview = 1;
        target.preview_top = out.list.top;
    }
    else if (settings.preview_mode == preview_above) {
        out.preview = rect_at(search.left, search.top - vh, vw, vh);
        out.has_preview = 1;
        target.preview_top = search.top - vh;
    }
    if (settings.guidance == 1) {
        if (settings.preview_mode == preview_beside)
            out.guidance = rect_at(search.left, search.top - gh, gw, gh);
        else
            out.guidance = rect_at(search.right, search.top + at_dpi(3), gw, gh);
        out.has_guidance = 1;
    }
    return out;
}
