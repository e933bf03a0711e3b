#include "wizard/RequirementsText.h"

#include "wizard/LanguageRadios.h"
#include "wizard/TextFitting.h"

namespace {

std::vector<std::wstring> SplitAtSemicolons(const std::wstring& text) {
    std::vector<std::wstring> parts;
    size_t from = 0;
    for (;;) {
        const size_t at = text.find(L';', from);
        parts.push_back(text.substr(from, at == std::wstring::npos ? std::wstring::npos : at - from));
        if (at == std::wstring::npos) break;
        from = at + 1;
    }
    return parts;
}

}  // namespace

ConditionMessageText BuildConditionMessageText(const std::wstring& setupLanguages, int selectedLanguage,
                                               const std::wstring& failingConditions,
                                               const std::function<std::wstring(const std::wstring&)>& messageFor) {
    ConditionMessageText result;
    std::wstring text;
    for (const std::wstring& entry : SplitAtSemicolons(setupLanguages)) {
        if (entry.empty() || ParseLanguageId(entry) != selectedLanguage) continue;
        std::vector<std::wstring> messages;
        for (const std::wstring& name : SplitAtSemicolons(failingConditions)) {
            if (name.empty()) continue;
            std::wstring message = messageFor(name);
            if (!message.empty()) messages.push_back(std::move(message));
        }
        if (messages.empty()) continue;
        // Every message gets an equal share of the list's room.
        const long long limit = 550 / static_cast<long long>(messages.size()) - 15;
        for (std::wstring& message : messages) {
            result.log.push_back({11, L"Condition Message", message});
            if (static_cast<long long>(message.size()) > limit)
                message = message.substr(0, limit > 0 ? static_cast<size_t>(limit) : 0) + L"...";
            text += message;
            text += L"[NEWLINE]";
        }
    }
    text = ReplacePlaceholder(text, L"[NEWLINE]", L"\n");
    result.text = ReplacePlaceholder(text, L"[TAB]", L"\t");
    return result;
}
