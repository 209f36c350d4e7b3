// Special keys. The game reads an arrow, a function key and the like as two
// codes: 0, then one of these. Every front end gives the same code for the
// same key.
#pragma once

constexpr int KEY_UP = 72;
constexpr int KEY_DOWN = 80;
constexpr int KEY_RIGHT = 77;
constexpr int KEY_LEFT = 75;
constexpr int KEY_HOME = 71;
constexpr int KEY_END = 79;
constexpr int KEY_INSERT = 82;
constexpr int KEY_DELETE = 83;
constexpr int KEY_PAGE_UP = 73;
constexpr int KEY_PAGE_DOWN = 81;
constexpr int KEY_F1 = 59;  // F1..F10 follow on
constexpr int KEY_F11 = 133;
// A special key the front end does not know.
constexpr int KEY_UNKNOWN = 1;
