#pragma once
// A Messages for tests: records every message in the order shown and answers
// the Yes/No boxes from a script of answers given beforehand.
//
//     ui::ScriptedMessages msg;
//     msg.answer(true);                       // the first Yes/No box gets "Igen"
//     sheet.remove(msg);
//     EXPECT_EQ(msg.log(), (std::vector<std::string>{
//         "confirm: Biztosan törli a lapot?", "information: A lap törölve."}));
//
// A Yes/No box with no answer left in the script is a fault of the test: it is
// recorded and then UnansweredQuestion is thrown, naming the text.

#include "ui/messages.h"

#include <QStringList>
#include <array>
#include <deque>
#include <initializer_list>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace ui {

enum class MessageKind { Error, Warning, Confirm, Question, Information };

// "error", "warning", "confirm", "question", "information".
const char* kindName(MessageKind kind);

struct ShownMessage {
    MessageKind kind;
    QString text;
    std::optional<bool> answer; // for confirm and question: the answer given
};

class UnansweredQuestion : public std::logic_error {
public:
    explicit UnansweredQuestion(const QString& text);
    const QString& text() const { return text_; }

private:
    QString text_;
};

class ScriptedMessages : public Messages {
public:
    // The script: answers for the next Yes/No boxes, first in first out.
    ScriptedMessages& answer(bool yes);
    ScriptedMessages& answers(std::initializer_list<bool> yes);
    int pendingAnswers() const { return int(answers_.size()); }

    void error(const QString& text) override;
    void warning(const QString& text) override;
    bool confirm(const QString& text) override;
    bool question(const QString& text) override;
    void information(const QString& text) override;
    // A panel outside 0..2 throws std::out_of_range.
    void status(int panel, const QString& text) override;

    // What was shown, in order.
    const std::vector<ShownMessage>& messages() const { return shown_; }
    QStringList texts() const;
    std::vector<MessageKind> kinds() const;
    int count() const { return int(shown_.size()); }
    bool isEmpty() const { return shown_.empty(); }
    // The text of the last message; empty when none was shown.
    QString last() const;
    // "kind: text" per message in UTF-8, so that a failing EXPECT_EQ prints
    // readable Hungarian.
    std::vector<std::string> log() const;

    // The status bar: the current text of a panel and every text it was given.
    QString statusText(int panel) const;
    QStringList statusHistory(int panel) const;

    // Forgets what was shown and the status texts; the answers still waiting
    // in the script stay.
    void clear();

private:
    bool ask(MessageKind kind, const QString& text);

    std::vector<ShownMessage> shown_;
    std::deque<bool> answers_;
    std::array<QStringList, statusPanels> status_;
};

} // namespace ui
