#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

/// A file of the INI file class that could not be read or written. The message is the text
/// shown to the user.
class IniError : public std::runtime_error {
  public:
    explicit IniError(const std::string& message) : std::runtime_error(message) {}
};

struct IniOptions {
    /// When set, comment lines, empty lines and lines before the first section survive a
    /// write-back where they were (hand-edited configuration files). When clear they are
    /// dropped and every section is written followed by one empty line (parameter files).
    bool keepComments = false;
};

/// Signed 32-bit integer as INI files hold it: optional sign, then decimal digits, or hex
/// digits after "$" or "0x". Surrounding blanks are not allowed. Empty when not an integer.
std::optional<std::int32_t> ParseIniInteger(std::string_view text);

/// An INI file held whole in memory: sections "[name]" of lines key=value.
///
/// Reading: blanks around every line, name, key and value are ignored; empty lines and lines
/// starting with ";" never match; lines before the first section are ignored. Section names and
/// keys match without regard to (ASCII) case; the first occurrence counts. Writing replaces a
/// key in place, appends a new key to the end of its section and a new section after the
/// others. Lines are written with CR LF. A UTF-8 byte-order mark before the first line is
/// skipped when reading and written back.
class IniFile {
  public:
    explicit IniFile(IniOptions options = {}) : options_(options) {}

    /// Loads `path` whole. A file that does not exist loads empty. Throws IniError when the
    /// file exists but cannot be read.
    static IniFile Load(const std::filesystem::path& path, IniOptions options = {});
    /// Parses `text` as a file's contents (line ends CR LF, LF or CR).
    static IniFile Parse(std::string_view text, IniOptions options = {});

    /// The value, trimmed; empty when the section or key is missing.
    std::optional<std::string> ReadValue(std::string_view section, std::string_view key) const;
    /// The value, or `fallback` when the section or key is missing.
    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view fallback) const;
    /// The value as ParseIniInteger reads it, or `fallback` when missing or not an integer.
    std::int32_t ReadInteger(std::string_view section, std::string_view key,
                             std::int32_t fallback) const;
    /// True for any non-zero integer, false for 0, `fallback` when missing or not an integer.
    bool ReadBool(std::string_view section, std::string_view key, bool fallback) const;

    /// Sets the key to `value`, written with the key spelled as given; blanks around the value
    /// do not survive a reload, since reads trim them. Throws IniError when a name or the value
    /// cannot be held in a line (line breaks, "=" in a key, "]" in a section).
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    /// Writes `value` in decimal.
    void WriteInteger(std::string_view section, std::string_view key, std::int32_t value);
    /// Writes 1 or 0.
    void WriteBool(std::string_view section, std::string_view key, bool value);

    /// The whole file as Save writes it.
    std::string Text() const;
    /// Writes the whole file to `path`, replacing the old file only once the new one is
    /// complete. Throws IniError with a message naming the file and the reason; the old file is
    /// then untouched.
    void Save(const std::filesystem::path& path) const;

  private:
    struct Line {
        std::string text;      // as written back
        std::string key;       // trimmed; empty for comments, blanks and lines without "="
        std::string value;     // trimmed
        bool isEntry = false;  // a key=value line that reads can match
    };
    struct Section {
        std::string header;  // the header line as written back
        std::string name;    // trimmed
        std::vector<Line> lines;
    };

    void AddLine(std::string_view raw);
    const Line* Find(std::string_view section, std::string_view key) const;
    Section& SectionFor(std::string_view name);
    void SeparateNewSection();

    IniOptions options_;
    std::vector<std::string> preamble_;  // lines before the first section, kept with comments
    std::vector<Section> sections_;
    bool byteOrderMark_ = false;  // the file began with UTF-8's mark; a write-back keeps it
};
