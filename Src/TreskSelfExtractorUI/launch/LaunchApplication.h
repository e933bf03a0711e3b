#pragma once
// Starting one program and waiting for it: a Windows Installer package through the system
// installer, an executable directly, anything else through its file association.
//
// The decisions (which program with which arguments, when to ask for elevation, where an
// environment token lies) take plain values; LaunchApplication and ExecuteAndWait ask the
// platform.

#include <string>

// How a launch path is started.
enum class LaunchKind {
    Installer,   // .msi: the system installer with /i and the quoted package path
    Executable,  // .exe: the program itself
    Shell,       // anything else: the platform starts what is associated with it
};

struct CLaunchCommand {
    LaunchKind kind = LaunchKind::Shell;
    std::wstring program;
    std::wstring arguments;
};

// The program and argument text that start a launch path (arguments already expanded).
CLaunchCommand LaunchCommandFor(const std::wstring& path, const std::wstring& arguments);

// Whether the start asks for elevation ("runas"): only for the system installer, always from
// Windows Vista on (major version 6), on major version 5 for a user without administrator rights
// when the package's CheckAdmin value is exactly "0".
bool UseRunasVerb(const std::wstring& program, int osMajorVersion, int userIsAdmin, const std::wstring& checkAdmin);

// The package's [Runtime] CheckAdmin value, kept by the launch for the elevation rule.
void SetLaunchCheckAdmin(const std::wstring& value);
const std::wstring& GetLaunchCheckAdmin();

// Position of the next environment token ("%name%" followed by a backslash, a blank or a
// quotation mark) at or after searchPosition, which then moves behind the token; -1 when the next
// "%" pair is not such a token or there is none. A name outside the well-known variables is
// expanded all the same, with a warning in the log.
int IsEnvVarPresent(const std::wstring& text, int& searchPosition);
// Replaces the environment tokens of an argument text by their values, from the left, until the
// first "%" pair that is not a token. A token whose variable is not set stays as written.
void ExpandLaunchParameters(std::wstring& text);

// Starts a program with its arguments (expanded in place) and, when wait is 1, waits for it.
// Returns its exit code: 259 (still active) when it was not waited for and still runs. A program
// that cannot be started leaves a text naming it and the system's reason in errorText.
int LaunchApplication(const std::wstring& path, std::wstring& arguments, std::wstring& errorText, int wait);
// Starts an executable (or the system installer) once an anonymous pipe could be created (it is
// not handed to the program; without it nothing starts), and pauses 200 ms after the start or
// the wait.
int LaunchWithPipe(const std::wstring& program, const std::wstring& arguments, std::wstring& errorText, int wait);
// Starts the program through the shell and waits for it without a limit (wait 1) or not at all.
// In Silent and Unattended mode the system shows no error box of its own for a failed start.
int ExecuteAndWait(const std::wstring& program, const std::wstring& arguments, int wait, std::wstring& errorText);
