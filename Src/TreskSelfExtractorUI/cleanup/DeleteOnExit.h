#pragma once
// Removes what extraction wrote, from the records the cabinet engine keeps.

// After a cancelled extraction: every file this run wrote and every folder it created, and the
// folder a path test created.
void DeleteExtractedContents();
