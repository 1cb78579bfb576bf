// Scroll arithmetic of the scroll box and its separate scroll bar, without
// windows.
#pragma once

namespace dw::ui {

// The highest position of content `range` pixels high seen through a view
// `visible` pixels high.
int LastScrollPosition(int range, int visible);

// Where a wheel turn of `delta` (120 a notch, positive away from the user)
// takes the content: delta / 10 rounded up, towards the start for positive
// turns, kept between 0 and LastScrollPosition.
int WheelScrollPosition(int position, int delta, int range, int visible);

enum class ScrollRequest { LineUp, LineDown, PageUp, PageDown, Track, Top, Bottom };

// Where a scroll bar with positions 0..max and a page of `page` goes on a
// request: small and large steps, the dragged thumb at `track`; kept
// between 0 and max - page + 1 as the system's bars are.
int ScrollBarTarget(ScrollRequest request, int position, int track, int max, int page,
                    int smallStep, int largeStep);

}  // namespace dw::ui
