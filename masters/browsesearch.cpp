#include "masters/browsesearch.h"

#include "engine/table.h"
#include "ui/messages.h"

namespace masters {

std::optional<int> virtualKeyOf(int qtKey, const QString& text) {
    switch (qtKey) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Meta:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
    case Qt::Key_ScrollLock:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
    case Qt::Key_unknown:
        return std::nullopt;
    case Qt::Key_Backspace:
        return vk::Back;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return vk::Tab;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return vk::Return;
    case Qt::Key_Escape:
        return vk::Escape;
    case Qt::Key_Space:
        return vk::Space;
    case Qt::Key_PageUp:
        return vk::Prior;
    case Qt::Key_PageDown:
        return vk::Next;
    case Qt::Key_End:
        return vk::End;
    case Qt::Key_Home:
        return vk::Home;
    case Qt::Key_Left:
        return vk::Left;
    case Qt::Key_Up:
        return vk::Up;
    case Qt::Key_Right:
        return vk::Right;
    case Qt::Key_Down:
        return vk::Down;
    case Qt::Key_Insert:
        return vk::Insert;
    case Qt::Key_Delete:
        return vk::Delete;
    default:
        break;
    }
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return qtKey; // '0'..'9' = 48..57
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return qtKey; // 'A'..'Z' = 65..90
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return vk::F1 + (qtKey - Qt::Key_F1);
    if (!text.isEmpty() && text.at(0).isPrint()) return vk::Oem;
    return 0; // a key the rules do not name: it clears like the movement keys
}

std::optional<QChar> typedCharOf(int qtKey, const QString& text) {
    switch (qtKey) {
    case Qt::Key_Backspace:
        return QChar(8);
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return QChar(9);
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return QChar(13);
    case Qt::Key_Escape:
        return QChar(27);
    case Qt::Key_Delete:
        return std::nullopt;
    default:
        break;
    }
    if (text.isEmpty()) return std::nullopt;
    const QChar ch = text.at(0);
    if (ch.unicode() < 32) return ch; // Ctrl+letter
    if (ch.isPrint()) return ch;
    return std::nullopt;
}

BrowseSearch::BrowseSearch(const BrowseConfig& config, ui::Messages& msg)
    : config_(config), msg_(msg), colours_(config.columns.size(), TitleColour::Black) {}

bool BrowseSearch::isSearchable(int c) const {
    return config_.typeAhead && config_.searchTags.count(c) > 0;
}

TitleColour BrowseSearch::titleColour(int c) const {
    if (c < 0 || c >= int(colours_.size())) return TitleColour::Black;
    return colours_[size_t(c)];
}

void BrowseSearch::paint(int c, TitleColour colour) {
    if (c >= 0 && c < int(colours_.size())) colours_[size_t(c)] = colour;
}

QString BrowseSearch::columnField(int c) const {
    if (c < 0 || c >= int(config_.columns.size())) return {};
    return config_.columns[size_t(c)].field;
}

namespace {

bool browsing(const engine::Table& t) {
    return t.isOpen() && t.state() == engine::Table::State::Browse;
}

bool onRecord(const engine::Table& t) {
    return t.recno() != 0 && t.isVisible(t.recno());
}

} // namespace

void BrowseSearch::enter() {
    text_.clear();
    engine::Table& t = table();
    if (browsing(t)) {
        if (config_.typeAhead) {
            const auto tag = config_.searchTags.find(0);
            if (tag != config_.searchTags.end()) t.setActiveTag(tag->second);
        }
        t.first();
    }
    if (!config_.typeAhead) return;
    // Only the search column's title is ever red; coming back into the panel
    // after a click on another title must not leave that title red as well.
    paint(column_, TitleColour::Black);
    column_ = 0;
    restore_ = TitleColour::Black;
    paint(0, TitleColour::Red);
    paint(1, TitleColour::Black);
}

void BrowseSearch::titleClick(int c) {
    if (!config_.typeAhead || c < 0 || c >= int(config_.columns.size())) return;
    paint(column_, restore_);
    column_ = c;
    text_.clear();
    engine::Table& t = table();
    if (browsing(t)) {
        if (isSearchable(c)) t.setActiveTag(config_.searchTags.at(c));
        t.first();
    }
    if (!config_.lapMode || isSearchable(c)) paint(c, TitleColour::Red);
}

void BrowseSearch::keyDown(int virtualKey) {
    if (!config_.typeAhead) return;
    if (virtualKey == vk::Space) {
        if (config_.lapMode) text_.clear();
    } else if (virtualKey >= 48) {
        // letters, digits and the other typing keys keep the text
    } else if (virtualKey == vk::Back) {
        text_.chop(1);
    } else {
        text_.clear();
    }
}

bool BrowseSearch::tableEmpty() {
    const engine::Table& t = table();
    if (!t.isOpen()) return true;
    if (onRecord(t)) return false;
    // Off any record: the table may be empty through its filter. Finding that
    // out reads every record, so the answer is kept until the table changes.
    EmptyCache& c = emptyCache_;
    if (c.valid && c.generation == t.generation() && c.filter == t.filter() &&
        c.filtered == t.filtered() && c.tag == t.activeTagIndex())
        return true;
    if (!t.isEmpty()) {
        c.valid = false;
        return false;
    }
    c = {true, t.generation(), t.filter(), t.filtered(), t.activeTagIndex()};
    return true;
}

void BrowseSearch::notice(const QString& text) {
    if (text.isEmpty() && !noticeShown_) return;
    msg_.status(0, text);
    noticeShown_ = !text.isEmpty();
}

bool BrowseSearch::keyPress(QChar ch) {
    if (!config_.typeAhead) return false;
    const ushort code = ch.unicode();
    // Esc, Tab and Enter leave or choose; on an empty list they do so at
    // once, with no word about searching.
    if (code == 27 || code == 9 || code == 13) {
        text_.clear();
        return false;
    }
    if (config_.lapMode && tableEmpty()) {
        msg_.warning(QStringLiteral("Nincs keresendő adat!"));
        return false;
    }
    engine::Table& t = table();
    if (!browsing(t)) return false;

    const QString field = columnField(column_);
    int limit = 0;
    if (isSearchable(column_) && !field.isEmpty() && onRecord(t)) limit = t.text(field).size();

    const bool control = config_.lapMode ? code <= 32 : code < 32;
    if (control && code != 8) {
        // Enter, Esc, Tab, Ctrl+letter (and the sheet list's space) clear the
        // text and leave the grid where it is: Enter chooses the record that
        // is current, so it must not send the grid back to the first one.
        text_.clear();
        return false;
    }
    const bool tele = code != 8 && limit > 0 && text_.size() >= limit;
    if (text_.size() < limit && code != 8) text_ += ch.toUpper();

    if (field.isEmpty()) {
        // A computed column: nothing to locate on; an empty search text
        // matches the first record.
        t.first();
        return !t.eof();
    }
    const bool found = t.locatePrefix(field, text_);
    if (tele)
        notice(QStringLiteral("A keresett szöveg nem lehet hosszabb: ") + text_.trimmed());
    else if (!found && isSearchable(column_))
        notice(QStringLiteral("Nincs ilyen kezdetű adat: ") + text_.trimmed());
    else
        notice(QString());
    return found;
}

} // namespace masters
