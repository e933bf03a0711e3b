#pragma once
// Shortening a text to the static control that shows it, marking the cut with "...". The owners of
// the controls (sheet, pages, prompts) each use their own variant. Measuring is the caller's: it
// passes a function that returns the pixel width of a string in the control's font and the measured
// height of one line.

#include <functional>
#include <string>

using TextMeasure = std::function<int(const std::wstring&)>;

// Which end of the text is kept.
enum : int {
    FIT_KEEP_END = 0,    // "...end of the text"
    FIT_KEEP_START = 1,  // "start of the text..."
};

enum TextFitVariant {
    FIT_PAGE,         // progress, location, requirements and autolaunch pages; overwrite and
                      // folder-delete dialogs: lines = floor(H / th)
    FIT_SHEET_TITLE,  // the sheet's title 1000: lines = floor(H / th), 0 counts as 1
    FIT_FINISH_PAGE,  // lines = floor(H / th) - 1: a control with room for one line is never shortened
    FIT_LANGUAGE,     // language page: stops at 0.9 x avail and keeps the prefix nearer to avail
    FIT_LICENSE,      // licence page: always 2 lines, the height is not used (reserve 12 + dots)
};

// The width the fitted text may take: lines, reserve = (int)(lines x 6 + dots) and
// avail = (int)(W x lines) - reserve. lineHeight <= 0 counts as no full line.
struct TextFitLimits {
    int lines = 0;
    int reserve = 0;
    int avail = 0;
};
TextFitLimits ComputeTextFitLimits(TextFitVariant variant, int width, int height, int lineHeight,
                                   int dotsWidth);

// Fits text to a control of client size width x height. textWidth is the text's measured width
// (a text no wider than the control is returned unchanged); lineHeight the measured height of one
// line. mode is FIT_KEEP_START or FIT_KEEP_END. Widths are compared with avail as unsigned numbers,
// so a negative avail (a control too low for the variant's lines) leaves the text unchanged, as
// does a text whose every prefix (suffix) stays below avail.
std::wstring FitText(const std::wstring& text, int width, int height, int textWidth, int lineHeight,
                     int mode, TextFitVariant variant, const TextMeasure& measure);

// The sheet title: blanks appended to a title narrower than a fifth of the control (so the
// right-aligned title moves left), then fitted with FIT_SHEET_TITLE using the width measured before
// the blanks.
std::wstring FitSheetTitle(const std::wstring& title, int width, int height, int lineHeight,
                           const TextMeasure& measure);
// The blanks alone: the number appended to a title of measured width textWidth (0 when none).
int ShortTitleBlankCount(int width, int textWidth);

// The keep mode of the overwrite and folder-delete dialogs: the file name (1030) and the folder
// path (1069) keep their end, every other text its start.
int PromptFitMode(int controlId);

// The setter with a shortened value: templateText holds placeholder; templateWidth is the template's
// width measured before substitution and is used for the final fitting too. When the template does
// not fit the control, count := the length of the longest prefix of the substituted text that stays
// below avail; when the template's length is below count, the template's plus the value's length
// above it and the substituted text longer than count, the value is cut (so that the substituted
// text has count characters) and ends in "...".
// Then the placeholder is replaced everywhere and the text is fitted (mode FIT_KEEP_START). An empty
// value is substituted as it is.
std::wstring FitTextWithShortenedValue(const std::wstring& templateText, const std::wstring& placeholder,
                                       const std::wstring& value, int width, int height,
                                       int templateWidth, int lineHeight, TextFitVariant variant,
                                       const TextMeasure& measure);

// Every occurrence of placeholder in text replaced by value.
std::wstring ReplacePlaceholder(const std::wstring& text, const std::wstring& placeholder,
                                const std::wstring& value);
