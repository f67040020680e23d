#include "ui/scriptedmessages.h"

namespace ui {

const char* kindName(MessageKind kind) {
    switch (kind) {
    case MessageKind::Error:
        return "error";
    case MessageKind::Warning:
        return "warning";
    case MessageKind::Confirm:
        return "confirm";
    case MessageKind::Question:
        return "question";
    case MessageKind::Information:
        return "information";
    }
    return "?";
}

UnansweredQuestion::UnansweredQuestion(const QString& text)
    : std::logic_error("no scripted answer for the question: " + text.toStdString()), text_(text) {}

ScriptedMessages& ScriptedMessages::answer(bool yes) {
    answers_.push_back(yes);
    return *this;
}

ScriptedMessages& ScriptedMessages::answers(std::initializer_list<bool> yes) {
    answers_.insert(answers_.end(), yes.begin(), yes.end());
    return *this;
}

void ScriptedMessages::error(const QString& text) {
    shown_.push_back({MessageKind::Error, text, std::nullopt});
}

void ScriptedMessages::warning(const QString& text) {
    shown_.push_back({MessageKind::Warning, text, std::nullopt});
}

bool ScriptedMessages::confirm(const QString& text) {
    return ask(MessageKind::Confirm, text);
}

bool ScriptedMessages::question(const QString& text) {
    return ask(MessageKind::Question, text);
}

void ScriptedMessages::information(const QString& text) {
    shown_.push_back({MessageKind::Information, text, std::nullopt});
}

bool ScriptedMessages::ask(MessageKind kind, const QString& text) {
    shown_.push_back({kind, text, std::nullopt});
    if (answers_.empty()) throw UnansweredQuestion(text);
    const bool yes = answers_.front();
    answers_.pop_front();
    shown_.back().answer = yes;
    return yes;
}

void ScriptedMessages::status(int panel, const QString& text) {
    if (panel < 0 || panel >= statusPanels)
        throw std::out_of_range("status panel " + std::to_string(panel) + ": " +
                                text.toStdString());
    status_[panel].append(text);
}

QStringList ScriptedMessages::texts() const {
    QStringList out;
    for (const auto& m : shown_)
        out.append(m.text);
    return out;
}

std::vector<MessageKind> ScriptedMessages::kinds() const {
    std::vector<MessageKind> out;
    for (const auto& m : shown_)
        out.push_back(m.kind);
    return out;
}

QString ScriptedMessages::last() const {
    return shown_.empty() ? QString() : shown_.back().text;
}

std::vector<std::string> ScriptedMessages::log() const {
    std::vector<std::string> out;
    for (const auto& m : shown_)
        out.push_back(std::string(kindName(m.kind)) + ": " + m.text.toStdString());
    return out;
}

QString ScriptedMessages::statusText(int panel) const {
    const QStringList history = statusHistory(panel);
    return history.isEmpty() ? QString() : history.back();
}

QStringList ScriptedMessages::statusHistory(int panel) const {
    if (panel < 0 || panel >= statusPanels)
        throw std::out_of_range("status panel " + std::to_string(panel));
    return status_[panel];
}

void ScriptedMessages::clear() {
    shown_.clear();
    for (auto& panel : status_)
        panel.clear();
}

} // namespace ui
