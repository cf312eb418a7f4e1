// Numeric ids of the menu commands and shortcuts.
#pragma once

namespace CommandIds {

inline constexpr int FileNew = 57600;
inline constexpr int FileOpen = 57601;
inline constexpr int FileSave = 57603;
inline constexpr int FileSaveAs = 57604;
inline constexpr int RecentFile = 57616;  // first entry of the recent-file list
inline constexpr int AppExit = 57665;
inline constexpr int AppAbout = 57664;
inline constexpr int EditCopy = 57634;
inline constexpr int EditCut = 57635;
inline constexpr int EditPaste = 57637;
inline constexpr int EditUndo = 57643;
inline constexpr int NextPane = 57680;
inline constexpr int PreviousPane = 57681;

inline constexpr int SerialPort = 32772;
inline constexpr int ReadFromCamera = 32773;
inline constexpr int ReadFromCameraKey = 32774;
inline constexpr int WriteToCamera = 32775;
inline constexpr int WriteToCameraKey = 32776;
inline constexpr int ManualCommand = 32777;
inline constexpr int CommandMenu = 32779;
inline constexpr int CommandMenuKey = 32780;

inline constexpr int PortPane = 59142;
inline constexpr int StatusBar = 59393;

}  // namespace CommandIds
