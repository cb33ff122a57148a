#pragma once

// A small INI layer with the semantics of the Windows profile functions that
// the settings store relies on (GetPrivateProfileStringA / WritePrivateProfileStringA):
//
// - A line "[name]" opens a section; a line "key=value" inside a section holds
//   one value. Section and key names match without regard to ASCII letter case;
//   names and values are trimmed of blanks. Lines starting with ";" or "#" are
//   comments. The first section of a name (and its first key of a name) counts.
// - A read returns at most 2047 characters.
// - Writing an existing key replaces its value in place (the line keeps its key
//   spelling and its spacing around "="); a new key is appended at the end of
//   its section (after the section's last non-blank line), a new section at the
//   end of the file (after one blank line). Nothing is ever deleted: comments,
//   unknown keys and sections are kept as they were.
// - Files are read with LF or CR LF line ends and written with LF throughout.
// - Saving is durable: the whole text goes to a temporary file beside the
//   target, which is flushed to disk and then renamed over the target, so a
//   crash or a full disk never leaves a half-written file. A refused write
//   raises ESettingsWriteError, "Unable to write to <path>".
//
// Text is handled as bytes (the files are single-byte text; UTF-8 passes
// through unchanged).

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// Raised when the system refuses a write of a settings file. The message is
// exactly "Unable to write to " followed by the path.
class ESettingsWriteError : public std::runtime_error {
  public:
    explicit ESettingsWriteError(const std::string& path);
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

// Reads a profile integer the way Delphi's TIniFile.ReadInteger does: optional
// "+" or "-", then decimal digits or "$" and hexadecimal digits; "0x" or "0X"
// and hexadecimal digits (without a sign) also mean hexadecimal. Decimal values
// must fit a 32-bit signed integer; hexadecimal values up to FFFFFFFF are taken
// as their 32-bit two's complement. Anything else (empty text, other characters,
// overflow) gives nullopt.
std::optional<int> ParseProfileInteger(std::string_view text);

class IniFile {
  public:
    // The most characters a read returns (a Windows profile read into a buffer
    // of 2048 characters).
    static constexpr std::size_t kMaxReadLength = 2047;

    IniFile() = default;

    // The file's text as given; a leading UTF-8 byte order mark is kept.
    static IniFile FromText(std::string_view text);

    // Reads a file for reading values: a missing or unreadable file reads as
    // an empty file (every read gives its default).
    static IniFile Load(const std::string& path);

    // Reads a file that is about to be changed and saved: a missing file is
    // empty, but a file that exists and cannot be read (or a folder in its
    // place) raises ESettingsWriteError, since saving it would lose its text.
    static IniFile LoadForUpdate(const std::string& path);

    // The value of the key, trimmed and cut to kMaxReadLength characters (never
    // inside a UTF-8 sequence when the value is valid UTF-8); the default, cut
    // likewise, when the section or key does not exist.
    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view default_value) const;

    // ReadString parsed with ParseProfileInteger; the default when the key is
    // missing or its value is not an integer.
    int ReadInteger(std::string_view section, std::string_view key, int default_value) const;

    // ReadInteger != 0, with the default as 1 or 0.
    bool ReadBool(std::string_view section, std::string_view key, bool default_value) const;

    bool HasSection(std::string_view section) const;
    bool HasKey(std::string_view section, std::string_view key) const;

    // Sets the key's value in memory (see the rules above). Line breaks in the
    // value, which would break the file's structure, are written as blanks.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, int value);
    void WriteBool(std::string_view section, std::string_view key, bool value);

    // The file text: every line followed by LF.
    std::string Text() const;

    // Durably replaces the file at path with Text() (see above). When path is a
    // symbolic link the file it points to is replaced and the link kept. Raises
    // ESettingsWriteError(path) when any step is refused; the file at path is
    // then unchanged and no temporary file is left behind.
    void Save(const std::string& path) const;

  private:
    struct Span {
        std::size_t header;  // index of the "[name]" line
        std::size_t end;     // one past the section's last line
    };
    std::optional<Span> FindSection(std::string_view section) const;
    std::optional<std::size_t> FindKey(const Span& span, std::string_view key) const;

    std::string bom_;
    std::vector<std::string> lines_;
};

// One-key conveniences in the manner of the Windows functions: each read loads
// the file, each write loads, changes and durably saves it.
std::string ReadProfileString(const std::string& path, std::string_view section,
                              std::string_view key, std::string_view default_value);
void WriteProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value);
