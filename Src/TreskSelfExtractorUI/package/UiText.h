#pragma once
// Numbered UI texts: the loaded language file's text, else the program's built-in English text.

#include <map>
#include <string>

std::wstring GetText(int number);
// The program's own English text, whatever language is loaded.
std::wstring GetBuiltInText(int number);
// The language text table (filled by the language files, emptied for English and at exit).
std::map<int, std::wstring>& LanguageTextTable();
