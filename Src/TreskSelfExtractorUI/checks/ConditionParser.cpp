#include "checks/ConditionParser.h"

#include <algorithm>

#include "util/Text.h"

namespace {

// Replaces the name wherever it stands as a whole name, that is not followed by a further digit
// (CONDITION1 must not eat the start of CONDITION12). Returns whether anything was replaced.
bool ReplaceName(std::wstring& text, const std::wstring& name, const std::wstring& letter) {
    bool replaced = false;
    size_t position = 0;
    while ((position = text.find(name, position)) != std::wstring::npos) {
        size_t end = position + name.size();
        if (end < text.size() && text[end] >= L'0' && text[end] <= L'9') {
            position = end;
            continue;
        }
        text.replace(position, name.size(), letter);
        position += letter.size();
        replaced = true;
    }
    return replaced;
}

// One rewriting pass. The order makes not bind tightest, then and, then or; a group holding a
// single letter loses its parentheses.
void RewritePass(std::wstring& text) {
    static const wchar_t* const rules[][2] = {
        {L"NOTT", L"F"},  {L"NOTF", L"T"},  {L"TANDF", L"F"}, {L"FANDT", L"F"},
        {L"FANDF", L"F"}, {L"TANDT", L"T"}, {L"TORF", L"T"},  {L"FORT", L"T"},
        {L"FORF", L"F"},  {L"TORT", L"T"},  {L"(T)", L"T"},   {L"(F)", L"F"},
    };
    for (const auto& rule : rules) text = textutil::ReplaceAll(text, rule[0], rule[1]);
}

}  // namespace

int CQirvaConditionParser::Reduce(const std::wstring& expression, const std::map<int32_t, int32_t>& results,
                                  std::list<std::wstring>& referencedNames) {
    std::wstring text = textutil::Upper(expression);
    if (std::count(text.begin(), text.end(), L'(') != std::count(text.begin(), text.end(), L')'))
        return REDUCE_UNBALANCED;

    for (const auto& entry : results) {
        std::wstring name = L"CONDITION" + std::to_wstring(entry.first);
        if (ReplaceName(text, name, entry.second == 1 ? L"T" : L"F")) referencedNames.push_front(name);
    }
    text.erase(std::remove(text.begin(), text.end(), L' '), text.end());

    while (true) {
        size_t before = text.size();
        RewritePass(text);
        if (text.size() == 1) break;
        if (text.size() == before) return REDUCE_STUCK;
    }
    return text == L"T" ? REDUCE_TRUE : REDUCE_FALSE;
}
