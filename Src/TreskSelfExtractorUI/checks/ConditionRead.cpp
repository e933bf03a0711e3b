// Reading the condition set from the package settings file: [Conditions], [ReadRegEntries],
// [ReadRegEntries64] and the message texts of the language sections.
#include "util/Text.h"
#include "checks/Condition.h"
#include "checks/ConditionLogic.h"
#include "log/BuildLogFile.h"
#include "package/Settings.h"

namespace {
const wchar_t* const kConditionsSection = L"Conditions";
}

void CConditionValidator::CollectConditionNames(const std::wstring& settingsFile, TextList& names) {
    CollectNamesOfExpression(GetSettingString(settingsFile, kConditionsSection, L"Action1Condition"), names);
}

std::wstring LookupConditionMessage(const std::wstring& settingsFile, int language, const std::wstring& key) {
    std::wstring name = textutil::StripBraceLayer(key);
    // "{}" names no message (and an empty key name would not be a key of the section).
    if (name.empty()) return std::wstring();
    return GetSettingString(settingsFile, std::to_wstring(language).c_str(), name.c_str());
}

void CCondition::ReadConditions(int language) {
    TextList names;
    CConditionValidator().CollectConditionNames(settingsFile, names);
    for (const auto& name : names) {
        std::wstring definition = GetSettingString(settingsFile, kConditionsSection, name.c_str());
        // A name without definition ends the reading: the expression then cannot be reduced.
        if (definition.empty()) break;
        theLog.Log(LOG_INFO, L"CCondition::ReadConditions", L"%s", name + L" : " + definition);

        std::vector<std::wstring> fields = SplitConditionFields(definition);
        fields.resize(5);
        auto condition = std::make_unique<CConditionParts>();
        condition->number = ConditionNumber(name);
        condition->type = fields[0];
        condition->path = fields[1];
        condition->op = fields[2];
        condition->value = fields[3];
        condition->messageKey = fields[4];
        condition->messageText = LookupConditionMessage(settingsFile, language, fields[4]);
        conditions.push_back(std::move(condition));
    }
}

void CCondition::ReadActions() {
    std::wstring expression = GetSettingString(settingsFile, kConditionsSection, L"Action1Condition");
    if (expression.empty()) return;
    auto action = std::make_unique<CAction>();
    action->expression = expression;
    action->action = GetSettingString(settingsFile, kConditionsSection, L"Action1");
    action->messageKey = GetSettingString(settingsFile, kConditionsSection, L"Action1Message");
    actions.push_back(std::move(action));
}

void CCondition::ReadRegEntries(bool is64) {
    const wchar_t* section = is64 ? L"ReadRegEntries64" : L"ReadRegEntries";
    for (int number = 1;; ++number) {
        std::wstring suffix = std::to_wstring(number);
        int root = GetSettingInt(settingsFile, section, (L"Root" + suffix).c_str(), -1);
        if (root == -1) break;
        auto property = std::make_unique<RegistryProperty>();
        property->root = root;
        property->key = GetSettingString(settingsFile, section, (L"Key" + suffix).c_str());
        property->entry = GetSettingString(settingsFile, section, (L"Entry" + suffix).c_str());
        property->property = GetSettingString(settingsFile, section, (L"Property" + suffix).c_str());
        property->is64 = is64 ? 1 : 0;
        properties.push_back(std::move(property));
    }
}
