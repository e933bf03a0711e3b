// The parts of the condition set that only combine what has been read and evaluated: property
// references, the results map, the message list and the final answer.
#include <algorithm>

#include "util/Text.h"
#include "checks/Condition.h"
#include "checks/ConditionLogic.h"

using textutil::EqualsNoCase;

CCondition::CCondition(const std::wstring& settingsFile) : settingsFile(settingsFile) {}

void CConditionValidator::CollectNamesOfExpression(const std::wstring& expression, TextList& names) {
    std::wstring text = textutil::Lower(expression);
    size_t position = 0;
    while (true) {
        size_t found = text.find(L"condition", position);
        if (found == std::wstring::npos) return;
        // A name ends at a blank, a closing parenthesis or the end of the expression.
        size_t end = text.find_first_of(L" )", found);
        names.push_back(text.substr(found, end == std::wstring::npos ? std::wstring::npos : end - found));
        if (end == std::wstring::npos) return;
        position = end;
    }
}

void CCondition::ApplyProperties() {
    for (const auto& property : properties)
        for (const auto& condition : conditions)
            condition->path = ApplyPropertyToPath(condition->path, property->property, property->value,
                                                  EqualsNoCase(condition->type, L"{File}"));
}

void CCondition::CollectResults() {
    // A number read twice keeps its later result.
    for (const auto& condition : conditions) results[condition->number] = condition->result;
}

std::wstring CCondition::BuildMessageKeys() {
    std::wstring actionKey = actions.empty() ? std::wstring() : actions.front()->messageKey;
    listedKeys.push_front(actionKey);
    std::wstring keys = L"{" + actionKey + L"};";
    for (const auto& condition : conditions) {
        const std::wstring& key = condition->messageKey;
        // A condition without a message key has nothing to list.
        if (condition->result != 0 || key == L"{}" || key.empty()) continue;
        std::wstring name = L"Condition" + std::to_wstring(condition->number);
        auto same = [](const std::wstring& wanted) {
            return [&wanted](const std::wstring& entry) { return EqualsNoCase(entry, wanted); };
        };
        // Only conditions the expression uses, each key once, the action's key never twice.
        if (std::none_of(referencedNames.begin(), referencedNames.end(), same(name))) continue;
        if (EqualsNoCase(key, L"{" + actionKey + L"}")) continue;
        if (std::any_of(listedKeys.begin(), listedKeys.end(), same(key))) continue;
        if (!IsMessageShown(name)) continue;
        keys += key + L";";
        listedKeys.push_back(key);
    }
    return keys;
}

int CCondition::IsMessageShown(const std::wstring& name) const {
    if (actions.empty()) return 1;
    return IsNameShownInExpression(actions.front()->expression, name);
}

int CCondition::IsExtractAllowed() const {
    if (actions.empty()) return 0;
    const CAction& action = *actions.front();
    return EqualsNoCase(action.action, L"Extract") && action.satisfied == 1 ? 1 : 0;
}
