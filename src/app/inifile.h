#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "document/ini_reader.h"

namespace zema {

// The typed read rules of the settings file over text already read: used to
// take many values from one reading of the file.
class CIniValues {
public:
    explicit CIniValues(const CIniReader& reader) : reader_(reader) {}

    [[nodiscard]] int32_t getInt(std::u16string_view section, std::u16string_view key, int32_t fallback) const;
    [[nodiscard]] uint32_t getUnsigned(std::u16string_view section, std::u16string_view key, uint32_t fallback) const;
    [[nodiscard]] bool getBool(std::u16string_view section, std::u16string_view key, bool fallback) const;
    [[nodiscard]] std::u16string getString(std::u16string_view section, std::u16string_view key,
                                           std::u16string_view fallback) const;

private:
    const CIniReader& reader_;
};

// One change of a key for CInifile::setMany: its new value, or none to delete it.
struct IniChange {
    std::u16string key;
    std::optional<std::u16string> value;
};

// Typed access to one section of a settings file. Nothing is cached: every
// get reads the file again and every set rewrites it (through a temporary
// file renamed over the old one), so two accessors on one file never disagree.
//
// Stored forms: signed "%+d", unsigned "%u", boolean "true"/"false", strings
// verbatim. A missing key, or a value that is not entirely a number of the
// requested kind, gives the caller's default.
class CInifile {
public:
    CInifile(std::filesystem::path path, std::u16string section);

    [[nodiscard]] const std::filesystem::path& path() const { return path_; }
    [[nodiscard]] const std::u16string& section() const { return section_; }

    [[nodiscard]] int32_t getInt(std::u16string_view key, int32_t fallback) const;
    [[nodiscard]] uint32_t getUnsigned(std::u16string_view key, uint32_t fallback) const;
    [[nodiscard]] bool getBool(std::u16string_view key, bool fallback) const;
    [[nodiscard]] std::u16string getString(std::u16string_view key, std::u16string_view fallback) const;

    // Each returns false when the file could not be written (the old file
    // stays) or the value cannot be stored on one line.
    bool setInt(std::u16string_view key, int32_t value) const;
    bool setUnsigned(std::u16string_view key, uint32_t value) const;
    bool setBool(std::u16string_view key, bool value) const;
    bool setString(std::u16string_view key, std::u16string_view value) const;
    // Deletes the key; true when the key is gone afterwards.
    bool remove(std::u16string_view key) const;
    // Strings set and keys deleted, in order, with one rewrite of the file
    // (a long list costs one write, not one per key). Refused as a whole,
    // nothing written, when any key or value would be refused on its own.
    bool setMany(std::span<const IniChange> changes) const;

    // Longest string value read back, in UTF-16 code units.
    static constexpr size_t kStringCapacity = 4095;

private:
    bool write(std::u16string_view key, std::optional<std::u16string> value) const;

    std::filesystem::path path_;
    std::u16string section_;
};

// Parsers of the stored number forms: optional sign, decimal digits, nothing
// else (after trimming), within the type's range. Unsigned values also accept
// a minus sign, wrapping like a 32-bit strtoul ("-1" is 4294967295).
[[nodiscard]] bool parseStoredInt(std::u16string_view text, int32_t& value);
[[nodiscard]] bool parseStoredUnsigned(std::u16string_view text, uint32_t& value);

// The file text with `key` of `section` set to `value` (or removed when
// `value` is null): replaced in place (keeping the key's spelling), appended to the end of its section, or
// a new section appended at the end. Lines end with CR LF.
[[nodiscard]] std::u16string rewriteIniText(std::u16string_view text, std::u16string_view section,
                                            std::u16string_view key, const std::u16string* value);

}  // namespace zema
