#pragma once
// The package's [Conditions]: one action guarded by an expression over numbered conditions, each
// testing one registry value or one file, and the registry properties that condition paths can
// refer to. A CCondition is the condition set of one check: read from the settings file,
// evaluated, and discarded when the check ends.

#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <string>
#include <vector>

// One condition: {type};path;{operator};{value};{message key}.
class CConditionParts {
public:
    virtual ~CConditionParts() = default;

    std::wstring type;        // "{Registry}", "{Registry64}" or "{File}" as written
    std::wstring path;        // property references are replaced in it before the tests
    std::wstring op;          // "{EXIST}", "{>=}", ... as written
    std::wstring messageKey;  // "{MsgRuntime}", braces included
    std::wstring messageText; // the message key looked up when the condition is read
    std::wstring value;       // "{4.5}", braces included
    uint16_t number = 0;
    int32_t result = 0;       // 1 fulfilled, 0 not
};

// The action: its expression, its word ("Extract") and its message key.
class CAction {
public:
    virtual ~CAction() = default;

    std::wstring expression;  // Action1Condition as written
    std::wstring action;      // Action1
    std::wstring messageKey;  // Action1Message, without braces
    uint16_t number = 0;
    int32_t satisfied = 0;
};

// One entry of [ReadRegEntries] or [ReadRegEntries64]: a registry value read into a property.
struct RegistryProperty {
    std::wstring property;
    std::wstring entry;   // value name
    std::wstring key;     // key path under the root
    std::wstring value;   // the value read; empty until read or when the read fails
    uint8_t is64 = 0;     // read from the 64-bit registry view
    int32_t root = 0;     // 0 HKEY_CLASSES_ROOT, 1 HKEY_CURRENT_USER, 2 HKEY_LOCAL_MACHINE, 3 HKEY_USERS
};

using TextList = std::list<std::wstring>;

class CCondition {
public:
    explicit CCondition(const std::wstring& settingsFile);
    virtual ~CCondition() = default;
    CCondition(const CCondition&) = delete;
    CCondition& operator=(const CCondition&) = delete;

    // Reading (from the settings file).
    void ReadConditions(int language);
    void ReadActions();
    void ReadRegEntries(bool is64);

    // Evaluation, in this order.
    void EvaluateReadRegEntries();
    void ApplyProperties();
    void EvaluateConditions();
    void CollectResults();
    void EvaluateActionConditions();
    std::wstring BuildMessageKeys();
    int IsExtractAllowed() const;
    // Whether the message of an unmet condition belongs in the list: not when the condition
    // only stands negated in the action's expression.
    int IsMessageShown(const std::wstring& name) const;

    const std::wstring settingsFile;
    std::vector<std::unique_ptr<CConditionParts>> conditions;
    std::vector<std::unique_ptr<CAction>> actions;
    std::vector<std::unique_ptr<RegistryProperty>> properties;
    std::map<int32_t, int32_t> results;
    TextList referencedNames;  // condition names the reduction replaced
    TextList listedKeys;       // message keys already in the message list
};

// The expression scanner of the condition set.
class CConditionValidator {
public:
    virtual ~CConditionValidator() = default;

    // Appends the condition names of [Conditions] Action1Condition, lower-cased, in order of
    // occurrence (a name written twice is listed twice).
    void CollectConditionNames(const std::wstring& settingsFile, TextList& names);
    // The same scan over an expression text.
    static void CollectNamesOfExpression(const std::wstring& expression, TextList& names);
};

// The text of a message key (with or without braces) in the language's section, or empty.
std::wstring LookupConditionMessage(const std::wstring& settingsFile, int language, const std::wstring& key);
