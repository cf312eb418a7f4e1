// Shows Qt texts readably in test failures.
#pragma once

#include <QString>
#include <QStringList>
#include <ostream>

inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }
inline void PrintTo(const QStringList& texts, std::ostream* os) {
  *os << '{';
  for (const QString& t : texts) *os << " \"" << t.toStdString() << '"';
  *os << " }";
}
