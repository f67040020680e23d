#pragma once
// The parts the two printed sheets share: page header and footer, the
// sheet's header fields and how they are filled, the signature lines.

#include "reports/elszlap.h"

namespace reports::parts {

extern const Font kLabel, kValue, kTitle, kSmall;
constexpr double kRow = 4.2;

// The group of a data row: INTKOD + SORSZ + RESZ + IDOSZAK.
QString sheetKey(const engine::Query& q, int row);
void addPageBands(Report& r, const ProgramText& program);
// Places the header fields from the top of the band; returns the y below them.
double addSheetHeader(Band& b, const QString& title, bool newLayout);
void fillSheetHeader(Band& b, const PrintContext& c, const SheetLookups& lk, bool newLayout);
// "Dátum:" and the two dotted signature lines from y; returns the y below.
double addSignatures(Band& b, double y);
// The sheet's footer: the visit total, the date and the signature lines.
void addSheetFooter(Band& f);

} // namespace reports::parts
