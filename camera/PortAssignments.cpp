// "Ports"/"COM1".."COM10" in the settings store, shared by the windowed program, vqctl and vqcam.
#include "camera/PortAssignments.h"

#include <string>

#include "camera/UserSettings.h"
#include "link/PortPaths.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"

void LoadPortAssignments() {
  const UserSettings store(LoadString(StringIds::CompanyKey), LoadString(StringIds::ApplicationTitle));
  for (int port = FirstComPort; port <= LastComPort; ++port) {
    std::optional<std::string> path = store.Text("Ports", "COM" + std::to_string(port));
    if (path && !path->empty()) AssignPortPath(port, *path);
  }
}
