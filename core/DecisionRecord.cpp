// SPDX-License-Identifier: MIT
#include "core/DecisionRecord.h"

#include <array>
#include <nlohmann/json.hpp>
#include <utility>

namespace ondrel {
namespace {

constexpr std::array<std::pair<Decision, std::string_view>, 4> decisionWords{{
    {Decision::pressed, "pressed"},
    {Decision::left, "left"},
    {Decision::dryRun, "dry-run"},
    {Decision::failed, "failed"},
}};

bool continuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

}  // namespace

std::string_view decisionWord(Decision decision) {
    for (const auto& [known, word] : decisionWords) {
        if (known == decision)
            return word;
    }
    return {};
}

std::optional<Decision> decisionNamed(std::string_view word) {
    for (const auto& [decision, known] : decisionWords) {
        if (known == word)
            return decision;
    }
    return std::nullopt;
}

void setPromptText(DecisionRecord& record, std::string_view text) {
    std::size_t characters = 0;
    std::size_t end = 0;
    for (; end < text.size(); ++end) {
        if (!continuationByte(text[end]) && characters++ == recordedPromptLimit)
            break;
    }
    record.prompt = text.substr(0, end);
    record.promptCut = end < text.size();
}

std::string recordLine(const DecisionRecord& record) {
    // Ordered as a reader scans a record: when, where, what, why, on what text, about whom.
    const nlohmann::ordered_json object = {
        {"time", record.time},       {"window", record.window},
        {"button", record.button},   {"decision", decisionWord(record.decision)},
        {"pattern", record.pattern}, {"reason", record.reason},
        {"prompt", record.prompt},   {"promptCut", record.promptCut},
        {"pid", record.process},     {"identity", record.identity},
    };
    return object.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + '\n';
}

std::optional<DecisionRecord> parseRecordLine(std::string_view line) {
    const nlohmann::json object = nlohmann::json::parse(line, nullptr, false);
    if (!object.is_object())
        return std::nullopt;
    const auto text = [&](const char* key) {
        const auto found = object.find(key);
        return found != object.end() && found->is_string() ? found->get<std::string>() : std::string();
    };
    const std::optional<Decision> decision = decisionNamed(text("decision"));
    if (!decision || text("time").empty())
        return std::nullopt;
    DecisionRecord record{text("time"),   text("window"), text("button"), *decision, text("pattern"),
                          text("reason"), text("prompt"), false,          0,         text("identity")};
    if (const auto cut = object.find("promptCut"); cut != object.end() && cut->is_boolean())
        record.promptCut = cut->get<bool>();
    if (const auto pid = object.find("pid"); pid != object.end() && pid->is_number_integer())
        record.process = pid->get<ProcessId>();
    return record;
}

}  // namespace ondrel
