#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Private profile (INI) files with the Windows functions' semantics:
// section and key names compare case-insensitively, the first matching
// section and key win, a missing file, section or key gives the default,
// writing creates the file, the section and the key. Files are code page 932
// with CRLF line ends; the API speaks UTF-8. A file that is valid UTF-8 and
// holds non-ASCII text (edited by hand on this platform) is read as UTF-8 and
// written back in CP932 when all of it has a CP932 form.
//
// Writing keeps every other line of the file byte for byte (other sections,
// keys, comments) and replaces the file atomically (temporary file + rename).
// A file named without a folder lives in the Windows directory, as on Windows.
namespace kiro::profile {

// The file a bare name such as "KIROL.INI" stands for.
std::filesystem::path resolve(const std::filesystem::path& file);

// GetPrivateProfileInt: leading blanks, an optional sign and decimal digits
// (or 0x and hex digits), stopping at the first other character; a value
// without digits is 0; a missing or empty value, or a number outside 32 bits,
// gives the default.
std::int32_t getInt(std::string_view section, std::string_view key, std::int32_t defaultValue,
                    const std::filesystem::path& file);

// GetPrivateProfileString: the value with surrounding blanks removed and one
// pair of enclosing quotes ('...' or "...") taken off.
std::string getString(std::string_view section, std::string_view key, std::string_view defaultValue,
                      const std::filesystem::path& file);

// WritePrivateProfileString with a value, with a null value (deleteKey) and
// with a null key (deleteSection). False when the text has no CP932 form or
// the file could not be written (the file is then unchanged).
bool writeString(std::string_view section, std::string_view key, std::string_view value,
                 const std::filesystem::path& file);
bool deleteKey(std::string_view section, std::string_view key, const std::filesystem::path& file);
bool deleteSection(std::string_view section, const std::filesystem::path& file);

// GetPrivateProfileSection and WritePrivateProfileSection: every line of a
// section (see ProfileFile::sectionLines), and the section's body replaced
// by `lines`. The whole section is read, however long it is.
std::vector<std::string> getSection(std::string_view section, const std::filesystem::path& file);
bool writeSection(std::string_view section, const std::vector<std::string>& lines,
                  const std::filesystem::path& file);

// One INI file held in memory, for reading or changing many keys with one
// read and one atomic write (the settings record has ~90 keys).
class ProfileFile {
public:
    // Loads the file; a missing file is empty. error() tells a file that
    // exists but could not be read.
    explicit ProfileFile(const std::filesystem::path& file);

    const std::filesystem::path& path() const { return m_path; }
    const std::string& error() const { return m_error; }

    std::optional<std::string> value(std::string_view section, std::string_view key) const;
    std::int32_t getInt(std::string_view section, std::string_view key, std::int32_t defaultValue) const;
    std::string getString(std::string_view section, std::string_view key, std::string_view defaultValue) const;

    bool setString(std::string_view section, std::string_view key, std::string_view value);
    bool setInt(std::string_view section, std::string_view key, std::int32_t value);
    bool removeKey(std::string_view section, std::string_view key);
    bool removeSection(std::string_view section);

    // Section names and the keys of one section, in file order.
    std::vector<std::string> sections() const;
    std::vector<std::string> keys(std::string_view section) const;

    // The body of a section, one entry per line that is not blank, without
    // surrounding blanks ("key=value" lines and any other text alike);
    // empty when the section is missing.
    std::vector<std::string> sectionLines(std::string_view section) const;
    // Replaces the body of a section with `lines` (the section is added at
    // the end when missing). False, and nothing changed, when a line holds
    // a line break or has no form in the file's code page.
    bool setSectionLines(std::string_view section, const std::vector<std::string>& lines);

    // Writes the file atomically when something changed; false (with error())
    // when it could not be written.
    bool save();
    bool dirty() const { return m_dirty; }

private:
    struct Line {
        std::string bytes; // CP932, without the line end
    };
    // Index range [begin, end) of a section's body lines, begin = header + 1.
    struct SectionSpan {
        std::size_t header;
        std::size_t end;
    };
    std::optional<SectionSpan> findSection(std::string_view sectionCp932) const;
    // The section named in UTF-8 (the API's text).
    std::optional<SectionSpan> findSectionNamed(std::string_view section) const;
    std::optional<std::size_t> findKey(const SectionSpan& span, std::string_view keyCp932) const;
    std::string toUtf8(std::string_view bytes) const;

    std::filesystem::path m_path;
    std::vector<Line> m_lines;
    bool m_utf8File = false;
    bool m_dirty = false;
    bool m_readFailed = false;
    std::string m_error;
};

} // namespace kiro::profile
