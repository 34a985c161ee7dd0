#include "search/geometry.h"

#include <cstring>

#include "datafile/settings.h"
#include "target/target.h"

static int32_t max2(int32_t a, int32_t b)
{
    return a > b ? a : b;
}

os_rect search_window_rect(int32_t with_offsets)
{
    const int32_t dx = with_offsets == 1 ? settings.window_offset_x : 0;
    const int32_t dy = with_offsets == 1 ? settings.window_offset_y : 0;
    const int32_t px = target.caret_point.x, py = target.caret_point.y;
    const int32_t w = settings.search_window_width;
    const int32_t lw = settings.list_window_width, lh = settings.list_window_height;
    const int32_t vw = settings.preview_width, vh = settings.preview_height;
    // Kept on the monitor of the caret.
    const os_rect bounds = placement_bounds();
    const int32_t top = bounds.top + screen_margin, left = bounds.left + screen_margin;
    const int32_t right_edge = bounds.right, bottom_edge = bounds.bottom;
    const int32_t bottom_gap = search_window_height + screen_margin; // 28

    int32_t total_width, y;
    if (settings.preview_mode == preview_above) {
        // The preview stands above the search window, the list below it.
        total_width = max2(max2(lw, vw), w) + dx;
        const int32_t height = lh + search_window_height + dy;
        if (py - vh + dy < top)
            y = vh + top;
        else if (py + height > bottom_edge - screen_margin)
            y = bottom_edge - lh - bottom_gap;
        else
            y = py + dy;
    }
    else {
        // The preview (if any) stands beside the list.
        total_width = max2(lw + vw, w) + dx;
        const int32_t height = max2(lh, vh) + search_window_height + dy;
        if (py + dy < top)
            y = top;
        else if (py + height > bottom_edge - screen_margin)
            y = bottom_edge - max2(lh, vh) - bottom_gap;
        else
            y = py + dy;
    }
    int32_t x;
    if (px + total_width > right_edge - screen_margin)
        x = right_edge - (total_width - dx) - screen_margin;
    else
        x = max2(px + dx, left);
    return os_rect{x, y, x + w, y + search_window_height};
}

static os_rect rect_at(int32_t x, int32_t y, int32_t width, int32_t height)
{
    return os_rect{x, y, x + width, y + height};
}

search_window_layout place_search_window_layout(const os_rect &search)
{
    search_window_layout out;
    memset(&out, 0, sizeof out);
    out.search = search;
    out.list = rect_at(search.left, search.bottom, settings.list_window_width, settings.list_window_height);
    target.popup_origin = os_point{search.left, search.bottom};
    if (settings.preview_mode == preview_beside) {
        out.preview = rect_at(out.list.right, out.list.top, settings.preview_width, settings.preview_height);
        out.has_preview = 1;
        target.preview_top = out.list.top;
    }
    else if (settings.preview_mode == preview_above) {
        out.preview = rect_at(search.left, search.top - settings.preview_height, settings.preview_width,
                              settings.preview_height);
        out.has_preview = 1;
        target.preview_top = search.top - settings.preview_height;
    }
    if (settings.guidance == 1) {
        if (settings.preview_mode == preview_beside)
            out.guidance =
                rect_at(search.left, search.top - guidance_height, guidance_width, guidance_height);
        else
            out.guidance = rect_at(search.right, search.top + 3, guidance_width, guidance_height);
        out.has_guidance = 1;
    }
    return out;
}
