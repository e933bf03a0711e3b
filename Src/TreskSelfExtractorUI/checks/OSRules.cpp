// The package's supported-OS rules: the allowed list of [OS], and the exclusion and warning
// variant lists that refuse or flag editions, service packs and product types of a listed system.
#include <vector>

#include "util/Text.h"
#include "checks/OSValidator.h"
#include "log/BuildLogFile.h"

using textutil::EqualsNoCase;

namespace {

const wchar_t* const kRulesFunction = L"OSVersion";

// Operator tokens of a variant text, in order.
std::vector<std::wstring> OperatorTokens(const std::wstring& text) {
    std::vector<std::wstring> tokens;
    for (size_t i = 0; i < text.size();) {
        if (text.compare(i, 3, L"&&!") == 0) {
            tokens.push_back(L"&&!");
            i += 3;
        } else if (text.compare(i, 2, L"&&") == 0 || text.compare(i, 2, L"||") == 0) {
            tokens.push_back(text.substr(i, 2));
            i += 2;
        } else {
            ++i;
        }
    }
    return tokens;
}

// The operator a chain of three or more operands is read with: decided by the first "&" (or,
// without any, the first "|"); empty when the text starts no operator there.
std::wstring ChainOperator(const std::wstring& text) {
    size_t ampersand = text.find(L'&');
    if (ampersand != std::wstring::npos) return text.compare(ampersand, 3, L"&&!") == 0 ? L"&&!" : L"&&";
    size_t bar = text.find(L'|');
    if (bar != std::wstring::npos && text.compare(bar, 2, L"||") == 0) return L"||";
    return std::wstring();
}

// Pieces between the occurrences of op, empty pieces kept (a leading operator leaves one).
std::vector<std::wstring> SplitAtOperator(const std::wstring& text, const std::wstring& op) {
    std::vector<std::wstring> pieces;
    size_t start = 0;
    while (true) {
        size_t next = text.find(op, start);
        pieces.push_back(text.substr(start, next == std::wstring::npos ? std::wstring::npos : next - start));
        if (next == std::wstring::npos) break;
        start = next + op.size();
    }
    return pieces;
}

// "&&!T" gives "F", "&&!F" gives "T"; anything else stays.
std::wstring Negated(wchar_t letter) {
    if (letter == L'T') return L"F";
    if (letter == L'F') return L"T";
    return std::wstring(1, letter);
}

}  // namespace

int COSValidator::ApplyOSRules() {
    auto allowed = osSettings.find(L"osallowed");
    if (allowed == osSettings.end() || allowed->second.empty()) {
        theLog.Log(LOG_INFO, kRulesFunction, L"No OSes are supported");
        return OS_NOT_SUPPORTED;
    }
    theLog.Log(LOG_INFO, kRulesFunction, L"Supported OSes : %s", allowed->second);
    int result = CheckOSVariantsForExclusion();
    if (result == OS_SUPPORTED) {
        result = CheckOSVariantsForWarning();
        if (result == OS_WARNING) theLog.Log(LOG_INFO, kRulesFunction, L"Show Warning for OS");
    }
    if (result == OS_NOT_SUPPORTED || result == -1) {
        result = OS_NOT_SUPPORTED;
        theLog.Log(LOG_INFO, kRulesFunction, L"Show Error for OS");
    }
    return result;
}

int COSValidator::CheckOSVariantsForExclusion() {
    return CheckOSVariants(L"exclude", OS_NOT_SUPPORTED);
}

int COSValidator::CheckOSVariantsForWarning() {
    return CheckOSVariants(L"warning", OS_WARNING);
}

int COSValidator::CheckOSVariants(const wchar_t* suffix, int hit) {
    int result = -1;
    auto allowed = osSettings.find(L"osallowed");
    std::wstring list = allowed == osSettings.end() ? std::wstring() : textutil::Lower(allowed->second);
    std::vector<std::wstring> items = textutil::SplitInOrder(list, L";");

    // The keys consulted are named by the system's own name, or by the last "+" item seen, so a
    // rule written for "Windows7+" applies to every system that item admits.
    auto pass = [&](const std::wstring& start) {
        std::wstring entry = start;
        for (const auto& item : items) {
            if (item.back() == L'+') entry = item;
            if (CheckOSVariant(entry + suffix)) {
                result = hit;
                return;
            }
            result = OS_SUPPORTED;
        }
    };
    if (IsOSInAllowedList(list, matchName)) pass(matchName);
    if (IsOSInAllowedList(list, versionCode) && (result == OS_SUPPORTED || result == -1)) pass(versionCode);
    return result;
}

bool COSValidator::IsOSInAllowedList(const std::wstring& list, const std::wstring& name) const {
    for (const auto& written : textutil::SplitInOrder(list, L";")) {
        if (EqualsNoCase(written, name)) return true;
        if (written.back() != L'+') continue;
        // "Windows7+": this version or a later one.
        std::wstring item = textutil::Lower(written.substr(0, written.size() - 1));
        std::wstring code = GetOSVersionCode(item);
        if (code.empty()) code = textutil::ReplaceAll(item, L"windows", L"");
        if (textutil::EndsWith(code, L"64") && !is64) continue;
        // Two-digit majors (10) start with "1"; every other major is one digit.
        bool twoDigitMajor = !code.empty() && code[0] == L'1';
        std::wstring majorText = code.substr(0, twoDigitMajor ? 2 : 1);
        std::wstring minorText = code.size() > majorText.size() ? code.substr(majorText.size(), 1) : std::wstring();
        uint32_t major = static_cast<uint32_t>(textutil::LeadingNumber(majorText));
        uint32_t minor = static_cast<uint32_t>(textutil::LeadingNumber(minorText));
        if (major < majorVersion || (major == majorVersion && minor <= minorVersion)) return true;
    }
    return false;
}

std::wstring COSValidator::GetOSVersionCode(const std::wstring& name) {
    struct Row {
        const wchar_t* names[3];
        const wchar_t* code;
    };
    // The 10.0 names, then the older ones; the first matching row wins.
    static const Row rows[] = {
        {{L"windows10", L"windows2016", L"windows2019"}, L"100"},
        {{L"windows1064", L"windows201664", L"windows201964"}, L"10064"},
        {{L"windows7", L"windows2008R2", nullptr}, L"61"},
        {{L"windows764", L"windows2008R264", nullptr}, L"6164"},
        {{L"windowsvista", L"windows2008", nullptr}, L"60"},
        {{L"windowsvista64", L"windows200864", nullptr}, L"6064"},
        {{L"windows2003R2", L"windows2003", nullptr}, L"52"},
        {{L"windowsxp", nullptr, nullptr}, L"51"},
        {{L"windows2003R264", L"windowsXP64", L"windows200364"}, L"5264"},
        {{L"windows2000", nullptr, nullptr}, L"50"},
        {{L"windowsnt", nullptr, nullptr}, L"40"},
        {{L"windows95", nullptr, nullptr}, L"410"},
        {{L"windows98", nullptr, nullptr}, L"490"},
    };
    for (const auto& row : rows)
        for (const wchar_t* candidate : row.names)
            if (candidate && EqualsNoCase(name, candidate)) return row.code;
    return std::wstring();
}

bool COSValidator::CheckOSVariant(const std::wstring& key) {
    const wchar_t* function = L"CheckOSVariant";
    auto found = osSettings.find(key);
    if (found == osSettings.end() || found->second.empty()) return false;
    const std::wstring& value = found->second;
    theLog.Log(LOG_INFO, function, L"%s  : %s", key, value);
    if (value == L";") {
        theLog.Log(LOG_INFO, function, L"All variants of %s are supported", textutil::Lower(matchName));
        return true;
    }
    for (const auto& variant : textutil::SplitInOrder(value, L";"))
        if (GetOSVariantConditionResult(variant) == 1) return true;
    return false;
}

int COSValidator::GetOSVariantConditionResult(const std::wstring& variant) {
    using textutil::ReplaceAll;
    std::wstring separated = ReplaceAll(ReplaceAll(ReplaceAll(variant, L"&&!", L";"), L"&&", L";"), L"||", L";");
    std::vector<std::wstring> operands = textutil::SplitInOrder(separated, L";");

    std::wstring text = variant;
    for (const auto& operand : operands) text = ValiodateOSVariants(operand, text);

    if (operands.size() <= 2) return ReduceVariantExpression(text) == L"T" ? 1 : 0;

    // Longer chains are read with one operator only; a mix cannot be read reliably and never
    // excludes or warns.
    std::wstring op = ChainOperator(text);
    bool valid = !op.empty();
    for (const auto& token : OperatorTokens(text))
        if (token != op) valid = false;
    if (!valid) {
        theLog.Log(LOG_INFO, L"GetOSVariantConditionResult",
                   L"Invalid variant combination. Current OS will be included");
        return 0;
    }
    return EvaluateVariantChain(text, op);
}

std::wstring COSValidator::ValiodateOSVariants(const std::wstring& operand, const std::wstring& text) {
    const wchar_t* function = L"ValiodateOSVariants";
    // A rule for "no service pack" is written "0" or "SP0"; once such a rule has been asked, the
    // system's service-pack number reads "0" (the OS message then names the missing pack).
    if ((operand == L"0" || EqualsNoCase(operand, L"SP0")) && servicePackNumber.empty()) servicePackNumber = L"0";

    std::wstring value = L"F";
    if (EqualsNoCase(operand, editionCode)) {
        value = L"T";
        theLog.Log(LOG_INFO, function, L"Edition : %s", editionCode);
    } else if (EqualsNoCase(operand, productName)) {
        value = L"T";
        theLog.Log(LOG_INFO, function, L"Edition : %s", productName);
    } else if (EqualsNoCase(operand, servicePackNumber) || EqualsNoCase(operand, L"SP" + servicePackNumber)) {
        value = L"T";
        theLog.Log(LOG_INFO, function, L"Service Pack : %s", servicePackNumber);
    } else if (EqualsNoCase(operand, productTag)) {
        value = L"T";
        theLog.Log(LOG_INFO, function, L"Product Type : %s", productTag);
    } else if (EqualsNoCase(operand, L"Unknown Product")) {
        value = L"T";
        theLog.Log(LOG_INFO, function, L"Unknown Product");
    }

    // Rebuild the text with this operand replaced by its truth value. Operators are recognised
    // by the words they were turned into, so an operand written in capitals that contains OR or
    // AND (STANDARD) is read as an operator.
    using textutil::ReplaceAll;
    std::wstring marked = ReplaceAll(text, L"&&!", L";ANDNOT;");
    marked = ReplaceAll(ReplaceAll(marked, L"&&", L";AND;"), L"||", L";OR;");
    std::wstring rebuilt;
    for (const auto& item : textutil::SplitInOrder(marked, L";")) {
        if (item.find(L"OR") != std::wstring::npos) {
            rebuilt += L"||";
        } else if (item.find(L"ANDNOT") != std::wstring::npos) {
            rebuilt += L"&&!";
        } else if (item.find(L"AND") != std::wstring::npos) {
            rebuilt += L"&&";
        } else if (EqualsNoCase(item, operand)) {
            rebuilt += value;
        } else {
            rebuilt += item;
        }
    }
    return rebuilt;
}

std::wstring COSValidator::ReduceVariantExpression(const std::wstring& text) {
    std::wstring result = text;
    size_t size = result.size();
    if (textutil::StartsWith(result, L"&&!")) {
        // A variant that begins with "&&!" reads "not".
        if (size >= 4) result = Negated(result[3]) + result.substr(4);
    } else if (size >= 4 && result.compare(size - 4, 3, L"&&!") == 0) {
        // "X||&&!Y" reads "X or not Y"; "X&&!Y" is left to the pairs below.
        if (size >= 6 && result.compare(size - 6, 2, L"||") == 0)
            result = result.substr(0, size - 4) + Negated(result[size - 1]);
    } else if (size >= 3 && (textutil::StartsWith(result, L"&&") || textutil::StartsWith(result, L"||"))) {
        // A leading "&&" or "||" has nothing on its left and is dropped.
        result = result.substr(2);
    }
    static const wchar_t* const pairs[][2] = {
        {L"T&&F", L"F"}, {L"F&&T", L"F"}, {L"F&&F", L"F"}, {L"T&&T", L"T"},
        {L"T||F", L"T"}, {L"F||T", L"T"}, {L"F||F", L"F"}, {L"T||T", L"T"},
        {L"T&&!F", L"T"}, {L"F&&!T", L"F"}, {L"F&&!F", L"F"}, {L"T&&!T", L"F"},
    };
    for (const auto& pair : pairs) result = textutil::ReplaceAll(result, pair[0], pair[1]);
    return result;
}

int COSValidator::EvaluateVariantChain(const std::wstring& text, const std::wstring& op) {
    std::vector<std::wstring> operands = SplitAtOperator(text, op);
    if (op == L"||") {
        for (const auto& operand : operands)
            if (operand == L"T") return 1;
        return 0;
    }
    if (op == L"&&") {
        for (const auto& operand : operands)
            if (operand == L"F") return 0;
        return 1;
    }
    if (op == L"&&!") {
        // "A&&!B&&!C" reads: A holds and none of B, C holds, the way "A&&!B" reads for two. A
        // chain that begins with "&&!" has no first operand and reads: none of them holds.
        if (!operands[0].empty() && operands[0] != L"T") return 0;
        for (size_t i = 1; i < operands.size(); ++i)
            if (operands[i] == L"T") return 0;
        return 1;
    }
    return 0;
}
