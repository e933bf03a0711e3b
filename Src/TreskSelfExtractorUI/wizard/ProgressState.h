#pragma once
// The progress bar of the extraction: what each progress command of the extraction worker does to
// the bar and the texts, for the wizard's progress page and for the Unattended window. Counts are
// 32-bit: packages with more than 65,535 files keep a correct range and position.

#include <cstdint>

enum ProgressOwner {
    PROGRESS_OWNER_PAGE,        // the wizard's progress page: has a heading (506)
    PROGRESS_OWNER_UNATTENDED,  // the Unattended window: no heading; the extraction range starts
                                // at 1 when no delete phase preceded it
};

struct ProgressState {
    int32_t stepCount = 1;  // current step of the bar
    int deletePhase = 0;    // 1 after the worker announced that it empties the destination
};

// What to do to the bar and the texts; fields left at their "none" value mean "leave as it is".
struct ProgressUpdate {
    bool setRange = false;
    int32_t rangeLow = 0;
    int32_t rangeHigh = 0;
    bool setPosition = false;
    int32_t position = 0;
    int step = 0;         // step increment to set, 0 for none
    int statusText = 0;   // UI text of the status line: 508 or 514; 0 for none
    int headingText = 0;  // UI text of the heading: 506 (progress page only); 0 for none
};

// Applies progress command command (1 step, n steps when n > 0; 2 position 2, 3 extraction range
// for n files, 4 delete phase) with argument n to state. Unknown commands change nothing. A negative n counts
// as 0; the range is capped at the largest 32-bit value.
ProgressUpdate ApplyProgressCommand(ProgressState& state, int command, int64_t n, ProgressOwner owner);

// The texts a progress owner shows when it starts (and the page on each activation): heading 506
// and status 507; range 0 to 100, position 1.
constexpr int PROGRESS_HEADING_TEXT = 506;
constexpr int PROGRESS_READING_TEXT = 507;
constexpr int PROGRESS_EXTRACTING_TEXT = 508;
constexpr int PROGRESS_DELETING_TEXT = 514;
