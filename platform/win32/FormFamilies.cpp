// Windows: "MS Shell Dlg" is no font of its own; the system's font substitutes name the face it
// stands for ("Microsoft Sans Serif", or "Tahoma" on newer systems and under wine). "MS Sans Serif"
// is a bitmap face, which the toolkit sizes by its em rather than its cell: asked for 8 points it
// draws the 10-point bitmap, 8 x 16 dialog units instead of 6 x 13. Its outline successor,
// "Microsoft Sans Serif", drawn to the same metrics, stands in for it, and the dialog face for both.
#include "platform/FormFamilies.h"

#include "platform/win32/SystemErrors.h"

namespace {

constexpr const char* kOutlineSansSerif = "Microsoft Sans Serif";

std::string Substitute(const std::string& face) {
  static const wchar_t* const kSubstitutes = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes";
  std::vector<wchar_t> value(4 * LF_FACESIZE);
  DWORD size = static_cast<DWORD>(value.size() * sizeof(wchar_t));
  if (RegGetValueW(HKEY_LOCAL_MACHINE, kSubstitutes, WideName(face).c_str(), RRF_RT_REG_SZ, nullptr, value.data(),
                   &size) != ERROR_SUCCESS)
    return face;
  std::wstring substitute(value.data());
  // A substitute may name a character set after a comma ("Tahoma,0"); the face is what precedes it.
  substitute = substitute.substr(0, substitute.find(L','));
  return substitute.empty() ? face : Utf8Name(substitute);
}

}  // namespace

std::vector<std::string> FormFamilies(const std::string& layoutFace) {
  const std::string dialogFace = Substitute("MS Shell Dlg");
  std::vector<std::string> families;
  if (layoutFace == "MS Sans Serif") families = {kOutlineSansSerif, dialogFace};
  else families = {Substitute(layoutFace), kOutlineSansSerif};
  if (families[0] == families[1]) families.pop_back();
  return families;
}
