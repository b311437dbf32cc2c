// SettingsRecord: the stored settings of Brevix: the twelve options and the two key texts, with
// their defaults and the rules by which they are read from and written to the user's profile.
// Portable: brevix-cli reads it; the application's ChunkSettings adds the toolbar's fields.
#pragma once

#include "engine/ChunkOptions.h"
#include "platform/ProfileStore.h"
#include "platform/StringTypes.h"

// The company key, the application's name and the profile section that holds the settings.
constexpr const char* kCompanyKey = "Vellacor";
constexpr const char* kApplicationName = "Brevix";
constexpr const char* kSettingsSection = "Settings";

class SettingsRecord : public ChunkOptions {
public:
    // Fills every member from section "Settings" of profile, missing values taking their
    // defaults: "tag", "attrs", then the options in table order. Nothing is written back.
    void LoadSettings(const ProfileStore& profile);
    // Writes "tag" and "attrs" from the stored key texts (the exit step).
    void SaveKeyTexts(ProfileStore& profile) const;
    // Takes over every option in which edited differs, writing each such one to the profile at
    // once, in table order; unchanged options are not written.
    void StoreChangedOptions(const ChunkOptions& edited, ProfileStore& profile);

    CString m_strLevelTags; // "tag": as loaded or as last saved
    CString m_strNameKeys;  // "attrs"
};

// Sets the option whose profile value name is name from its stored form; false for no such name.
bool SetOptionByName(ChunkOptions& options, const CString& name, const CString& value);
// True when name is the profile value name of a flag (stored as "yes" or "no").
bool IsFlagOption(const CString& name);
// The profile value name of an option (or, withKeyTexts, also "tag" and "attrs") nearest to
// name by the edits that turn one into the other, when it is near; else empty.
CString ClosestOptionName(const CString& name, bool withKeyTexts);
// What a load passes over without a word, one message each: a setting stored as something other
// than a string (which takes its default), a value of section "Settings" whose name is no
// setting's (in any letter case, as the profile reads names), and a flag that is neither "yes"
// nor "no" (which reads as no).
CStringList CheckStoredSettings(const ProfileStore& profile);

// One line per option for help texts: its profile value name indented by indent, then from
// column width on what it does and, in parentheses, its default (on a line of its own from column
// width when the line would run past 80 columns).
CString DescribeOptions(size_t indent, size_t width);
