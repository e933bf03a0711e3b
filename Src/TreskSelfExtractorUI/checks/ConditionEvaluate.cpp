// Evaluating the condition set on this computer: registry properties, the registry and file
// tests of every condition, and the action's expression over their results.
#include "util/Text.h"
#include "checks/Condition.h"
#include "checks/ConditionLogic.h"
#include "checks/ConditionParser.h"
#include "checks/ConditionPlatform.h"
#include "log/BuildLogFile.h"

using textutil::EqualsNoCase;

void CCondition::EvaluateReadRegEntries() {
    const wchar_t* function = L"EvaluateReadRegEntries";
    for (const auto& property : properties) {
        theLog.Log(LOG_INFO, function, L"Reading Registry : %s",
                   FormatWide(L"Root = %d Key = %s Entry = %s", property->root, property->key, property->entry));
        // A failed read leaves the value empty, which removes the property's references.
        std::wstring value;
        ReadRegistryValue(property->root, property->key, property->entry, property->is64 != 0, value);
        theLog.Log(LOG_INFO, function, L"Registry Value : %s", value);
        property->value = value;
        theLog.Log(LOG_INFO, function, L"Property : %s = %s", property->property, value);
    }
}

void CCondition::EvaluateConditions() {
    const wchar_t* function = L"CCondition::EvaluateConditions";
    for (const auto& condition : conditions) {
        int result = 0;
        std::wstring op = NormaliseOperator(condition->op);
        theLog.Log(LOG_INFO, function, L"Operator : %s", op);

        if (EqualsNoCase(condition->type, L"{File}")) {
            std::wstring path = ExpandFilePath(condition->path);
            theLog.Log(LOG_INFO, function, L"Finding file : %s", path);
            if (IsPresenceOperator(op)) {
                bool exists = path.size() < CONDITION_PATH_LIMIT && FindFileEntry(path);
                result = DecideFilePresence(op, exists);
            } else {
                std::wstring version = GetFileVersion(path);
                std::wstring value = FileConditionValue(condition->value);
                theLog.Log(LOG_INFO, function, L"Compare Versions : %s and %s ", version, value);
                result = DecideFileVersion(op, version, value);
            }
        } else if (EqualsNoCase(condition->type, L"{Registry}") || EqualsNoCase(condition->type, L"{Registry64}")) {
            std::wstring value = textutil::StripBraceLayer(condition->value);
            bool is64 = EqualsNoCase(condition->type, L"{Registry64}");
            std::wstring read;
            int status = ReadRegistryPath(condition->path, is64, read);
            if (!IsPresenceOperator(op)) theLog.Log(LOG_INFO, function, L"Compare Values : %s and %s ", read, value);
            result = DecideRegistryCondition(op, status, read, value);
        }

        condition->result = result;
        theLog.Log(LOG_INFO, function, L"Condition%d = %d", static_cast<int>(condition->number), result);
    }
}

void CCondition::EvaluateActionConditions() {
    const wchar_t* function = L"CCondition::EvaluateActionConditions";
    for (const auto& action : actions) {
        CQirvaConditionParser parser;
        if (parser.Reduce(action->expression, results, referencedNames) == REDUCE_TRUE) {
            theLog.Log(LOG_INFO, function, L"Action condition is satisfied");
            action->satisfied = 1;
        } else {
            theLog.Log(LOG_WARNING, function, L"Action condition is not satisfied");
        }
    }
}
