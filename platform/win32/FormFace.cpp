// Windows: the face itself, or what the system's font substitutes map it to ("MS Shell Dlg" is no
// font of its own; it names "Microsoft Sans Serif" or "Tahoma", whichever the system chose).
#include "platform/FormFace.h"

#include <vector>

#include "platform/win32/SystemErrors.h"

std::string FormFace(const std::string& layoutFace) {
  static const wchar_t* const kSubstitutes = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes";
  std::vector<wchar_t> value(4 * LF_FACESIZE);
  DWORD size = static_cast<DWORD>(value.size() * sizeof(wchar_t));
  if (RegGetValueW(HKEY_LOCAL_MACHINE, kSubstitutes, WideName(layoutFace).c_str(), RRF_RT_REG_SZ, nullptr,
                   value.data(), &size) != ERROR_SUCCESS)
    return layoutFace;
  std::wstring substitute(value.data());
  // A substitute may name a character set after a comma ("Tahoma,0"); the face is what precedes it.
  substitute = substitute.substr(0, substitute.find(L','));
  return substitute.empty() ? layoutFace : Utf8Name(substitute);
}
