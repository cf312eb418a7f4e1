// The menu and shortcut tables of the main window, as the operator sees them.
#include "resources/MenuTable.h"

#include "resources/CommandIds.h"

namespace {

const char* const Titles[] = {"&File", "&Interface", "&Help"};

const MenuEntry Entries[] = {
    {0, "&Open...\tCtrl+O", CommandIds::FileOpen},
    {0, "&Save\tCtrl+S", CommandIds::FileSave},
    {0, "Save &As...", CommandIds::FileSaveAs},
    {0, nullptr, 0},
    {0, "Recent File", CommandIds::RecentFile},
    {0, nullptr, 0},
    {0, "E&xit", CommandIds::AppExit},
    {1, "Manual Command...", CommandIds::ManualCommand},
    {1, "&Read From Camera\tCtrl+R", CommandIds::ReadFromCamera},
    {1, "&Write To Camera\tCtrl+W", CommandIds::WriteToCamera},
    {1, nullptr, 0},
    {1, "Seria&l Port...\tCtrl+L", CommandIds::SerialPort},
    {1, "Command Menu ", CommandIds::CommandMenu},
    {2, "&About VQ-R310NTX...", CommandIds::AppAbout},
};

const MenuBar Bar = {Titles, sizeof Titles / sizeof Titles[0], Entries, sizeof Entries / sizeof Entries[0]};

const Accelerator Keys[] = {
    {"Ctrl+N", CommandIds::FileNew},          {"Ctrl+O", CommandIds::FileOpen},
    {"Ctrl+S", CommandIds::FileSave},         {"Ctrl+R", CommandIds::ReadFromCameraKey},
    {"Ctrl+W", CommandIds::WriteToCameraKey}, {"Ctrl+P", CommandIds::CommandMenuKey},
    {"Ctrl+C", CommandIds::EditCopy},         {"Ctrl+Ins", CommandIds::EditCopy},
    {"Ctrl+X", CommandIds::EditCut},          {"Shift+Del", CommandIds::EditCut},
    {"Ctrl+V", CommandIds::EditPaste},        {"Shift+Ins", CommandIds::EditPaste},
    {"Ctrl+Z", CommandIds::EditUndo},         {"Alt+Backspace", CommandIds::EditUndo},
    {"F6", CommandIds::NextPane},             {"Shift+F6", CommandIds::PreviousPane},
};

}  // namespace

const MenuBar& MainMenu() { return Bar; }

const Accelerator* Accelerators(size_t& count) {
  count = sizeof Keys / sizeof Keys[0];
  return Keys;
}

const char* CommandPrompt(int commandId) {
  switch (commandId) {
    case CommandIds::SerialPort: return "Select A Communication Port";
    case CommandIds::ReadFromCamera: return "Read Every Camera Data From Camera";
    case CommandIds::WriteToCamera: return "Write Every Camera Data To Camera";
    case CommandIds::ManualCommand: return "Send or Receive Message Manually";
    case CommandIds::CommandMenu: return "Adjust Camera Data";
    default: return nullptr;
  }
}
