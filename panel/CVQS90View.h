// The control panel: the main window's only view of the document.
#pragma once

#include <QWidget>

class CVQS90Doc;

class CVQS90View : public QWidget {
  Q_OBJECT

 public:
  explicit CVQS90View(QWidget* parent = nullptr);

  // Shows doc from now on and sets the form up for it.
  void AttachDocument(CVQS90Doc* doc);
  CVQS90Doc* Document() const { return document_; }

  void SetupForm();
  void RefreshFromDocument();

 signals:
  // The main window's title, as the camera's model name gives it.
  void WindowTitleChanged(const QString& title);

 private:
  CVQS90Doc* document_ = nullptr;
};
