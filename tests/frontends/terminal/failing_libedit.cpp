// A line-editing library that the game finds, with every call it takes from
// one, but that cannot start on the terminal: el_init fails, as the real one
// does when it cannot set the terminal up. Nothing else is ever called.
// NOLINTBEGIN
extern "C" {
void* el_init(const char*, void*, void*, void*) { return nullptr; }
void el_end(void*) {}
int el_set(void*, int, ...) { return -1; }
int el_wset(void*, int, ...) { return -1; }
int el_get(void*, int, ...) { return -1; }
int el_cursor(void*, int) { return 0; }
const void* el_line(void*) { return nullptr; }
const void* el_wline(void*) { return nullptr; }
void el_resize(void*) {}
const wchar_t* el_wgets(void*, int*) { return nullptr; }
void* history_init() { return nullptr; }
void history_end(void*) {}
int history(void*, void*, int, ...) { return -1; }
}
// NOLINTEND
