// The program's resources as C++ tables: menus, accelerator tables, dialog templates,
// strings and icons, generated at build time from the same resource script that a Windows
// build compiles (platform/rc/rc_compile.py), so the two can never disagree.
#pragma once

#include <cstddef>

#include "platform/win32.h"

namespace qv::rc {

enum class MenuItemKind { Popup, Command, Separator };

// One menu item in a flat, depth-first list: level 0 is the menu bar, a popup's items
// follow it one level deeper.
struct MenuItem {
    int level;
    MenuItemKind kind;
    const char* text;  // as written, with '&' marking the mnemonic
    WORD id;
};

struct Menu {
    WORD id;
    const MenuItem* items;
    int count;
};

// An accelerator entry as the resource compiler stores it (ACCEL): flags, key, command.
struct AccelEntry {
    BYTE fVirt;
    WORD key;
    WORD cmd;
};

struct AccelTable {
    WORD id;
    const AccelEntry* entries;
    int count;
};

struct DialogControl {
    const char* statement;  // LTEXT, DEFPUSHBUTTON, ICON ...
    const char* className;  // "Static", "Button"
    const char* text;
    int iconId;  // ICON controls: the icon group shown; 0 otherwise
    int id;
    int x, y, cx, cy;  // dialog units
    DWORD style;
    DWORD exStyle;
};

struct DialogTemplate {
    WORD id;
    DWORD style;
    DWORD exStyle;
    int x, y, cx, cy;  // dialog units, relative to the owner's client area
    const char* caption;
    int fontSize;  // 0 when the template names no font
    const char* fontName;
    const DialogControl* controls;
    int controlCount;
};

struct StringEntry {
    WORD id;
    const char* text;
};

struct IconImage {
    int width, height, colors, bitCount;
};

struct IconGroup {
    WORD id;
    const char* file;
    const unsigned char* bytes;  // the .ico file as embedded
    std::size_t size;
    const IconImage* images;
    int imageCount;
};

template <typename T>
struct Span {
    const T* items;
    int count;
    const T* begin() const { return items; }
    const T* end() const { return items + count; }
};

struct ResourceTables {
    WORD language;
    Span<Menu> menus;
    Span<AccelTable> accelTables;
    Span<DialogTemplate> dialogs;
    Span<StringEntry> strings;
    Span<IconGroup> icons;
};

// Defined by the generated source of the program's resource script.
const ResourceTables& resources();

// Lookups by resource number; nullptr when the script has no such resource.
const Menu* findMenu(WORD id);
const AccelTable* findAccelTable(WORD id);
const DialogTemplate* findDialog(WORD id);
const StringEntry* findString(WORD id);
const IconGroup* findIcon(WORD id);

}  // namespace qv::rc
