#pragma once
// A settings file in INI syntax, kept in its original order (comment lines included) so that the
// packager can fill in its keys and write the file back in the form the program reads.

#include <optional>
#include <string>
#include <vector>

class IniDocument {
public:
    struct Line {
        std::string text;   // the line as written (for comments and blank lines)
        std::string key;    // empty for a line that is not an entry
        std::string value;
    };
    struct Section {
        std::string name;   // empty for lines before the first section header
        std::vector<Line> lines;
    };

    // Parses UTF-8 text (line ends LF or CR LF).
    static IniDocument Parse(const std::string& utf8);
    // Reads a file in UTF-8 or UTF-16 with byte-order mark.
    static bool Load(const std::string& path, IniDocument& document, std::string& error);

    // Section and key names compare without regard to ASCII letter case, as the program's
    // profile reads do. The first entry of a key is the one the program sees.
    std::optional<std::string> Get(const std::string& section, const std::string& key) const;
    std::string GetOr(const std::string& section, const std::string& key, const std::string& fallback = "") const;
    bool HasSection(const std::string& section) const;
    // Replaces the value of the key's first entry, or appends the entry to the section (which is
    // created at the end of the file when missing).
    void Set(const std::string& section, const std::string& key, const std::string& value);
    // Like Set, but a new entry goes to the start of the section.
    void SetFirst(const std::string& section, const std::string& key, const std::string& value);
    // Removes every entry of the key.
    void Remove(const std::string& section, const std::string& key);
    // Entries of a section in file order (first occurrence of each key only).
    std::vector<std::pair<std::string, std::string>> Entries(const std::string& section) const;
    const std::vector<Section>& Sections() const { return sections; }

    // UTF-8 text with LF line ends.
    std::string ToText() const;
    // UTF-16LE with byte-order mark and CR LF line ends: the form the program reads.
    std::string ToUtf16File() const;

private:
    const Section* Find(const std::string& section) const;
    Section* Find(const std::string& section);
    std::vector<Section> sections;
};

bool EqualsNoCase(const std::string& a, const std::string& b);
std::string TrimText(const std::string& text);
// ASCII letters lower-cased, as the program's key comparisons treat them.
std::string LowerAscii(std::string text);
// The pieces of a list such as "1031;1033;" trimmed, empty ones dropped, in order.
std::vector<std::string> SplitList(const std::string& text, char delimiter);
