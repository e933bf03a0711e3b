#include "wizard/LanguageRadios.h"

#include <cwctype>

namespace {

constexpr int LEVEL_INFO = 8;
constexpr size_t SLOT_COUNT = sizeof(LANGUAGE_RADIO_IDS) / sizeof(LANGUAGE_RADIO_IDS[0]);

}  // namespace

int ParseLanguageId(const std::wstring& text) {
    size_t i = 0;
    while (i < text.size() && std::iswspace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
    long long value = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        value = value * 10 + (text[i] - L'0');
        if (value > 2147483647LL) return 0;  // no language identifier is that large
    }
    return static_cast<int>(negative ? -value : value);
}

LanguageRadios BuildLanguageRadios(const std::vector<std::wstring>& languageList,
                                   const std::function<bool(int)>& installed,
                                   const std::function<std::wstring(int)>& radioText,
                                   const std::function<std::wstring(int)>& languageName) {
    LanguageRadios radios;
    // Languages past the tenth have no slot and are not offered.
    for (size_t n = 0; n < languageList.size() && n < SLOT_COUNT; ++n) {
        LanguageRadioSlot slot;
        slot.controlId = LANGUAGE_RADIO_IDS[n];
        slot.lcid = ParseLanguageId(languageList[n]);
        if (installed(slot.lcid)) {
            slot.text = radioText(slot.lcid);
            if (slot.text.empty()) slot.text = L"Unknown Language";
        } else {
            slot.text = languageName(slot.lcid);
            slot.enabled = false;
            radios.log.push_back({LEVEL_INFO, L"DisplayRadioButtons",
                                  L"Language : " + slot.text + L" not supported and has been disabled"});
        }
        radios.slots.push_back(std::move(slot));
    }
    return radios;
}

LanguageRadioMark SelectCurrentLanguageRadio(const std::vector<LanguageRadioSlot>& slots, int selectedLanguage) {
    LanguageRadioMark mark;
    const LanguageRadioSlot* chosen = nullptr;
    if (slots.size() == 1) {
        chosen = &slots.front();
    } else {
        for (const auto& slot : slots) {
            if (slot.lcid == selectedLanguage) {
                chosen = &slot;
                break;
            }
        }
    }
    if (chosen) {
        mark.controlId = chosen->controlId;
        mark.log.push_back({LEVEL_INFO, L"SetSelectedUserLang",
                            L"Setting the radio button for LanguageID : " + std::to_wstring(chosen->lcid)});
    }
    return mark;
}

int LanguageAfterRadioClick(const std::vector<LanguageRadioSlot>& slots, const std::function<bool(int)>& isMarked,
                            const std::function<bool(int)>& reload, std::vector<WizardLogLine>& log) {
    for (const auto& slot : slots) {
        if (!isMarked(slot.controlId)) continue;
        log.push_back({LEVEL_INFO, L"Language Selected", L"ID of the Language selected : " + std::to_wstring(slot.lcid)});
        if (reload(slot.lcid)) return slot.lcid;
        break;
    }
    reload(FALLBACK_LANGUAGE);
    return FALLBACK_LANGUAGE;
}

int DefaultSetupLanguage(int userUiLanguage, const std::vector<std::wstring>& languageList) {
    for (const auto& language : languageList)
        if (ParseLanguageId(language) == userUiLanguage) return userUiLanguage;
    return FALLBACK_LANGUAGE;
}
