// Where the search window and its companions (list, preview, guidance) go, next to the caret and
// kept on screen, and how large they are at a monitor's DPI. Owns only the arithmetic; the front
// moves the windows. Records popup_origin (the search window's lists open below it) and preview_top
// in the target record.
#pragma once

#include <cstdint>

#include "os/os.h"

constexpr int32_t search_window_height = 23;
constexpr int32_t guidance_width = 100;
constexpr int32_t guidance_height = 18;
constexpr int32_t screen_margin = 5;
constexpr uint32_t base_dpi = 96;

// A size in 96-DPI pixels (the program's own sizes and the data file's) at `dpi`, rounded to the
// nearest pixel with halves away from zero, as MulDiv rounds. Every size of the search window goes
// through it, so that at 96 DPI nothing moves.
int32_t scale_to_dpi(int32_t pixels, uint32_t dpi);

// Where the search window and its companions go. The front moves the search window to
// `search_window_rect`, reads back the rectangle the system gave it, and moves the others to the
// rectangles `place_search_window_layout` derives from that one.
struct search_window_layout {
    os_rect search; // as given
    os_rect list;
    os_rect preview;  // meaningful only when has_preview
    os_rect guidance; // meaningful only when has_guidance
    int32_t has_preview;
    int32_t has_guidance;
};
// The search window's rectangle next to caret_point, kept on screen, sized for `dpi`; with_offsets
// adds window_offset_x/y.
os_rect search_window_rect(int32_t with_offsets, uint32_t dpi);
// The list, preview and guidance rectangles for the search window at `search`, sized for `dpi`;
// also records popup_origin (below the search window) and preview_top.
search_window_layout place_search_window_layout(const os_rect &search, uint32_t dpi);
