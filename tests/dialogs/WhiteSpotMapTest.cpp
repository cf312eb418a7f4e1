// The white spot map read back from its picture: marks at their pixels, the scan window, growth, hover names.
#include <gtest/gtest.h>

#include <QImage>

#include "dialogs/WhiteSpotMap.h"

namespace {

constexpr QRgb Spot = WhiteSpotMap::SpotColour;
constexpr QRgb Sensor = WhiteSpotMap::SensorColour;
constexpr QRgb Window = WhiteSpotMap::WindowColour;

// A quarter of the 1392 x 1040 sensor each way: sensor pixel (x, y) lands on (x / 4, y / 4).
struct QuarterMap : WhiteSpotMap {
  explicit QuarterMap(std::vector<WhiteSpot::Spot> spots) {
    resize(348, 260);
    SetSpots(std::move(spots));
  }
  QRgb At(QPoint p) { return grab().toImage().convertToFormat(QImage::Format_RGB32).pixel(p); }
};

}  // namespace

TEST(WhiteSpotMap, MarksEachSpotAtItsPixelOverTheSensorAndTheScanWindow) {
  QuarterMap map({{10, 20}, {300, 5}, {1000, 999}, {1391, 1039}, {0, 460}});
  map.SetScanWindow(WhiteSpotMap::ScanWindow{401, 200});  // lines 401..600, from 0: 400..599, y 100..149
  const std::tuple<QPoint, QRgb, const char*> pixels[] = {
      {{2, 5}, Spot, "(10, 20)"},         {{75, 1}, Spot, "(300, 5)"},
      {{250, 249}, Spot, "(1000, 999)"},  {{347, 259}, Spot, "the last pixel"},
      {{0, 115}, Spot, "over the window"}, {{200, 50}, Sensor, "no spot"},
      {{20, 255}, Sensor, "no spot"},     {{200, 100}, Window, "the window's first line"},
      {{200, 149}, Window, "its last"},   {{200, 99}, Sensor, "above it"},
      {{200, 150}, Sensor, "below it"},
  };
  for (auto [point, colour, what] : pixels) EXPECT_EQ(map.At(point), colour) << what;

  map.SetScanWindow(std::nullopt);
  EXPECT_EQ(map.At({200, 120}), Sensor) << "partial scan off";
  map.SetScanWindow(WhiteSpotMap::ScanWindow{1000, 200});
  EXPECT_EQ(map.At({200, 259}), Window) << "a window past the last line ends with the sensor";
  EXPECT_EQ(map.Image(), map.grab().toImage().convertToFormat(QImage::Format_RGB32)) << "what is saved is what is shown";
}

TEST(WhiteSpotMap, GrowsTheAreaForASpotBeyondTheSensorInsteadOfDroppingIt) {
  const std::tuple<WhiteSpot::Spot, QSize, QPoint, QPoint> cases[] = {
      // spot, drawn area, its mark's pixel, a pixel beside the drawn area
      {{1391, 1039}, {1392, 1040}, {347, 259}, {-1, -1}},
      {{2783, 519}, {2784, 1040}, {347, 64}, {10, 200}},  // half as large, the lower half outside
      {{0, 2079}, {1392, 2080}, {0, 259}, {300, 10}},
      {{1392, 1040}, {1393, 1041}, {347, 259}, {-1, -1}},
  };
  for (auto [spot, area, place, outside] : cases) {
    QuarterMap map({spot});
    EXPECT_EQ(map.Area(), area) << spot.x << "," << spot.y;
    EXPECT_EQ(map.Place(spot.x, spot.y), place);
    EXPECT_EQ(map.At(place), Spot);
    if (outside.x() >= 0) {
      EXPECT_NE(map.At(outside), Sensor) << "beyond the drawn area";
    }
  }
}

TEST(WhiteSpotMap, NamesTheNearestSpotWithinAFewPixels) {
  // Marks at (2, 5), (75, 1), (250, 249) and (252, 249).
  QuarterMap map({{10, 20}, {300, 5}, {1000, 999}, {1008, 999}});
  const std::tuple<QPoint, int> points[] = {
      {{2, 5}, 1},   {{5, 5}, 1},     {{2, 10}, 1},    {{2, 11}, 0},     {{75, 4}, 2},
      {{251, 249}, 3 /* a tie: the first */}, {{253, 250}, 4}, {{150, 150}, 0}, {{-3, 5}, 1},
  };
  for (auto [point, number] : points) EXPECT_EQ(map.SpotAt(point), number) << point.x() << "," << point.y();
  EXPECT_EQ(map.SpotText(2), "No. 2: x = 300, y = 5");
  EXPECT_EQ(map.SpotText(0), "");
  EXPECT_EQ(map.SpotText(5), "");
}
