// The control panel on a document of the simulated camera, on the in-memory line.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>
#include <QScrollBar>

#include "camera/CVQS90Doc.h"
#include "panel/CVQS90View.h"
#include "support/MemoryCamera.h"
#include "support/QtPrinters.h"

class PanelTest : public ::testing::Test {
 protected:
  PanelTest() {
    QObject::connect(&view, &CVQS90View::WindowTitleChanged, [this](const QString& t) { title = t; });
    view.AttachDocument(&doc);
  }

  QAbstractButton* Button(int id) const { return static_cast<QAbstractButton*>(view.Control(id)); }
  QScrollBar* Bar(int id) const { return static_cast<QScrollBar*>(view.Control(id)); }
  QString Text(int id) const { return static_cast<QLabel*>(view.Control(id))->text(); }
  bool Enabled(int id) const { return view.Control(id)->isEnabled(); }
  void Click(int id) { Button(id)->click(); }
  std::string LastRequest() const { return link.Requests().empty() ? std::string() : link.Requests().back(); }
  // Stores values as a read from the camera would, then refreshes the form.
  void Show(std::initializer_list<std::pair<ParameterId, int32_t>> values) {
    for (auto [id, v] : values) link.parameters->SetValue(id, v, false);
    view.RefreshFromDocument();
  }

  MemoryCamera link;
  CVQS90Doc doc{*link.parameters};
  CVQS90View view;
  QString title;
};
