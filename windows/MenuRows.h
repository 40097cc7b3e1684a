#pragma once

#include <initializer_list>

class CImageMenu;

// The client's popup menus look alike: their class, row height and hover
// colour, and rows of one dark caption button each. Owning thread: the
// menus' (main).
class MenuRows {
public:
    struct Entry {
        int id;
        const wchar_t* text;
    };

    MenuRows() = delete;

    static void Style(CImageMenu& menu);
    static void Add(CImageMenu& menu, std::initializer_list<Entry> entries);
    // Hides and destroys the menu's window; its rows are made again when it
    // next opens.
    static void Close(CImageMenu& menu);
};
