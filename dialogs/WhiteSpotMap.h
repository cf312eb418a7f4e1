// The white spot map: the sensor's area with each listed spot at its place, the partial-scan window
// shaded, the spot under the mouse named, and the map and its list written to files.
#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QRectF>
#include <QSize>
#include <QString>
#include <QWidget>
#include <optional>
#include <string>
#include <vector>

#include "camera/WhiteSpotList.h"

class WhiteSpotMap : public QWidget {
  Q_OBJECT

 public:
  // The camera's 1040-line sensor is 1392 pixels wide. The program holds the line count (the partial
  // scan's limit) but no width, so the width is written here.
  static constexpr int SensorWidth = 1392;
  static int SensorLines();

  // Colours as the map paints them, so that a test can find them in the picture.
  static constexpr QRgb SensorColour = 0xff1c2026;
  static constexpr QRgb WindowColour = 0xff35506e;
  static constexpr QRgb SpotColour = 0xffff3c28;
  // A spot is named when the mouse is within this many pixels of its mark's centre.
  static constexpr int HoverRadius = 5;

  // Lines first .. first + lines - 1, counted from 1 as the partial-scan start is.
  struct ScanWindow {
    int first;
    int lines;
  };

  explicit WhiteSpotMap(QWidget* parent = nullptr);

  void SetSpots(std::vector<WhiteSpot::Spot> spots);
  const std::vector<WhiteSpot::Spot>& Spots() const { return spots_; }
  void SetScanWindow(std::optional<ScanWindow> window);
  std::optional<ScanWindow> Window() const { return window_; }

  // The drawn area in sensor pixels: the sensor, grown to take in a spot that lies beyond it.
  QSize Area() const;
  // Where that area lies in the widget: as large as fits, sensor pixels square, at the top left.
  QRectF AreaRect() const;
  // The widget pixel under the centre of spot (x, y)'s mark.
  QPoint Place(int x, int y) const;
  // The list number (from 1) of the spot whose mark is nearest point within HoverRadius, else 0.
  int SpotAt(QPoint point) const;
  // "No. 3: x = 300, y = 5" for list number 3; empty for 0.
  QString SpotText(int number) const;

  // The map as painted, at the widget's size.
  QImage Image() const;
  // The list as comma-separated values: the header "No,x,y", then "number,x,y" for each spot. Every
  // line ends in CR LF, as the list box's lines do and as spreadsheets on either system read it.
  QByteArray Csv() const;
  // Replace the file whole, or leave what was there: 0 or the file system's error.
  int SavePng(const std::string& path) const;
  int SaveCsv(const std::string& path) const;

 signals:
  // The spot under the mouse changed; text is its SpotText, or empty when none is.
  void Hovered(const QString& text);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  bool event(QEvent* event) override;

 private:
  void Draw(QPainter& painter) const;
  void Hover(int number);

  std::vector<WhiteSpot::Spot> spots_;
  std::optional<ScanWindow> window_;
  int hovered_ = 0;
};
