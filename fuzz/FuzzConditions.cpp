// Fuzzes the grammar of the package's conditions, which the program evaluates and the packager
// checks: the action's expression over numbered conditions, the conditions' definitions, the
// reduction of the expression and the list of messages of unmet conditions.
//
// Input: text, UTF-8 where it is valid. The first line is the expression (Action1Condition); each
// further line defines the next condition name the expression uses, in order, the way the program
// reads them ({type};path;{operator};{value};{message key}). A blank line ends the definitions.
// The facts of the computer are made up, so every outcome follows from the text alone.

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "util/Text.h"
#include "checks/Condition.h"
#include "checks/ConditionLogic.h"
#include "checks/ConditionParser.h"

namespace {

std::vector<std::wstring> Lines(const std::wstring& text) {
    std::vector<std::wstring> lines;
    size_t start = 0;
    while (true) {
        size_t end = text.find(L'\n', start);
        std::wstring line = text.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        lines.push_back(line);
        if (end == std::wstring::npos) return lines;
        start = end + 1;
    }
}

// One condition's outcome with made-up facts: a registry value exists when its path names one of
// the four hives and reads as its own value name; a file exists when its path ends in ".exe" and
// then has the version 4.5.1.0.
int Decide(const CConditionParts& condition) {
    std::wstring op = NormaliseOperator(condition.op);
    if (textutil::EqualsNoCase(condition.type, L"{File}")) {
        std::wstring path = ExpandFilePath(condition.path, [](const std::wstring& name) {
            return textutil::EqualsNoCase(name, L"ProgramFiles") ? std::wstring(L"C:\\Program Files") : std::wstring();
        });
        bool exists = path.size() < CONDITION_PATH_LIMIT && textutil::EndsWith(textutil::Lower(path), L".exe");
        if (IsPresenceOperator(op)) return DecideFilePresence(op, exists);
        return DecideFileVersion(op, exists ? L"4.5.1.0" : L"", FileConditionValue(condition.value));
    }
    if (textutil::EqualsNoCase(condition.type, L"{Registry}") || textutil::EqualsNoCase(condition.type, L"{Registry64}")) {
        int root = ROOT_NONE;
        std::wstring key, valueName;
        bool named = ParseRegistryPath(condition.path, root, key, valueName) && root != ROOT_NONE;
        return DecideRegistryCondition(op, named ? REGISTRY_FOUND : REGISTRY_MISSING, valueName,
                                       textutil::StripBraceLayer(condition.value));
    }
    return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::wstring> lines = Lines(fuzz::WideText(data, size));
    const std::wstring& expression = lines[0];

    CCondition set(L"Properties_Qirva.ini");
    auto action = std::make_unique<CAction>();
    action->expression = expression;
    action->action = L"Extract";
    action->messageKey = L"MsgPrerequisites";
    set.actions.push_back(std::move(action));
    auto property = std::make_unique<RegistryProperty>();
    property->property = L"ToolsDir";
    property->value = L"C:\\Tools";
    set.properties.push_back(std::move(property));

    TextList names;
    CConditionValidator::CollectNamesOfExpression(expression, names);
    size_t next = 1;
    for (const auto& name : names) {
        if (next >= lines.size() || lines[next].empty()) break;
        std::vector<std::wstring> fields = SplitConditionFields(lines[next++]);
        fields.resize(5);
        auto condition = std::make_unique<CConditionParts>();
        condition->number = ConditionNumber(name);
        condition->type = fields[0];
        condition->path = fields[1];
        condition->op = fields[2];
        condition->value = fields[3];
        condition->messageKey = fields[4];
        set.conditions.push_back(std::move(condition));
    }

    // The program's order: properties into the paths, each condition, then the expression.
    set.ApplyProperties();
    for (const auto& condition : set.conditions) condition->result = Decide(*condition);
    set.CollectResults();
    CQirvaConditionParser parser;
    if (parser.Reduce(expression, set.results, set.referencedNames) == REDUCE_TRUE) set.actions.front()->satisfied = 1;
    set.BuildMessageKeys();
    set.IsExtractAllowed();

    // The packager's check: every condition true, then every condition false.
    std::set<uint16_t> numbers;
    for (const auto& name : names) numbers.insert(ConditionNumber(name));
    for (int value : {1, 0}) {
        std::map<int32_t, int32_t> results;
        for (uint16_t number : numbers) results[number] = value;
        std::list<std::wstring> referenced;
        parser.Reduce(expression, results, referenced);
    }
    return 0;
}
