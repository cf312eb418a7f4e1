// The control panel form, refreshed from the document whenever its values change.
#include "panel/CVQS90View.h"

#include "camera/CVQS90Doc.h"

CVQS90View::CVQS90View(QWidget* parent) : QWidget(parent) {}

void CVQS90View::AttachDocument(CVQS90Doc* doc) {
  if (document_ != nullptr) disconnect(document_, nullptr, this, nullptr);
  document_ = doc;
  connect(doc, &CVQS90Doc::UpdateAllViews, this, &CVQS90View::RefreshFromDocument);
  connect(doc, &CVQS90Doc::DocumentReplaced, this, &CVQS90View::SetupForm);
  SetupForm();
}

void CVQS90View::SetupForm() { RefreshFromDocument(); }

void CVQS90View::RefreshFromDocument() {}
