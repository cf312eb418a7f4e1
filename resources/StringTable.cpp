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
  std::string result;
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] == '1') {
      result += argument;
      ++i;
    } else {
      result += pattern[i];
    }
  }
  return result;
}
