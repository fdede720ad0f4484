#pragma once

// How the class room shares the window's width, left to right: the user
// list, the centre panel (its page list, then the course area) and the
// right column with the video and the chat. The centre panel and the right
// column both lay themselves out from this one computation, so the centre
// ends exactly where the column begins. GUI thread.
namespace RoomColumns {

struct Widths {
    int left = 0; // the user list: 80 narrow, 170 or 192 wide
    int list = 0; // the page list, 0 while it is collapsed
    int centre = 0; // the course area
    int right = 0; // the right column
};

// The column keeps at least the chat's tool row (four tools and the send
// button) and the teacher card's name beside its like count.
constexpr int kMinimumRight = 200;

// The widths for a window windowWidth wide, from the user list's mode, the
// page list's state and what the chat needs, as the panels stand now.
Widths For(int windowWidth);

// The same from the raw facts: a quarter of what the user list and the page
// list leave goes to the column, and never less than minimumRight.
Widths Compute(int windowWidth, bool wideUserList, bool listCollapsed, int minimumRight);

} // namespace RoomColumns
