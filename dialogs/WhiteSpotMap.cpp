// Paints the white spots over the sensor's area, names the one under the mouse and writes map and list.
#include "dialogs/WhiteSpotMap.h"

#include <QBuffer>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>

#include "camera/ParameterTable.h"
#include "platform/RegularFile.h"

namespace {

constexpr double MarkRadius = 3.0;

int Save(const std::string& path, const QByteArray& bytes) {
  return RegularFile::Replace(path, std::vector<uint8_t>(bytes.begin(), bytes.end()));
}

}  // namespace

int WhiteSpotMap::SensorLines() { return ParameterTable::Maximum(ParamPartialScanWidth, ParameterTable::AsInTable); }

WhiteSpotMap::WhiteSpotMap(QWidget* parent) : QWidget(parent) { setMouseTracking(true); }

void WhiteSpotMap::SetSpots(std::vector<WhiteSpot::Spot> spots) {
  spots_ = std::move(spots);
  Hover(0);  // the marks moved; the name comes back with the mouse's next move
  update();
}

void WhiteSpotMap::SetScanWindow(std::optional<ScanWindow> window) {
  window_ = window;
  update();
}

QSize WhiteSpotMap::Area() const {
  QSize area(SensorWidth, SensorLines());
  // Spot coordinates count from 0.
  for (const WhiteSpot::Spot& spot : spots_) area = area.expandedTo(QSize(spot.x + 1, spot.y + 1));
  return area;
}

QRectF WhiteSpotMap::AreaRect() const {
  const QSize area = Area();
  const double scale = std::min(double(width()) / area.width(), double(height()) / area.height());
  return QRectF(0, 0, area.width() * scale, area.height() * scale);
}

QPoint WhiteSpotMap::Place(int x, int y) const {
  const double scale = AreaRect().width() / Area().width();
  return QPoint(int(std::floor((x + 0.5) * scale)), int(std::floor((y + 0.5) * scale)));
}

int WhiteSpotMap::SpotAt(QPoint point) const {
  int nearest = 0;
  int best = HoverRadius * HoverRadius;
  for (size_t i = 0; i < spots_.size(); ++i) {
    const QPoint d = Place(spots_[i].x, spots_[i].y) - point;
    const int distance = QPoint::dotProduct(d, d);
    // The earlier entry keeps a tie: marks on one place are named by the first of them.
    if (distance <= best && (nearest == 0 || distance < best)) {
      best = distance;
      nearest = int(i) + 1;
    }
  }
  return nearest;
}

QString WhiteSpotMap::SpotText(int number) const {
  if (number < 1 || number > int(spots_.size())) return {};
  const WhiteSpot::Spot& spot = spots_[size_t(number - 1)];
  return QString::asprintf("No.%2d: x = %d, y = %d", number, spot.x, spot.y);
}

void WhiteSpotMap::Draw(QPainter& painter) const {
  painter.fillRect(rect(), palette().window());
  const QRectF area = AreaRect();
  painter.fillRect(area, QColor(SensorColour));
  const double scale = area.width() / Area().width();
  if (window_) {
    // Clipped to the area: the camera's window may reach past the last line.
    const QRectF band(0, (window_->first - 1) * scale, area.width(), window_->lines * scale);
    painter.fillRect(band & area, QColor(WindowColour));
  }
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(SpotColour));
  for (const WhiteSpot::Spot& spot : spots_) {
    painter.drawEllipse(QPointF(Place(spot.x, spot.y)) + QPointF(0.5, 0.5), MarkRadius, MarkRadius);
  }
}

void WhiteSpotMap::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  Draw(painter);
}

QImage WhiteSpotMap::Image() const {
  QImage image(size(), QImage::Format_RGB32);
  QPainter painter(&image);
  Draw(painter);
  return image;
}

QByteArray WhiteSpotMap::Csv() const {
  QByteArray text = "No,x,y\r\n";
  int number = 0;
  for (const WhiteSpot::Spot& spot : spots_) {
    text += QByteArray::number(++number) + ',' + QByteArray::number(spot.x) + ',' + QByteArray::number(spot.y) + "\r\n";
  }
  return text;
}

int WhiteSpotMap::SavePng(const std::string& path) const {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  // Encoded whole in memory first, so that a failed encoding never reaches the file.
  if (!buffer.open(QIODevice::WriteOnly) || !Image().save(&buffer, "PNG")) return EIO;
  return Save(path, bytes);
}

int WhiteSpotMap::SaveCsv(const std::string& path) const { return Save(path, Csv()); }

void WhiteSpotMap::Hover(int number) {
  if (number == hovered_) return;
  hovered_ = number;
  emit Hovered(SpotText(number));
}

void WhiteSpotMap::mouseMoveEvent(QMouseEvent* event) {
  Hover(SpotAt(event->position().toPoint()));
  QWidget::mouseMoveEvent(event);
}

void WhiteSpotMap::leaveEvent(QEvent* event) {
  Hover(0);
  QWidget::leaveEvent(event);
}

bool WhiteSpotMap::event(QEvent* event) {
  if (event->type() == QEvent::ToolTip) {
    auto* help = static_cast<QHelpEvent*>(event);
    const QString text = SpotText(SpotAt(help->pos()));
    if (text.isEmpty()) {
      QToolTip::hideText();
    } else {
      QToolTip::showText(help->globalPos(), text, this);
    }
    return true;
  }
  return QWidget::event(event);
}
