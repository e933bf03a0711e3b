#pragma once
// The one written form of a folder that the program validates, logs, stores and compares.
// A folder reaches the program from the command line, the settings and the location page in any
// spelling Windows accepts; this turns each into the same plain text. Plain C++ on plain values.

#include <string>

// The normal form of a folder: white space trimmed at both ends and around every component;
// forward slashes as backslashes; the "\\?\" and "\\.\" prefixes of a drive path dropped and
// "\\?\UNC\" (or "\\.\UNC\") turned into the "\\" of a network path; runs of separators collapsed
// to one (the two that begin a network path stay); no trailing separator (a drive root is "C:").
// Examples: " P:/apps//product/ " and "\\?\P:\apps\product" both give "P:\apps\product";
// "\\?\UNC\server\share\dir" gives "\\server\share\dir".
std::wstring NormalizeFolderText(const std::wstring& folder);
