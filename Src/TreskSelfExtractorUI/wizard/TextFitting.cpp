#include "wizard/TextFitting.h"

#include "util/Text.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace {

const std::wstring DOTS = L"...";

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// The length of the prefix one character longer than length: a surrogate pair counts as one
// character, so a cut never leaves half of it.
size_t LongerPrefix(const std::wstring& text, size_t length) {
    if (length + 1 < text.size() && IsHighSurrogate(text[length]) && IsLowSurrogate(text[length + 1]))
        return length + 2;
    return length + 1;
}

// The start of the suffix one character longer than the one starting at start.
size_t LongerSuffix(const std::wstring& text, size_t start) {
    if (start >= 2 && IsLowSurrogate(text[start - 1]) && IsHighSurrogate(text[start - 2])) return start - 2;
    return start - 1;
}

int ToIntTruncated(double value) {
    if (value >= 2147483647.0) return 2147483647;
    if (value <= -2147483648.0) return -2147483647 - 1;
    return static_cast<int>(value);
}

// The common search: the longest prefix (or suffix) whose width stays below avail, compared as
// unsigned numbers. Returns false when every prefix stays below avail (no cut needed).
bool FindCut(const std::wstring& text, int avail, int mode, const TextMeasure& measure, std::wstring& kept) {
    const uint32_t limit = static_cast<uint32_t>(avail);
    kept.clear();
    if (mode == FIT_KEEP_START) {
        for (size_t k = LongerPrefix(text, 0); k <= text.size(); k = LongerPrefix(text, k)) {
            std::wstring prefix = text.substr(0, k);
            if (static_cast<uint32_t>(measure(prefix)) >= limit) return true;
            kept = std::move(prefix);
        }
        return false;
    }
    if (text.empty()) return false;
    for (size_t start = LongerSuffix(text, text.size());; start = LongerSuffix(text, start)) {
        std::wstring suffix = text.substr(start);
        if (static_cast<uint32_t>(measure(suffix)) >= limit) return true;
        kept = std::move(suffix);
        if (start == 0) return false;
    }
}

// The language page: the search stops at the first prefix that reaches 0.9 x avail (in single
// precision); of that prefix and the one before it, the one nearer to avail is kept, but never one
// wider than avail, so the text cannot run past its control.
std::wstring FitLanguageText(const std::wstring& text, int avail, const TextMeasure& measure) {
    const float stop = 0.9f * static_cast<float>(static_cast<uint32_t>(avail));
    std::wstring previous;
    long long previousWidth = 0;
    for (size_t k = LongerPrefix(text, 0); k <= text.size(); k = LongerPrefix(text, k)) {
        std::wstring prefix = text.substr(0, k);
        const long long width = measure(prefix);
        if (static_cast<float>(width) >= stop) {
            const bool keepCurrent =
                width <= avail && std::llabs(avail - width) < static_cast<long long>(avail) - previousWidth;
            return (keepCurrent ? prefix : previous) + DOTS;
        }
        previous = std::move(prefix);
        previousWidth = width;
    }
    return text;
}

}  // namespace

TextFitLimits ComputeTextFitLimits(TextFitVariant variant, int width, int height, int lineHeight, int dotsWidth) {
    double lines;
    if (variant == FIT_LICENSE) {
        lines = 2.0;
    } else {
        lines = lineHeight > 0 ? std::floor(static_cast<double>(height) / lineHeight) : 0.0;
        if (variant == FIT_SHEET_TITLE && lines == 0.0) lines = 1.0;
        if (variant == FIT_FINISH_PAGE) lines -= 1.0;
    }
    TextFitLimits limits;
    limits.lines = ToIntTruncated(lines);
    limits.reserve = ToIntTruncated(lines * 6.0 + dotsWidth);
    limits.avail = ToIntTruncated(static_cast<double>(width) * lines) - limits.reserve;
    return limits;
}

std::wstring FitText(const std::wstring& text, int width, int height, int textWidth, int lineHeight, int mode,
                     TextFitVariant variant, const TextMeasure& measure) {
    if (textWidth <= width) return text;
    const TextFitLimits limits = ComputeTextFitLimits(variant, width, height, lineHeight, measure(DOTS));
    if (variant == FIT_LANGUAGE) return FitLanguageText(text, limits.avail, measure);
    std::wstring kept;
    if (!FindCut(text, limits.avail, mode, measure, kept)) return text;
    return mode == FIT_KEEP_START ? kept + DOTS : DOTS + kept;
}

int ShortTitleBlankCount(int width, int textWidth) {
    if (width <= 0) return 0;
    const float w = static_cast<float>(width);
    const int limit = static_cast<int>(w * 0.2f);
    if (limit <= textWidth) return 0;
    const int percent = static_cast<int>(static_cast<float>(textWidth) * 100.0f / w);
    // (20 - percent) % of the width, multiplied before dividing so that whole results stay exact.
    const int blanks = static_cast<int>(static_cast<float>(20 - percent) * w / 100.0f);
    return blanks > 0 ? blanks : 0;
}

std::wstring FitSheetTitle(const std::wstring& title, int width, int height, int lineHeight,
                           const TextMeasure& measure) {
    const int textWidth = measure(title);
    const std::wstring padded = title + std::wstring(static_cast<size_t>(ShortTitleBlankCount(width, textWidth)), L' ');
    return FitText(padded, width, height, textWidth, lineHeight, FIT_KEEP_START, FIT_SHEET_TITLE, measure);
}

int PromptFitMode(int controlId) { return controlId == 1030 || controlId == 1069 ? FIT_KEEP_END : FIT_KEEP_START; }

std::wstring ReplacePlaceholder(const std::wstring& text, const std::wstring& placeholder, const std::wstring& value) {
    return textutil::ReplaceAll(text, placeholder, value);
}

std::wstring FitTextWithShortenedValue(const std::wstring& templateText, const std::wstring& placeholder,
                                       const std::wstring& value, int width, int height, int templateWidth,
                                       int lineHeight, TextFitVariant variant, const TextMeasure& measure) {
    std::wstring shownValue = value;
    if (!value.empty() && templateWidth > width) {
        const std::wstring full = ReplacePlaceholder(templateText, placeholder, value);
        const TextFitLimits limits = ComputeTextFitLimits(variant, width, height, lineHeight, measure(DOTS));
        std::wstring kept;
        const size_t count = FindCut(full, limits.avail, FIT_KEEP_START, measure, kept) ? kept.size() : full.size();
        // A substituted text that fits its lines needs no cut, even when the template alone is
        // wider than one line.
        if (templateText.size() < count && templateText.size() + value.size() > count && full.size() > count) {
            // Keep as much of the value as lets the substituted text, with the dots, have count
            // characters.
            const size_t fixed = templateText.size() - placeholder.size() + DOTS.size();
            const size_t keep = count > fixed ? count - fixed : 0;
            if (keep < value.size()) {
                size_t cut = keep;
                if (cut > 0 && IsHighSurrogate(value[cut - 1])) --cut;
                shownValue = value.substr(0, cut) + DOTS;
            }
        }
    }
    const std::wstring text = ReplacePlaceholder(templateText, placeholder, shownValue);
    return FitText(text, width, height, templateWidth, lineHeight, FIT_KEEP_START, variant, measure);
}
