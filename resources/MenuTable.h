// The main window's menu, its shortcut table and the prompts shown while an entry is highlighted.
#pragma once

#include <cstddef>

struct MenuEntry {
  int menu;          // index of the top-level menu
  const char* text;  // nullptr for a separator; the part after a tab is the shortcut shown
  int commandId;
};

struct MenuBar {
  const char* const* titles;
  size_t menuCount;
  const MenuEntry* entries;
  size_t entryCount;
};

struct Accelerator {
  const char* keys;  // as a key sequence text, e.g. "Ctrl+O"
  int commandId;
};

const MenuBar& MainMenu();
const Accelerator* Accelerators(size_t& count);
// The status-bar prompt of a command, or nullptr.
const char* CommandPrompt(int commandId);

inline constexpr const char* DeveloperModeName = "QL7 engineering menu";
