// Thousands of exchanges over a pseudo-terminal with faults injected at random: every result must
// match what the camera was told, and the program's memory must stay flat.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <random>

#include "camera/CameraParameterSet.h"
#include "camera/ParameterTable.h"
#include "link/PortPaths.h"
#include "support/ResidentMemory.h"
#include "support/SimProcess.h"

namespace {

int Exchanges() {
  const char* count = std::getenv("VQ_ENDURANCE_EXCHANGES");
  return count != nullptr ? std::atoi(count) : 2000;
}

}  // namespace

TEST(Endurance, RandomFaultsNeverCorruptAResult) {
  SimProcess sim;
  ASSERT_TRUE(sim.Start(VQ_CAMERA_SIM, {"--baud", "115200", "--random-faults", "10", "--seed", "7"}));
  AssignPortPath(1, sim.PtyPath());
  CameraParameterSet set;
  ASSERT_EQ(set.OpenSerialDefault(1, 115200), 0);

  // The setting rows a script may change freely: factory set and detection start camera functions.
  std::vector<ParameterId> rows;
  for (int i = 0; i <= ParamSubVoltage; ++i) {
    if (i != ParamFactorySet && i != ParamWhiteSpotDetect) rows.push_back(static_cast<ParameterId>(i));
  }
  std::map<ParameterId, int32_t> expected;
  for (ParameterId id : rows) expected[id] = ParameterTable::DefaultValue(id, true);

  std::mt19937 random(7);
  const int total = Exchanges();
  long residentAtThousand = 0;
  for (int n = 1; n <= total; ++n) {
    ParameterId id = rows[random() % rows.size()];
    if (random() % 2 == 0) {
      int32_t value = ParameterTable::Minimum(id, true) +
                      static_cast<int32_t>(random() % (ParameterTable::Maximum(id, true) - ParameterTable::Minimum(id, true) + 1));
      ASSERT_GE(set.WriteOne(id, value), 0) << "exchange " << n << ": " << set.LastErrorText();
      expected[id] = value;
    } else {
      ASSERT_GE(set.ReadOne(id), 0) << "exchange " << n << ": " << set.LastErrorText();
      ASSERT_EQ(set.GetValue(id, false), expected[id]) << "exchange " << n << ", " << ParameterTable::Identifier(id);
    }
    if (n == std::min(1000, total / 2)) residentAtThousand = ResidentKilobytes();
  }
  long growth = ResidentKilobytes() - residentAtThousand;
  RecordProperty("resident_growth_kib", static_cast<int>(growth));
  std::printf("%d exchanges, resident memory grew %ld KiB after exchange %d\n", total, growth, std::min(1000, total / 2));
  EXPECT_LE(growth, 256);
}
