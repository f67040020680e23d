// The scripted message service the other tests lean on: it must keep every
// message in order, answer only from its script and complain about the rest.

#include "ui/messages.h"
#include "ui/scriptedmessages.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

using ui::MessageKind;
using Log = std::vector<std::string>;

namespace {

std::string s(const QString& text) {
    return text.toStdString();
}

} // namespace

TEST(ScriptedMessages, RecordsEveryKindInOrder) {
    ui::ScriptedMessages msg;
    msg.answers({true, false});
    msg.error("Hiba a lefutásban!");
    msg.warning("Figyelem!");
    EXPECT_TRUE(msg.confirm("Biztosan törli?"));
    EXPECT_FALSE(msg.question("Folytatja?"));
    msg.information("Kész.");

    EXPECT_EQ(msg.log(),
              (Log{"error: Hiba a lefutásban!", "warning: Figyelem!", "confirm: Biztosan törli?",
                   "question: Folytatja?", "information: Kész."}));
    EXPECT_EQ(msg.kinds(), (std::vector<MessageKind>{MessageKind::Error, MessageKind::Warning,
                                                     MessageKind::Confirm, MessageKind::Question,
                                                     MessageKind::Information}));
    EXPECT_EQ(msg.texts().size(), 5);
    EXPECT_EQ(s(msg.texts().at(2)), "Biztosan törli?");
    EXPECT_EQ(s(msg.last()), "Kész.");
    EXPECT_EQ(msg.messages()[2].answer, true);
    EXPECT_EQ(msg.messages()[3].answer, false);
    EXPECT_FALSE(msg.messages()[0].answer.has_value());
}

TEST(ScriptedMessages, AnswersComeFromTheScriptFirstInFirstOut) {
    ui::ScriptedMessages msg;
    msg.answer(false).answer(true);
    EXPECT_FALSE(msg.question("Első?"));
    EXPECT_EQ(msg.pendingAnswers(), 1);
    EXPECT_TRUE(msg.confirm("Második?"));
    EXPECT_EQ(msg.pendingAnswers(), 0);
}

TEST(ScriptedMessages, UnscriptedQuestionIsATestFaultNamingTheText) {
    ui::ScriptedMessages msg;
    try {
        msg.confirm("Felülírja a mentést?");
        FAIL() << "an unscripted question must throw";
    } catch (const ui::UnansweredQuestion& e) {
        EXPECT_EQ(s(e.text()), "Felülírja a mentést?");
        EXPECT_NE(std::string(e.what()).find("Felülírja a mentést?"), std::string::npos);
    }
    // Still recorded, so the log shows where the test went astray.
    EXPECT_EQ(msg.log(), Log{"confirm: Felülírja a mentést?"});
    EXPECT_THROW(msg.question("Még egy?"), ui::UnansweredQuestion);
}

TEST(ScriptedMessages, StatusPanelsKeepLastTextAndHistory) {
    ui::ScriptedMessages msg;
    msg.status(0, "LAP indexelése");
    msg.status(0, "LAPB indexelése");
    msg.status(2, "2006.05");

    EXPECT_EQ(s(msg.statusText(0)), "LAPB indexelése");
    EXPECT_EQ(msg.statusHistory(0), (QStringList{"LAP indexelése", "LAPB indexelése"}));
    EXPECT_TRUE(msg.statusText(1).isEmpty());
    EXPECT_EQ(s(msg.statusText(2)), "2006.05");
    // Status texts are not messages.
    EXPECT_TRUE(msg.isEmpty());

    EXPECT_THROW(msg.status(3, "x"), std::out_of_range);
    EXPECT_THROW(msg.status(-1, "x"), std::out_of_range);
}

TEST(ScriptedMessages, ClearForgetsWhatWasShownButKeepsTheScript) {
    ui::ScriptedMessages msg;
    msg.answers({true, true});
    msg.error("Egy");
    EXPECT_TRUE(msg.confirm("Kettő?"));
    msg.status(1, "Három");

    msg.clear();
    EXPECT_TRUE(msg.isEmpty());
    EXPECT_EQ(msg.count(), 0);
    EXPECT_TRUE(msg.last().isEmpty());
    EXPECT_TRUE(msg.statusHistory(1).isEmpty());
    EXPECT_EQ(msg.pendingAnswers(), 1);
}

TEST(DisplayText, CarriageReturnIsALineBreak) {
    EXPECT_EQ(s(ui::displayText("Első sor\rMásodik sor")), "Első sor\nMásodik sor");
    EXPECT_EQ(s(ui::displayText("a\r\nb\r\rc")), "a\nb\n\nc");
    EXPECT_EQ(s(ui::displayText("Nincs sortörés")), "Nincs sortörés");
}
