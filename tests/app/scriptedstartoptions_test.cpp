// The scripted start's options: none is an ordinary start; a half-given or
// wrong one is refused with a text, so that the smoke test never runs on a
// guess.

#include "app/scriptedstartoptions.h"

#include <gtest/gtest.h>

namespace {

std::optional<app::ScriptedStartOptions> parse(const QStringList& args, QString* error) {
    return app::scriptedStartOptions(QStringList{QStringLiteral("szakapolas")} + args, error);
}

TEST(ScriptedStartOptions, NoneIsAnOrdinaryStart) {
    QString error;
    EXPECT_FALSE(parse({QStringLiteral("-platform"), QStringLiteral("offscreen")}, &error));
    EXPECT_TRUE(error.isEmpty());
}

TEST(ScriptedStartOptions, PasswordPeriodAndHold) {
    QString error;
    const auto o = parse({"--proba-idoszak", "2026.11", "--proba-jelszo", "titok",
                          "--proba-tartas", "5000"},
                         &error);
    ASSERT_TRUE(o) << error.toStdString();
    EXPECT_EQ(o->password, "titok");
    EXPECT_EQ(o->period, "2026.11");
    EXPECT_EQ(o->holdMs, 5000);
}

TEST(ScriptedStartOptions, IncompleteOrWrongIsRefused) {
    QString error;
    EXPECT_FALSE(parse({"--proba-jelszo", "titok"}, &error));
    EXPECT_EQ(error, "A próbaindításhoz a --proba-jelszo és a --proba-idoszak is kell.");
    EXPECT_FALSE(parse({"--proba-idoszak", "2026.11", "--proba-jelszo"}, &error));
    EXPECT_EQ(error, "Hiányzik a(z) --proba-jelszo értéke.");
    EXPECT_FALSE(parse({"--proba-jelszo", "t", "--proba-idoszak", "2026.11", "--proba-tartas",
                        "sok"},
                       &error));
    EXPECT_EQ(error, "Hibás érték: --proba-tartas sok");
    EXPECT_FALSE(parse({"--proba-jelszo", "t", "--proba-kulcs", "x"}, &error));
    EXPECT_EQ(error, "Ismeretlen kapcsoló: --proba-kulcs");
}

} // namespace
