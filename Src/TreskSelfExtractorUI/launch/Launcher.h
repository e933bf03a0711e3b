#pragma once
// Starting the setups that the package carries, after extraction.

// Starts the package's launch entries one after the other and records their exit codes.
void HandleLaunchSetup();
