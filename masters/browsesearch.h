#pragma once
// The type-ahead search and title ordering of a browse panel, without
// widgets: the current search column, the upper-case search text and the
// title colours. It acts on the panel's table object: the active index tag,
// the first record, a prefix locate in the active tag's order.
//
// The window feeds it the grid's events: enter() when the focus comes into
// the panel, titleClick() for a click on a column title, and for each key
// first keyDown() with the key's virtual-key code (virtualKeyOf) and then,
// when the key types a character, keyPress() with it (typedCharOf).

#include "masters/browseconfig.h"

#include <QChar>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace ui {
class Messages;
}

namespace masters {

// Virtual-key codes that the rules name.
namespace vk {
constexpr int Back = 8;
constexpr int Tab = 9;
constexpr int Return = 13;
constexpr int Escape = 27;
constexpr int Space = 32;
constexpr int Prior = 33; // Page Up
constexpr int Next = 34;  // Page Down
constexpr int End = 35;
constexpr int Home = 36;
constexpr int Left = 37;
constexpr int Up = 38;
constexpr int Right = 39;
constexpr int Down = 40;
constexpr int Insert = 45;
constexpr int Delete = 46;
constexpr int F1 = 112;
constexpr int Oem = 0xBA; // punctuation and accented letters
} // namespace vk

// The virtual-key code of a Qt key (Qt::Key value) with the text it types:
// letters and digits keep their codes, function keys 112 and up, any other
// key that types a printable character a code of 0xBA or more; the editing
// and movement keys their own codes. A modifier pressed alone (Shift, Ctrl,
// Alt, ...) gives nullopt: it is no key of its own for the search.
std::optional<int> virtualKeyOf(int qtKey, const QString& text);

// The character a key types, as the grid's key-press step receives it:
// printable characters and the control characters Backspace, Tab, Enter, Esc
// and Ctrl+letter; nullopt for keys that type nothing (arrows, Delete, ...).
std::optional<QChar> typedCharOf(int qtKey, const QString& text);

enum class TitleColour { Black, Red };

class BrowseSearch {
public:
    BrowseSearch(const BrowseConfig& config, ui::Messages& msg);

    // FrameEnter: clears the search text, orders the table by column 0's tag
    // and moves to the first record; column 0 becomes the search column.
    void enter();
    // A click on the title of column c: c becomes the search column and the
    // text is cleared; a searchable column orders the table by its tag, any
    // other leaves the order as it was; moves to the first record.
    void titleClick(int c);
    // The key-down step with a virtual-key code.
    void keyDown(int virtualKey);
    // The key-press step with the typed character; returns true when it
    // moved the table (a locate ran and found a record). A search character
    // that cannot take the search further (the text is as long as the
    // current value, or nothing begins with it) says so in status panel 0.
    bool keyPress(QChar ch);
    // Forgets the search text: a command, whatever key or menu started it,
    // must not leave an old text behind that the next keys would extend.
    void clear() { text_.clear(); }

    int searchColumn() const { return column_; }
    bool isSearchable(int c) const;
    // The search text as built (upper case) and as shown beside
    // "Keresett szöveg:" (trimmed).
    const QString& searchText() const { return text_; }
    QString shownText() const { return text_.trimmed(); }
    TitleColour titleColour(int c) const;

    const BrowseConfig& config() const { return config_; }
    engine::Table& table() const { return *config_.table; }

private:
    void paint(int c, TitleColour colour);
    bool tableEmpty();
    QString columnField(int c) const;

    void notice(const QString& text);

    BrowseConfig config_;
    ui::Messages& msg_;
    bool noticeShown_ = false;
    int column_ = 0;
    QString text_;
    TitleColour restore_ = TitleColour::Black;
    std::vector<TitleColour> colours_;
    // The answer of tableEmpty() and the table state it was computed for,
    // so that an empty filtered table is not scanned again on every key.
    struct EmptyCache {
        bool valid = false;
        std::uint64_t generation = 0;
        QString filter;
        bool filtered = false;
        int tag = -1;
    } emptyCache_;
};

} // namespace masters
