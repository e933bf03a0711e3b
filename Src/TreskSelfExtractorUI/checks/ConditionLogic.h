#pragma once
// The decisions of the condition check, from plain values: version and text comparison, the
// outcome of a registry or file test once the facts are known, the syntax of condition
// definitions and paths, and which messages of unmet conditions are listed.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// CompareVersions results.
enum : int {
    VERSION_FIRST_GREATER = 0,
    VERSION_FIRST_SMALLER = 1,
    VERSION_EQUAL = 2,
};

// Registry read status.
enum : int {
    REGISTRY_FOUND = 1,
    REGISTRY_MISSING = -2,  // the key cannot be opened or the value does not exist
};

// Registry roots, as [ReadRegEntries] numbers them.
enum : int {
    ROOT_NONE = -1,
    ROOT_CLASSES_ROOT = 0,
    ROOT_CURRENT_USER = 1,
    ROOT_LOCAL_MACHINE = 2,
    ROOT_USERS = 3,
};

// Paths of this many characters or more count as not existing.
constexpr size_t CONDITION_PATH_LIMIT = 256;

// Versions are dot-separated decimal components. Everything before the first digit is ignored
// ("Version 4.5"), the first "_" counts as a dot (4_5), and missing trailing components count
// as 0 (4.5 equals 4.5.0.0). An empty text or one without components is equal to anything.
int CompareVersions(const std::wstring& a, const std::wstring& b);
// "{=}", "{>=}", "{<=}", "{!=}", "{>}", "{<}" over a CompareVersions result; 1 or 0.
int MatchVersionOperator(const std::wstring& op, int comparison);
// "{=}" and "{!=}" over texts without regard to letter case; 1 or 0.
int MatchTextOperator(const std::wstring& a, const std::wstring& b, const std::wstring& op);
// Only digits and dots (an empty text counts): the value is compared as a version.
bool IsVersionText(const std::wstring& text);

// The operator with every blank removed ("{ >= }" gives "{>=}").
std::wstring NormaliseOperator(const std::wstring& op);
// Whether an operator only asks for presence: "{EXIST}", "{NOTEXIST}" (any case) or "{}".
bool IsPresenceOperator(const std::wstring& op);

// Outcome of a registry test: op normalised, value with its braces removed, status and text
// of the registry read.
int DecideRegistryCondition(const std::wstring& op, int status, const std::wstring& read, const std::wstring& value);
// Outcome of a file test that asks for presence.
int DecideFilePresence(const std::wstring& op, bool exists);
// Outcome of a file test that compares the file version (empty when the file has none) with
// the value, braces and blanks removed.
int DecideFileVersion(const std::wstring& op, const std::wstring& version, const std::wstring& value);
// The comparison value of a file test: braces, then blanks at both ends, removed.
std::wstring FileConditionValue(const std::wstring& value);

// Returns the value of an environment variable, or empty when it is not set.
using EnvironmentLookup = std::function<std::wstring(const std::wstring&)>;
// A condition's file path with braces and blanks removed and its [%VAR%] reference replaced by
// the variable's value and a backslash. An unset variable leaves the reference in place.
std::wstring ExpandFilePath(const std::wstring& path, const EnvironmentLookup& lookup);
// The path with every [property] reference replaced: in file paths the value gets a trailing
// backslash; an empty value removes the reference.
std::wstring ApplyPropertyToPath(const std::wstring& path, const std::wstring& property, const std::wstring& value,
                                 bool filePath);

// Root number of a hive name written exactly ("HKEY_LOCAL_MACHINE"), ROOT_NONE otherwise.
int HiveRoot(const std::wstring& name);
// Splits "{HKEY_...\key\...\value}" into root, key path and value name. False when the path
// has fewer than two items.
bool ParseRegistryPath(const std::wstring& path, int& root, std::wstring& key, std::wstring& valueName);

// The fields of a condition definition in order: separated by ";", trimmed, empty ones dropped.
std::vector<std::wstring> SplitConditionFields(const std::wstring& definition);
// The number of a condition name ("condition12" gives 12, "condition01" gives 1).
uint16_t ConditionNumber(const std::wstring& name);

// 0 when the name stands in the expression only negated ("not Condition1", "not (Condition1 or
// Condition2)"), else 1.
int IsNameShownInExpression(const std::wstring& expression, const std::wstring& name);
