#pragma once
// The checks of the sheet entry window's header (pages 1 and 2 of Tlapuj,
// unit lapfeluj), driven without a display.
//
// LapCheck holds one method per exit handler of the window, named after the
// handler: each reads and corrects the LapModel, shows its messages through
// state.msg, and says whether the value passed and which control takes the
// focus next (CheckResult). The window binds its widgets to the model and
// moves the focus as the result says.
//
// The order, closing and permit checks behind page 2 are free functions with
// the arguments the window passes, so that the complete check before saving
// and the closing-date dialog call them the same way. Dates are the masked
// edits' texts "YYYY.MM.DD" (blank: "    .  .  " or empty), periods
// "YYYY.MM"; each check shows every message itself and returns whether the
// value passed.

#include "core/idoszak.h"
#include "sheet/lapmodel.h"

#include <QString>

namespace core {
struct AppState;
}
namespace ui {
class Messages;
}
namespace masters {
struct BetegValasztas;
}

namespace sheet {

// --- Order, closing and permit checks ---

// The start of care is not before the order, and (for a full invoice or a
// first partial invoice outside January) does not fall within the visits of
// one of the patient's earlier sheets since the month before it.
bool szakvetell(core::AppState& state, const QString& lapsorsz, const QString& idoszak,
                const QString& lapresz, const QString& szakvet, const QString& elrend,
                const QString& taj);

// A visit count: numeric; kind "R" (ordered) 1 to 14, kind "T" (accounted
// before) at most 14.
bool vizitdbell(ui::Messages& msg, const QString& szam, const QString& tipus);

// The order ordinal continues the patient's latest earlier sheet: its ordinal
// plus one while that care is open, 1 after a closed one (asked, and set on
// "Igen"). Mode "L" (the field's own check) also corrects a wrong ordinal to
// the right one; without mode the ordinal is changed only by the answer.
bool elszamell(core::AppState& state, const QString& lapsorsz, const QString& idoszak,
               bool modositas, const QString& mod, QString& elszam, const QString& taj,
               const QString& lezdat, const QString& szakvet, const QString& lapresz);

// The closing date of the care episode: blank, or a real date not before the
// start of care and not after the period.
bool lezdatell(ui::Messages& msg, const QString& lezdat, const QString& szakvet,
               const QString& idoszak);

// The permit number and its date go together; a date without a permit number
// is emptied (with a warning) and passes.
bool engdatell(core::AppState& state, const QString& engszam, QString& engdat);

// From the fifth continuous order on, more than 56 visits on the patient's
// other sheets since the last closed care need the county office's permit.
bool engszamkell(core::AppState& state, const QString& taj, const QString& elszam,
                 const QString& lapsorsz, const QString& idoszak);

// A self-care category is chosen (`pozicio` 0..2 of CB2, -1 none), and it is
// not "Önellátó beteg" when the sheet has therapy visits (`terapia` 9).
bool onellatell(ui::Messages& msg, int pozicio, int terapia);

// --- The window's exit handlers ---

class LapCheck {
public:
    LapCheck(core::AppState& state, LapModel& model) : st_(state), m_(model) {}

    LapModel& model() { return m_; }

    // FormActivate: the control focused when the window shows (empty when
    // viewing), and whether the panel P1 (m_terkat, m_allp) shows.
    QString elsoFokusz() const;
    bool p1Lathato() const;

    // Page 1, the patient.
    CheckResult m_aztipExit();
    CheckResult m_tajExit();
    CheckResult m_nevExit();
    CheckResult bnemExit();
    CheckResult m_kozigkodExit();
    CheckResult m_cim2Exit();
    CheckResult m_szidoExit();

    // Page 1, the diagnoses.
    CheckResult m_fekvdExit();
    CheckResult m_fekdatExit();
    CheckResult m_fapnapExit();
    CheckResult m_alapbExit();
    CheckResult m_kiserdExit();
    CheckResult m_fodiagExit();
    CheckResult m_ellatdExit();

    // Page 1, the doctors.
    CheckResult m_eorvExit();
    CheckResult orv1Exit();
    CheckResult m_jorvExit();
    CheckResult orv2Exit();

    // Page 2.
    CheckResult m_elrendExit();
    CheckResult m_szakvetExit();
    CheckResult m_elvizExit();
    CheckResult m_gyakExit();
    CheckResult m_elszamExit();
    CheckResult m_elszvizExit();
    CheckResult m_lezdatExit();
    CheckResult m_engszamExit();
    CheckResult m_engdatExit();
    CheckResult EtevExit();
    // `terapia`: 9 when a day of the sheet has a therapy care type.
    CheckResult CB2Exit(int terapia = 0);

    // The exit handler of a header control by its name; a control without a
    // check passes.
    CheckResult exit(const QString& control);

    // What the pickers bring back. An empty code (or TAJ) means cancelled.
    // m_tajDblClick: the patient picker's choice fills the patient, then the
    // TAJ field is left as usual (the patient is read again from BETEG).
    CheckResult betegbetolt(const masters::BetegValasztas& beteg);
    // m_kozigkodDblClick: the settlement picker (mode "L").
    CheckResult telepValasztva(const QString& kod, const QString& nev);
    // A BNO field's double click: `control` is m_fekvd, m_alapb, m_kiserd,
    // m_fodiag or m_ellatd.
    CheckResult bnoValasztva(const QString& control, const QString& kod, const QString& nev);
    // A doctor field's double click sets orvostipus ("E" for m_eorv, orv1,
    // orv2; "J" for m_jorv); the picker's choice fills that doctor.
    void orvosDblClick(const QString& control);
    CheckResult orvosbetolt(const QString& kod, const QString& nev);
    // The activity picker's result (SB1Click): a text that is not blank
    // replaces Etev.
    CheckResult tevValasztva(const QString& eredmeny);

    // The name of a BNO code (empty when BNOTORZS has no such code).
    QString bnoNev(const QString& kod) const;
    // The name of a doctor (empty when ORVOS has no such stamp number).
    QString orvosNev(const QString& kod) const;

private:
    CheckResult bno(QString LapModel::*field, QString LapModel::*label, int kind, bool required,
                    const QString& control);
    bool patientChecksOff() const { return m_.betegtorzsbol; }

    core::AppState& st_;
    LapModel& m_;
};

// The model of a new, empty sheet of a period (the register's laptolt):
// numeric fields "0", from 2016.01 identifier type "1", payment category "01"
// and citizenship "HUN"; the day rows dated; editable, not a modification.
LapModel ujLap(core::Idoszak idoszak, const QString& lapsorsz, const QString& lapresz,
               const QString& laptipus);

} // namespace sheet
