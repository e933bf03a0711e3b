#include "checks/ConditionLogic.h"

#include <algorithm>

#include "util/Text.h"

using textutil::EqualsNoCase;

namespace {

// Components of a version text: from its first digit on, with its first "_" read as a dot.
std::vector<int> VersionComponents(const std::wstring& text) {
    size_t firstDigit = text.find_first_of(L"0123456789");
    std::wstring version = firstDigit == std::wstring::npos ? text : text.substr(firstDigit);
    size_t underscore = version.find(L'_');
    if (underscore != std::wstring::npos) version[underscore] = L'.';
    std::vector<int> components;
    for (const auto& item : textutil::SplitInOrder(version, L"."))
        components.push_back(textutil::LeadingNumber(item));
    return components;
}

bool IsOperator(const std::wstring& op, const wchar_t* name) {
    return EqualsNoCase(op, name);
}

}  // namespace

int CompareVersions(const std::wstring& a, const std::wstring& b) {
    std::vector<int> first = VersionComponents(a);
    std::vector<int> second = VersionComponents(b);
    if (first.empty() || second.empty()) return VERSION_EQUAL;
    size_t common = std::min(first.size(), second.size());
    for (size_t i = 0; i < common; ++i) {
        if (first[i] > second[i]) return VERSION_FIRST_GREATER;
        if (first[i] < second[i]) return VERSION_FIRST_SMALLER;
    }
    // The longer version is greater only by a further component that is not 0.
    for (size_t i = common; i < first.size(); ++i)
        if (first[i] != 0) return VERSION_FIRST_GREATER;
    for (size_t i = common; i < second.size(); ++i)
        if (second[i] != 0) return VERSION_FIRST_SMALLER;
    return VERSION_EQUAL;
}

int MatchVersionOperator(const std::wstring& op, int comparison) {
    if (op == L"{=}") return comparison == VERSION_EQUAL;
    if (op == L"{>=}") return comparison == VERSION_FIRST_GREATER || comparison == VERSION_EQUAL;
    if (op == L"{<=}") return comparison == VERSION_FIRST_SMALLER || comparison == VERSION_EQUAL;
    if (op == L"{!=}") return comparison != VERSION_EQUAL;
    if (op == L"{>}") return comparison == VERSION_FIRST_GREATER;
    if (op == L"{<}") return comparison == VERSION_FIRST_SMALLER;
    return 0;
}

int MatchTextOperator(const std::wstring& a, const std::wstring& b, const std::wstring& op) {
    if (op == L"{=}") return EqualsNoCase(a, b);
    if (op == L"{!=}") return !EqualsNoCase(a, b);
    return 0;
}

bool IsVersionText(const std::wstring& text) {
    return text.find_first_not_of(L"0123456789.") == std::wstring::npos;
}

std::wstring NormaliseOperator(const std::wstring& op) {
    std::wstring result = op;
    result.erase(std::remove(result.begin(), result.end(), L' '), result.end());
    return result;
}

bool IsPresenceOperator(const std::wstring& op) {
    return IsOperator(op, L"{EXIST}") || IsOperator(op, L"{NOTEXIST}") || op == L"{}";
}

int DecideRegistryCondition(const std::wstring& op, int status, const std::wstring& read, const std::wstring& value) {
    bool found = status == REGISTRY_FOUND;
    int result = 0;
    if (IsOperator(op, L"{NOTEXIST}")) {
        result = status == REGISTRY_MISSING;
    } else if (IsOperator(op, L"{EXIST}")) {
        result = found;
    } else if (op == L"{=}") {
        // Texts compare without regard to case; an existing empty value equals "{}".
        result = status != REGISTRY_MISSING && EqualsNoCase(read, value);
    } else if (op == L"{}") {
        result = found;
    } else if (found && !read.empty()) {
        result = IsVersionText(value) ? MatchVersionOperator(op, CompareVersions(read, value))
                                      : MatchTextOperator(read, value, op);
    }
    // An existing value differs from the expected one when exactly one of them is empty.
    if (op == L"{!=}" && found && read.empty() != value.empty()) result = 1;
    return result;
}

int DecideFilePresence(const std::wstring& op, bool exists) {
    if (IsOperator(op, L"{NOTEXIST}")) return !exists;
    if (IsOperator(op, L"{EXIST}") || op == L"{}") return exists;
    return 0;
}

int DecideFileVersion(const std::wstring& op, const std::wstring& version, const std::wstring& value) {
    int result = 0;
    if (!version.empty()) result = MatchVersionOperator(op, CompareVersions(version, value));
    // "{=}" with "{}" asks for a file without version information.
    if (op == L"{=}" && version.empty() && value.empty()) result = 1;
    return result;
}

std::wstring FileConditionValue(const std::wstring& value) {
    return textutil::Trim(textutil::StripBraceLayer(value));
}

std::wstring ExpandFilePath(const std::wstring& path, const EnvironmentLookup& lookup) {
    std::wstring result = textutil::Trim(textutil::StripBraceLayer(path));
    size_t open = result.find(L"[%");
    size_t close = result.find(L"%]");
    if (result.size() > 4 && open != std::wstring::npos && close != std::wstring::npos && close >= open + 2) {
        std::wstring name = result.substr(open + 2, close - open - 2);
        std::wstring value = name.empty() ? std::wstring() : lookup(name);
        if (!value.empty()) {
            // The reference stands for a folder: the rest of the path follows after a backslash.
            if (value.back() != L'\\') value += L'\\';
            result = textutil::ReplaceAll(result, L"[%" + name + L"%]", value);
        }
    }
    return result;
}

std::wstring ApplyPropertyToPath(const std::wstring& path, const std::wstring& property, const std::wstring& value,
                                 bool filePath) {
    if (property.empty()) return path;
    std::wstring inserted = value;
    if (filePath && !inserted.empty() && inserted.back() != L'\\') inserted += L'\\';
    return textutil::ReplaceAll(path, L"[" + property + L"]", inserted);
}

int HiveRoot(const std::wstring& name) {
    if (name == L"HKEY_CLASSES_ROOT") return ROOT_CLASSES_ROOT;
    if (name == L"HKEY_CURRENT_USER") return ROOT_CURRENT_USER;
    if (name == L"HKEY_LOCAL_MACHINE") return ROOT_LOCAL_MACHINE;
    if (name == L"HKEY_USERS") return ROOT_USERS;
    return ROOT_NONE;
}

bool ParseRegistryPath(const std::wstring& path, int& root, std::wstring& key, std::wstring& valueName) {
    root = ROOT_NONE;
    key.clear();
    valueName.clear();
    std::vector<std::wstring> items = textutil::SplitInOrder(textutil::StripBraceLayer(path), L"\\");
    if (items.size() < 2) return false;
    root = HiveRoot(items.front());
    valueName = items.back();
    for (size_t i = 1; i + 1 < items.size(); ++i) key += (key.empty() ? L"" : L"\\") + items[i];
    return true;
}

std::vector<std::wstring> SplitConditionFields(const std::wstring& definition) {
    return textutil::SplitInOrder(definition, L";");
}

uint16_t ConditionNumber(const std::wstring& name) {
    std::wstring digits = textutil::ReplaceAll(textutil::Lower(name), L"condition", L"");
    return static_cast<uint16_t>(textutil::LeadingNumber(digits));
}

int IsNameShownInExpression(const std::wstring& expression, const std::wstring& name) {
    using textutil::ReplaceAll;
    std::wstring text = textutil::Lower(expression);
    std::wstring wanted = textutil::Lower(name);

    // A name inside a negated group, "not (... name ...)", is not shown.
    for (size_t at = text.find(L"not"); at != std::wstring::npos; at = text.find(L"not", at + 3)) {
        size_t open = text.find_first_not_of(L' ', at + 3);
        if (open == std::wstring::npos || text[open] != L'(') continue;
        size_t close = text.find(L')', open + 1);
        std::wstring group = text.substr(open + 1, close == std::wstring::npos ? std::wstring::npos : close - open - 1);
        for (const wchar_t* word : {L"(", L")", L"and", L"or", L"not"}) group = ReplaceAll(group, word, L" ");
        for (const auto& word : textutil::SplitInOrder(group, L" "))
            if (word == wanted) return 0;
    }

    // Otherwise the first plain occurrence shows it; a name that only occurs as "not name" is
    // not shown.
    std::wstring spaced = ReplaceAll(ReplaceAll(text, L"(", L" "), L")", L" ");
    std::vector<std::wstring> words = textutil::SplitInOrder(spaced, L" ");
    bool negated = false;
    for (size_t i = 0; i < words.size(); ++i) {
        if (words[i] == wanted) return 1;
        if (words[i] == L"not" && i + 1 < words.size()) {
            if (words[i + 1] == wanted) negated = true;
            ++i;
        }
    }
    return negated ? 0 : 1;
}
