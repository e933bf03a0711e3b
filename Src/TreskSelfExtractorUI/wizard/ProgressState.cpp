#include "wizard/ProgressState.h"

namespace {

constexpr int64_t MAX_RANGE = 2147483647;

int32_t Capped(int64_t value) { return static_cast<int32_t>(value > MAX_RANGE ? MAX_RANGE : value); }

}  // namespace

ProgressUpdate ApplyProgressCommand(ProgressState& state, int command, int64_t n, ProgressOwner owner) {
    ProgressUpdate update;
    if (n < 0) n = 0;
    switch (command) {
        case 1:
            state.stepCount = Capped(int64_t{state.stepCount} + (n > 0 ? n : 1));
            update.setPosition = true;
            update.position = state.stepCount;
            break;
        case 2:
            update.setPosition = true;
            update.position = 2;
            break;
        case 3:
            update.setRange = true;
            if (state.deletePhase) {
                // The emptying took a share of 3 % of the files; extraction goes on from there.
                const int64_t share = (3 * n) / 100;
                update.rangeLow = 0;
                update.rangeHigh = Capped(state.stepCount + n + share);
                update.setPosition = true;
                update.position = Capped(share);
                state.stepCount = update.position;
            } else {
                update.rangeLow = owner == PROGRESS_OWNER_UNATTENDED ? 1 : 0;
                update.rangeHigh = Capped(state.stepCount + n);
            }
            update.step = 1;
            update.statusText = PROGRESS_EXTRACTING_TEXT;
            if (owner == PROGRESS_OWNER_PAGE) update.headingText = PROGRESS_HEADING_TEXT;
            break;
        case 4:
            state.deletePhase = 1;
            update.setRange = true;
            update.rangeLow = 0;
            update.rangeHigh = 100;
            update.setPosition = true;
            update.position = 1;
            update.statusText = PROGRESS_DELETING_TEXT;
            if (owner == PROGRESS_OWNER_PAGE) update.headingText = PROGRESS_HEADING_TEXT;
            break;
        default:
            break;
    }
    return update;
}
