#pragma once

#include <memory>
#include <string>

#include <QString>
#include <QStringList>

struct IniStore;

// The settings file held in memory: read whole, changed key by key, written
// whole. Sections and keys match without regard to letter case; a section or
// key keeps the spelling of its first writing, and a file that did not exist
// gets its sections in the order they were first written.
//
// On disk: UTF-8 without a byte-order mark, CR LF line ends, "key=value" lines.
// A file that is not valid UTF-8 is read as CP932. A value with blanks at
// either end, a line break or a leading "<<<" is written as a SimpleIni
// multi-line block whose end tag none of its lines equals, so that it comes
// back unchanged (a CR in a value comes back as a line feed). A section
// header without its "]" names the section by the rest of its line.
class IniFile {
public:
    IniFile();
    ~IniFile();
    IniFile(const IniFile&) = delete;
    IniFile& operator=(const IniFile&) = delete;

    // Replaces the contents with the file at path. A missing or unreadable file
    // leaves the store empty (every read then gives its default); returns false
    // only when the file exists and could not be read or parsed.
    bool Load(const QString& path);
    // Writes the whole store to path, creating its folder when missing, through
    // a temporary file renamed into place. Returns false on any failure; the
    // file on disk is then left as it was.
    bool Save(const QString& path) const;

    // The text Save writes (UTF-8, CR LF).
    std::string Text() const;

    // Decimal integer (an optional sign, then digits; "0x" or "$" for hex). A
    // missing key, a value that is not such a number or one outside the int
    // range gives def.
    int ReadInteger(const std::string& section, const std::string& key, int def) const;
    // An integer where any non-zero value is true; otherwise as ReadInteger.
    bool ReadBool(const std::string& section, const std::string& key, bool def) const;
    // The value unchanged; def when the key is missing.
    QString ReadString(const std::string& section, const std::string& key,
                       const QString& def) const;
    bool HasKey(const std::string& section, const std::string& key) const;

    void WriteInteger(const std::string& section, const std::string& key, int value);
    // "1" or "0".
    void WriteBool(const std::string& section, const std::string& key, bool value);
    void WriteString(const std::string& section, const std::string& key, const QString& value);
    // Removes the key; nothing happens when it is missing.
    void DeleteKey(const std::string& section, const std::string& key);

    // A numbered list: the values of the keys name000, name001, ... below
    // limit, in order, the empty ones left out.
    QStringList ReadList(const std::string& section, const std::string& name, int limit) const;
    // Writes the values under name000, name001, ... (an empty value deletes
    // its key) and deletes the keys from the end of the list up to limit;
    // keys at or past the limit stay as they are.
    void WriteList(const std::string& section, const std::string& name, const QStringList& values,
                   int limit);

private:
    const char* RawValue(const std::string& section, const std::string& key) const;
    void WriteRaw(const std::string& section, const std::string& key, const std::string& value);

    std::unique_ptr<IniStore> Store;
};
