#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>

#include "stats/t13_sheet.h"

class QPagedPaintDevice;

namespace vornal {

// The unified form T-13 of a month on landscape A4 pages: the form's name in
// the corner, the organisation, the structural unit, the document's number
// and date and the period on every page, then the table (its heading on
// every page): a person in four lines (codes and hours of days 1 to 15,
// then of days 16 to the end, X past the month's end), the days and hours
// of each half and of the month, the norm and the difference, the absences
// by code; the signature lines after the last person.
// The form is Russian whatever the windows' language.
class T13Report {
 public:
  struct Head {
    QString organisation;
    QString unit;  // the structural unit; the sheet's when empty
    QString number;
    QDate date;
  };

  T13Report(const T13Sheet& sheet, Head head);

  // Draws on the device (A4 landscape set here); false when it cannot be
  // painted on.
  bool Paint(QPagedPaintDevice& device) const;
  // A PDF document; empty when the pages cannot be drawn.
  QByteArray Pdf() const;

 private:
  const T13Sheet& m_sheet;
  Head m_head;
};

}  // namespace vornal
