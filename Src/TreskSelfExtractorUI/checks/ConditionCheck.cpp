#include "checks/ConditionCheck.h"

#include "checks/Condition.h"
#include "package/Settings.h"

int CheckConditions(const std::wstring& settingsFile, int language, std::wstring& conditionMessageKeys) {
    if (GetSettingString(settingsFile, L"Conditions", L"Action1Condition").empty()) return 1;

    CCondition conditionSet(settingsFile);
    conditionSet.ReadConditions(language);
    conditionSet.ReadActions();
    conditionSet.ReadRegEntries(false);
    conditionSet.ReadRegEntries(true);

    conditionSet.EvaluateReadRegEntries();
    conditionSet.ApplyProperties();
    conditionSet.EvaluateConditions();
    conditionSet.CollectResults();
    conditionSet.EvaluateActionConditions();

    conditionMessageKeys = conditionSet.BuildMessageKeys();
    return conditionSet.IsExtractAllowed();
}
