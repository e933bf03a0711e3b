#include "lint/LintRules.h"

#include <algorithm>
#include <map>
#include <set>

#include "util/Text.h"
#include "checks/Condition.h"
#include "checks/ConditionLogic.h"
#include "checks/ConditionParser.h"
#include "text/Utf.h"

namespace {

std::wstring Wide(const std::string& utf8) {
    std::u16string units;
    std::string ignored;
    Utf8ToUtf16(utf8, units, ignored);
    return std::wstring(units.begin(), units.end());
}

std::string Narrow(const std::wstring& text) {
    std::u16string units;
    for (wchar_t c : text) units += static_cast<char16_t>(c);
    return Utf16ToUtf8(units);
}

// Every condition of the expression evaluates to the same value: a well-formed expression then
// reduces to true or false, a malformed one gets stuck or is unbalanced.
int ReduceWithAll(const std::wstring& expression, const std::set<uint16_t>& numbers, int value) {
    std::map<int32_t, int32_t> results;
    for (uint16_t number : numbers) results[number] = value;
    std::list<std::wstring> referenced;
    return CQirvaConditionParser().Reduce(expression, results, referenced);
}

bool IsOperator(const std::wstring& op) {
    static const std::set<std::wstring> valid = {L"{EXIST}", L"{NOTEXIST}", L"{}",  L"{=}",  L"{!=}",
                                                 L"{>}",     L"{<}",        L"{>=}", L"{<=}"};
    return valid.count(textutil::Upper(NormaliseOperator(op))) != 0;
}

bool InBraces(const std::wstring& field) {
    return field.size() >= 2 && field.front() == L'{' && field.back() == L'}';
}

// Property names that the registry sections define.
std::set<std::string> DefinedProperties(const IniDocument& settings) {
    std::set<std::string> names;
    for (const char* section : {"ReadRegEntries", "ReadRegEntries64"}) {
        for (int n = 1;; ++n) {
            std::string number = std::to_string(n);
            auto root = settings.Get(section, "Root" + number);
            if (!root || *root == "-1") break;
            std::string property = settings.GetOr(section, "Property" + number);
            if (!property.empty()) names.insert(LowerAscii(property));
        }
    }
    return names;
}

}  // namespace

void LintConditions(const IniDocument& settings, std::vector<LintFinding>& findings) {
    std::string expressionText = settings.GetOr("Conditions", "Action1Condition");
    if (expressionText.empty()) return;
    auto add = [&](bool error, const std::string& where, const std::string& message) {
        findings.push_back({error, where, message});
    };
    std::string action = settings.GetOr("Conditions", "Action1");
    if (LowerAscii(action) != "extract")
        add(true, "[Conditions] Action1", "must be Extract, or extraction never goes on (it is '" + action + "')");

    std::wstring expression = Wide(expressionText);
    TextList names;
    CConditionValidator::CollectNamesOfExpression(expression, names);
    std::set<uint16_t> numbers;
    for (const auto& name : names) {
        uint16_t number = ConditionNumber(name);
        std::string key = "Condition" + std::to_string(number);
        if (number == 0 || LowerAscii(key) != Narrow(name)) {
            add(true, "[Conditions] Action1Condition",
                "'" + Narrow(name) + "' is not a condition name (Condition followed by its number, no leading zeros)");
            continue;
        }
        numbers.insert(number);
    }
    for (int value : {1, 0}) {
        int result = ReduceWithAll(expression, numbers, value);
        if (result == REDUCE_UNBALANCED) {
            add(true, "[Conditions] Action1Condition", "the parentheses do not balance");
            break;
        }
        if (result == REDUCE_STUCK) {
            add(true, "[Conditions] Action1Condition",
                "cannot be evaluated: only condition names, and, or, not, parentheses and blanks are allowed");
            break;
        }
    }

    std::set<std::string> properties = DefinedProperties(settings);
    std::set<std::wstring> messageKeys;
    std::string actionMessage = settings.GetOr("Conditions", "Action1Message");
    if (!actionMessage.empty()) messageKeys.insert(Wide(actionMessage));
    for (uint16_t number : numbers) {
        std::string key = "Condition" + std::to_string(number);
        std::string where = "[Conditions] " + key;
        auto definition = settings.Get("Conditions", key);
        if (!definition || definition->empty()) {
            add(true, where, "is used in Action1Condition but not defined");
            continue;
        }
        std::vector<std::wstring> fields = SplitConditionFields(Wide(*definition));
        if (fields.size() < 5) {
            add(true, where, "needs five fields {type};path;{operator};{value};{message key} (write {} for an empty one)");
            continue;
        }
        std::wstring type = textutil::Upper(fields[0]);
        bool registry = type == L"{REGISTRY}" || type == L"{REGISTRY64}";
        if (!registry && type != L"{FILE}")
            add(true, where, "type must be {Registry}, {Registry64} or {File}, not " + Narrow(fields[0]));
        if (!IsOperator(fields[2])) add(true, where, "unknown operator " + Narrow(fields[2]));
        if (!InBraces(fields[3])) add(true, where, "the value must be written in braces, such as {4.5} or {}");
        if (!InBraces(fields[4])) add(true, where, "the message key must be written in braces, such as {MsgRuntime} or {}");
        if (registry) {
            std::wstring path = textutil::StripBraceLayer(fields[1]);
            int root = 0;
            std::wstring registryKey, value;
            if (!ParseRegistryPath(path, root, registryKey, value) || root < 0)
                add(true, where, "the registry path must start with HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, "
                                 "HKEY_LOCAL_MACHINE or HKEY_USERS (in capitals) and name a value");
        }
        // Property references [name]; the file path's [%VAR%] is an environment reference.
        std::string path = Narrow(fields[1]);
        for (size_t open = path.find('['); open != std::string::npos; open = path.find('[', open + 1)) {
            size_t close = path.find(']', open);
            if (close == std::string::npos) break;
            std::string name = path.substr(open + 1, close - open - 1);
            if (!name.empty() && name.front() == '%') continue;
            if (!properties.count(LowerAscii(name)))
                add(true, where, "refers to the property [" + name + "], which [ReadRegEntries] does not define");
        }
        std::wstring message = fields[4];
        if (InBraces(message) && message.size() > 2) messageKeys.insert(message.substr(1, message.size() - 2));
    }

    std::vector<std::string> languages = SplitList(settings.GetOr("Languages", "SetupLanguages"), ';');
    if (languages.empty()) languages.push_back("1033");
    for (const auto& key : messageKeys)
        for (const auto& language : languages)
            if (!settings.Get(language, Narrow(key)))
                add(false, "[" + language + "]", "lacks the condition message " + Narrow(key));
}

void LintOperatingSystems(const IniDocument& settings, std::vector<LintFinding>& findings) {
    if (!settings.HasSection("OS")) return;
    auto add = [&](bool error, const std::string& where, const std::string& message) {
        findings.push_back({error, where, message});
    };
    std::string allowed = settings.GetOr("OS", "osallowed");
    if (allowed.empty()) {
        add(false, "[OS] osallowed", "is empty, so every system is refused");
        return;
    }
    for (const auto& item : SplitList(allowed, ';'))
        if (LowerAscii(item).compare(0, 7, "windows") != 0 || item.size() <= 7)
            add(true, "[OS] osallowed", "'" + item + "' is not a system name such as Windows10 or Windows1064");
    for (const auto& entry : settings.Entries("OS")) {
        std::string key = LowerAscii(entry.first);
        for (const char* suffix : {"exclude", "warning"}) {
            size_t length = std::string(suffix).size();
            if (key.size() <= length || key.compare(key.size() - length, length, suffix) != 0) continue;
            std::string where = "[OS] " + entry.first;
            std::string value = TrimText(entry.second);
            if (value == ";") continue;  // every variant
            // Variants are operands joined by &&, || and &&!; an empty operand is a slip.
            for (const auto& variant : SplitList(value, ';')) {
                std::string text = variant;
                for (const char* op : {"&&!", "&&", "||"})
                    for (size_t at = text.find(op); at != std::string::npos; at = text.find(op)) text.replace(at, std::string(op).size(), "\x01");
                if (!text.empty() && text.front() == '\x01') text.erase(0, 1);  // a leading operator is allowed
                bool emptyOperand = !text.empty() && (text.back() == '\x01' || text.find("\x01\x01") != std::string::npos);
                for (size_t at = 0; !emptyOperand && at < text.size();) {
                    size_t next = text.find('\x01', at);
                    if (TrimText(text.substr(at, next == std::string::npos ? std::string::npos : next - at)).empty())
                        emptyOperand = true;
                    if (next == std::string::npos) break;
                    at = next + 1;
                }
                bool strayOperator = text.find_first_of("&|") != std::string::npos;
                if (emptyOperand || strayOperator)
                    add(true, where, "the variant '" + variant + "' has an empty operand or a stray operator");
            }
        }
    }
}
