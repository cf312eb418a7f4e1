// The string table's contents, kept exactly as the operator sees them (typos included).
#include "resources/StringTable.h"

#include <map>

namespace {

const std::map<int, const char*>& Table() {
  static const std::map<int, const char*> table = {
      {62101, "OK, No error present!"},
      {62102, "This should be a software error."},
      {62103, "Communication port number invalid."},
      {62104, "Communication port not opened."},
      {62105, "Can not open communciation port."},
      {62106, "Communication time out detected.\nCheck the connection."},
      {62107, "Bad chacter size specified in sending/receiving data to the camera unit."},
      {62108, "Missing overlap operation for reading/writing data to the specified port."},
      {62109, "Purge operation failure for communication port."},
      {62110, "Serial line break condition detected."},
      {62111, "Framing error detected on camera communication."},
      {62112, "Serial communication I/O error."},
      {62113, "General software error (?). I do not know the cause."},
      {62114, "Character overrun detected on serial communciation."},
      {62115, "Receiver buffer full."},
      {62116, "Parity error detected in received data."},
      {62117, "Transmit buffer full."},
      {62118, "Unselected parallel device."},
      {62119, "Time out on parallel device."},
      {62120, "Paper empty."},
      {62121, "Unexpected character received from camera unit."},
      {62122, "Bad character size in received packet from camera unit."},
      {62123, "No STX character found in received data from camera unit."},
      {62124, "No ETX character found in received data."},
      {62125, "Invalid character type found in received data from camera unit."},
      {62126, "Check sum code mismatched in received data from camera unit."},
      {62127, "ERROR - %1"},
      {62128, "Illegal message size of transmission data. "},
      {62129, "Too long message received."},
      // The serial number's and the white-spot detection's messages, and the adjustment log's.
      {62130, "This camera is not written the Serial Number.\nPlease tell design engineer."},
      {62131, "Serial number cannot be written.\nPlease input the number of %1 digits. "},
      {62132, "Serial number cannot be written.\nPlease input the decimal number. "},
      {62133, "Detect is finished."},
      {62134, "Number of detect is over."},
      {62135, "Detect error"},
      {62136, "%1 is opend. Please close %1"},
      {62137, "%1 could not be written.\n%2"},
      {62138, "Serial Number"},
      {62139, "Board Open Error"},
      {62140, "Error"},
      // Status texts.
      {62000, "Uploading %1 data from camera..."},
      {62001, "Sending %1 data to camera..."},
      {62002, "Ready"},
      {62100, "File type mismatch.\nFile \"%1\" does not contain data for %2 apprication."},
      // Display names of the camera registers.
      {62201, "Shutter Speed"},
      {62202, "Trigger Mode"},
      {62204, "Trigger Polarity"},
      {62207, "Gain Level"},
      {62208, "Black Level"},
      {62231, "(Reserved)"},
      {62238, "Data Bit"},
      {62240, "Programable Shutter"},
      {62241, "VD/FVAL"},
      {62242, "Adjust Gain"},
      {62244, "Partial Scan Start"},
      {62245, "Partial Scan Width"},
      {62246, "Partial Scan ON/OFF"},
      {62247, "HD/LVAL"},
      {62249, "Sub Voltage"},
      {62250, "Trigger Source"},
      {62251, "Output Flash out/VD"},
      {62252, "2xAccel ON/OFF "},
      {62265, "Camera Information"},
      {62267, "White Spot Correction ON/OFF"},
      {62268, "White Spot Detect Threshlevel"},
      {62269, "Factory Set"},
      {62272, "White Spot Detect"},
      {62273, "Test Patarn"},
      {62277, "Smear Reduction ON/OFF"},
      // The application's and the document framework's own texts.
      {57344, "VQ-R310NTX"},
      {57346, "Norvane Imaging Ltd."},
      {61699, "Save changes to %1?"},
      {61728, "Unexpected file format."},
  };
  return table;
}

}  // namespace

std::string LoadString(int id) {
  const auto& table = Table();
  auto it = table.find(id);
  return it == table.end() ? std::string() : std::string(it->second);
}

std::string FormatString(const std::string& pattern, const std::string& argument) {
  return FormatString(pattern, {argument});
}

std::string FormatString(const std::string& pattern, std::initializer_list<std::string> arguments) {
  std::string result;
  for (size_t i = 0; i < pattern.size(); ++i) {
    size_t n = i + 1 < pattern.size() ? static_cast<size_t>(pattern[i + 1] - '1') : arguments.size();
    if (pattern[i] == '%' && n < arguments.size()) {
      result += *(arguments.begin() + n);
      ++i;
    } else {
      result += pattern[i];
    }
  }
  return result;
}
