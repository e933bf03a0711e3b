#pragma once
// The list of programs that the package starts after extraction, with their command lines.
//
// GetAutolaunchApps reads the [Runtime] launch entries and the language section's parameters
// into two parallel lists (newest entry at the head, launched from the tail). The choice of the
// generated arguments takes plain values (BuildEntryArguments, FinishHandOver), so tests feed
// them tables; GetAutolaunchApps gathers the values from the settings and the run state.

#include <string>

#include "app/RunMode.h"
#include "util/Util.h"

// "/DeleteOnFinish=" and the quoted path of the hand-over file in the extraction folder (which
// ends with a backslash).
std::wstring HandOverArgument(const std::wstring& extractPath);
// The frame setup's installation assistant for a configured launch value split into its folder
// part (empty when the value names a file in the extraction folder itself).
std::wstring AssistantPath(const std::wstring& extractPath, const std::wstring& folderPart);

// What decides the argument text of one launch entry.
struct CEntryArgumentInput {
    std::wstring configured;   // language section: LaunchEXEParams[n]
    std::wstring silent;       // language section: LaunchEXEParams[n]Silent
    std::wstring unattended;   // language section: LaunchEXEParams[n]Unattended
    std::wstring mode;         // [Runtime] Mode
    int runMode = MODE_FULL_GUI;
    int deleteOnExit = 0;
    int assistantPresent = 0;  // the entry starts a frame setup whose assistant lies beside it
    std::wstring handOverArgument;
};

// The entry's argument text. "Qirva" mode (any letter case) adds the silent or unattended
// arguments in those run modes; in every other case the hand-over rule applies: a frame setup
// gets the hand-over argument when the user asked to delete on exit. handOverGiven reports it.
std::wstring BuildEntryArguments(const CEntryArgumentInput& input, bool& handOverGiven);

// After the whole list is built, with waiting and delete-on-exit on: only the last program to be
// started (the head of the parameter list) may carry the hand-over argument, so it is removed from
// every other entry. Returns 1 when the head carries it (the frame setup deletes), 0 otherwise.
int FinishHandOver(TextList& parameterList, const std::wstring& handOverTail);

class CReturnCodeMessages;

// Fills the launch list ("AutoLaunch[n]:path") and the parameter list from the package settings
// for a run mode (app/RunMode.h) and the user's delete-on-exit choice;
// the return-code messages of each entry go to returnCodes when given. The lists are passed in
// empty. A launch path that is missing or too deep empties the launch list at the end and sets
// the package result code.
void GetAutolaunchApps(const std::wstring& languageSection, int runMode, int deleteOnExit,
                       CReturnCodeMessages* returnCodes, TextList& launchList, TextList& parameterList);
