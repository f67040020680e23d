#pragma once
// The contract data view Tszerzmut: the contracts the county office sent
// (SZERZ), and for the contract chosen in the list the workers (SZOLGSZ), the
// service sites (THELY) and the service areas (TERULET) that belong to it.
// Nothing is edited; the view only sets and removes the standing filters of
// the shared table objects, and removes them all when it closes.

#include <QString>

namespace core {
struct AppState;
}
namespace engine {
class Table;
}

namespace masters {

class Contract {
public:
    explicit Contract(core::AppState& state);

    enum class Panel { Dolg, Thely, Terul }; // workers, sites, areas

    engine::Table& table(Panel panel) const;

    // Szerzds1Click: the contracts from 1999.06.01 on, the last one current;
    // returns the window's caption.
    QString open();
    // The window is shown: the current contract's filter on all three tables.
    void activate();
    // A panel gets the focus: its table shows the workers, sites or areas of
    // the contract now selected in the list, from its first record.
    void enterPanel(Panel panel);
    // The window closes: no filter stays on SZOLGSZ, SZERZ, THELY, TERULET.
    void close();

    // The filter built from the current SZERZ record: what started on or
    // before the contract's start and ends on or after its end (2999.12.01
    // for a contract without end) or has no end.
    QString contractFilter() const;
    // The text of the filter built last.
    const QString& lastFilter() const { return filter_; }

private:
    void apply(engine::Table& t);

    core::AppState& st_;
    QString filter_;
};

// Removes a table's standing filter (and forgets its text).
void removeFilter(engine::Table& table);

} // namespace masters
